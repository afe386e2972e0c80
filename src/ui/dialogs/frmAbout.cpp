// The About box.
#include "ui/dialogs/frmAbout.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <optional>

#include "app/identity.h"
#include "ui/dialogs/dialog_layout.h"
#include "platform/registry.h"
#include "ui/outside_world.h"
#include "ui/program_picture.h"
#include "ui/qt_text.h"

namespace quillora {
namespace {

// A label at its laid-out place, grown where this platform's font needs more room than the
// layout gave it.
QLabel* PlaceLabel(QWidget& dialog, const char* name, const QString& text, int x, int y, int width,
                   int height) {
  auto* label = new QLabel(text, &dialog);
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  label->setGeometry(TwipsRect(dialog, x, y, width, height));
  label->resize(label->size().expandedTo(label->sizeHint()));
  return label;
}

void SetTextColour(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, colour);
  widget.setPalette(palette);
}

}  // namespace

frmAbout::frmAbout(QWidget* owner) : QDialog(owner, kFixedDialogFlags) {
  setWindowTitle(ToQString(identity::kTitle) + QStringLiteral(u"のﾊﾞｰｼﾞｮﾝ情報"));
  UseLayoutFontSize(*this);

  auto* picIcon = new QLabel(this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  picIcon->setGeometry(TwipsRect(*this, 240, 240, 480, 480));
  picIcon->setPixmap(ProgramPicture(picIcon->width()));

  QLabel* lblTitle =
      PlaceLabel(*this, "lblTitle", ToQString(identity::kTitle), 960, 120, 2385, 180);
  SetTextColour(*lblTitle, Qt::black);
  PlaceLabel(*this, "lblVersion", QStringLiteral("Ver") + QString::fromUtf8(identity::kVersionText),
             3480, 120, 600, 180);
  PlaceLabel(*this, "Label1_0", ToQString(identity::kCopyright), 1440, 360, 2340, 180);

  links_ = {
      PlaceLabel(*this, "Label1_2", QStringLiteral("mailto:") + ToQString(identity::kMailAddress),
                 1440, 720, 2520, 180),
      PlaceLabel(*this, "Label1_3", ToQString(identity::kHomePageUrl), 1440, 1080, 2970, 180)};
  QFont link_font;
  link_font.setFamilies({QStringLiteral(u"ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                         QStringLiteral("Noto Sans Mono CJK JP")});
  link_font.setPointSize(9);
  link_font.setUnderline(true);
  for (QLabel* link : links_) {
    link->setFont(link_font);
    link->resize(link->size().expandedTo(link->sizeHint()));
    link->setCursor(Qt::PointingHandCursor);
    link->setMouseTracking(true);
    link->installEventFilter(this);
  }
  ShowLinkColours();
  setMouseTracking(true);

  cmdSysInfo_ = new QPushButton(QStringLiteral(u"ｼｽﾃﾑ情報(&S)..."), this);
  cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
  cmdSysInfo_->setGeometry(TwipsRect(*this, 2880, 1680, 1310, 345));
  connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

  cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setGeometry(TwipsRect(*this, 4260, 1665, 1310, 345));
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
  cmdOK_->setFocus();

  // The pointer over a control belongs to that control; only the bare surface turns links blue.
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setAttribute(Qt::WA_NoMousePropagation);
  }
  // Esc must reach the box before any control can take it.
  installEventFilter(this);
  cmdSysInfo_->installEventFilter(this);
  cmdOK_->installEventFilter(this);

  MakeFixedCentredDialog(*this, TwipsSize(*this, 5730, 2145));
}

void frmAbout::StartSysInfo() {
  const std::unique_ptr<registry::Registry> registry = registry::OpenPlatformRegistry();
  const std::optional<Text> program = registry ? LocateSysInfo(*registry) : std::nullopt;
  if (program && Outside().StartProgram(ToQString(*program))) {
    return;
  }
  Outside().ShowMessage(this, ToQString(identity::kTitle),
                        QStringLiteral(u"現時点ではｼｽﾃﾑ情報を使用できません"), MessageIcon::none);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    accept();
    return true;
  }
  const auto* link = std::find(links_.begin(), links_.end(), watched);
  if (link != links_.end()) {
    if (event->type() == QEvent::MouseMove &&
        link_colours_.PointerOverLink(static_cast<std::size_t>(link - links_.begin()))) {
      ShowLinkColours();
    } else if (event->type() == QEvent::MouseButtonRelease) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton &&
          (*link)->rect().contains(mouse->position().toPoint())) {
        Outside().OpenWithShell((*link)->text());  // a failure shows nothing
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent* event) {
  if (link_colours_.PointerOverSurface()) {
    ShowLinkColours();
  }
  QDialog::mouseMoveEvent(event);
}

void frmAbout::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // The etched separator: grey with a two-pixel white line below it.
  QPainter painter(this);
  const int grey = TwipsAsPixels(1485, logicalDpiY());
  const int white = TwipsAsPixels(1500, logicalDpiY());
  painter.fillRect(0, white, width(), 2, Qt::white);
  painter.fillRect(0, grey, width(), 1, QColor(128, 128, 128));
}

void frmAbout::ShowLinkColours() {
  for (std::size_t i = 0; i < links_.size(); ++i) {
    SetTextColour(*links_.at(i), QColor::fromRgb(link_colours_.Colour(i)));
  }
}

}  // namespace quillora
