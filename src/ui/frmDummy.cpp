// The wait banner.
#include "ui/frmDummy.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

#include "ui/placement.h"
#include "ui/program_picture.h"

namespace quillora {

namespace {

constexpr int kWidthTwips = 5580;
constexpr int kHeightTwips = 1365;

}  // namespace

frmDummy::frmDummy(QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("frmDummy"));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(2);

  auto* picDeco = new QLabel;
  picDeco->setObjectName(QStringLiteral("picDeco"));
  picDeco->setPixmap(ProgramPicture(32));
  auto* lblWait = new QLabel(QStringLiteral("Quillora 処理中です...  しばらくお待ち下さい"));
  lblWait->setObjectName(QStringLiteral("lblWait"));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(16, 8, 16, 8);
  layout->setSpacing(16);
  layout->addWidget(picDeco);
  layout->addWidget(lblWait, 1);

  setFixedSize(TwipsAsPixels(kWidthTwips, logicalDpiX()),
               TwipsAsPixels(kHeightTwips, logicalDpiY()));
}

void frmDummy::ShowCentred() {
  const QRect screen = this->screen()->geometry();
  move(screen.left() + (screen.width() - width()) / 2,
       screen.top() + (screen.height() - height()) / 2);
  show();
  QCoreApplication::processEvents();
}

}  // namespace quillora
