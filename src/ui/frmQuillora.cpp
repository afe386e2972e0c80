// The main frame: construction, command states, load and close.
#include "ui/frmQuillora.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <utility>

#include "app/identity.h"
#include "app/number_text.h"
#include "app/paths.h"
#include "app/recent_files.h"
#include "app/settings.h"
#include "convert/decode_types.h"
#include "platform/registry.h"
#include "ui/frmDocument.h"
#include "ui/outside_world.h"
#include "ui/placement.h"
#include "ui/program_picture.h"
#include "ui/qt_text.h"
#include "ui/status_panels.h"
#include "ui/text_view.h"
#include "ui/tool_band.h"
#include "update/startup_registration.h"

namespace quillora {

namespace {

// The design placement, kept when the saved one is not usable: the settings' own defaults.
constexpr int kDesignLeft = 500;
constexpr int kDesignTop = 500;
constexpr int kDesignWidth = 7830;
constexpr int kDesignHeight = 5220;
// How long a window manager may take to frame a newly shown window.
constexpr std::chrono::milliseconds kFrameWait{500};

// An ordinary file: folders and anything else that is not a regular file count as missing.
bool IsExistingFile(const Text& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(NativePath(path), error);
}

}  // namespace

frmQuillora::frmQuillora(QWidget* parent)
    : QMainWindow(parent),
      menus_(CreateFrameMenus(*menuBar())),
      cbrTool_(new ToolBand(this)),
      sbStatusBar_(new StatusPanels(this)),
      mdiArea_(new QMdiArea(this)),
      save_shortcut_(new QAction(this)) {
  setObjectName(QStringLiteral("frmQuillora"));
  setWindowTitle(ToQString(identity::kTitle));
  setWindowIcon(QIcon(ProgramPicture(32)));
  // The tool band and the status bar are shown and hidden through the View menu only.
  setContextMenuPolicy(Qt::NoContextMenu);
  addToolBar(cbrTool_);
  setStatusBar(sbStatusBar_);
  mdiArea_->setObjectName(QStringLiteral("mdiArea"));
  setCentralWidget(mdiArea_);
  setAcceptDrops(true);
  save_shortcut_->setObjectName(QStringLiteral("SaveShortcut"));
  save_shortcut_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  addAction(save_shortcut_);
  PlaceOuter(DesignPlacement());
  ConnectCommands();
}

frmQuillora::~frmQuillora() {
  // Tearing the window down hides its documents: no activation or close to act on.
  mdiArea_->disconnect(this);
  for (frmDocument* document : Documents()) {
    document->disconnect(this);
  }
}

void frmQuillora::ConnectCommands() {
  const auto on = [this](QAction* action, void (frmQuillora::*handler)()) {
    connect(action, &QAction::triggered, this, handler);
  };
  on(menus_.mnuFileOpen, &frmQuillora::mnuFileOpen_Click);
  on(menus_.mnuFileClose, &frmQuillora::mnuFileClose_Click);
  on(menus_.mnuFileSave, &frmQuillora::mnuFileSave_Click);
  on(menus_.mnuFileSaveAs, &frmQuillora::mnuFileSaveAs_Click);
  on(menus_.mnuPrint, &frmQuillora::mnuPrint_Click);
  on(menus_.mnuFileExit, &frmQuillora::mnuFileExit_Click);
  on(menus_.mnuFileExportPdf, &frmQuillora::mnuFileExportPdf_Click);
  on(menus_.mnuFileSaveAttachments, &frmQuillora::mnuFileSaveAttachments_Click);
  on(save_shortcut_, &frmQuillora::mnuFileSave_Click);
  on(menus_.mnuViewFind, &frmQuillora::mnuViewFind_Click);
  connect(menus_.mnuFileRecent, &QMenu::aboutToShow, this, &frmQuillora::RebuildRecentFiles);
  on(menus_.mnuConvertRunDefault, &frmQuillora::mnuConvertRunDefault_Click);
  for (QAction* item : menus_.mnuConvertRun) {
    connect(item, &QAction::triggered, this,
            [this, item] { mnuConvertRun_Click(static_cast<std::int16_t>(item->data().toInt())); });
  }
  on(menus_.mnuViewToolbar, &frmQuillora::mnuViewToolbar_Click);
  on(menus_.mnuViewStatusBar, &frmQuillora::mnuViewStatusBar_Click);
  on(menus_.mnuToolsOptions, &frmQuillora::mnuToolsOptions_Click);
  on(menus_.mnuWindowCascade, &frmQuillora::mnuWindowCascade_Click);
  on(menus_.mnuWindowTileHorizontal, &frmQuillora::mnuWindowTileHorizontal_Click);
  on(menus_.mnuWindowTileVertical, &frmQuillora::mnuWindowTileVertical_Click);
  on(menus_.mnuHelpSearchForHelpOn, &frmQuillora::mnuHelpSearchForHelpOn_Click);
  on(menus_.mnuHelpAbout, &frmQuillora::mnuHelpAbout_Click);
  connect(menus_.mnuWindow, &QMenu::aboutToShow, this, &frmQuillora::RebuildWindowList);

  connect(cbrTool_, &ToolBand::ButtonClick, this, &frmQuillora::tbToolBar_ButtonClick);
  // activated, unlike currentIndexChanged, comes from the user only: start-up's own selection of
  // the saved font is no choice to apply.
  connect(&cboFonts(), &QComboBox::activated, this, &frmQuillora::cboFonts_Click);
  connect(&cboFontSize(), &QComboBox::activated, this, &frmQuillora::cboFontSize_Click);
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, &frmQuillora::UpdateCommandState);
  connect(&work_, &WorkInProgress::Changed, this,
          [this] { sbStatusBar_->ShowWork(work_.Current()); });
  connect(sbStatusBar_, &StatusPanels::CancelWork, &work_, &WorkInProgress::CancelAll);
  connect(sbStatusBar_, &StatusPanels::HintChosen, this,
          [this] { mnuConvertRun_Click(hinted_type_); });
}

QComboBox& frmQuillora::cboFonts() const {
  return cbrTool_->cboFonts();
}

QComboBox& frmQuillora::cboFontSize() const {
  return cbrTool_->cboFontSize();
}

void frmQuillora::SetFontListsFilling(bool filling) {
  font_lists_filling_ = filling;
  UpdateCommandState();
}

void frmQuillora::ShowDefaultDecodeCaption() {
  if (const std::optional<int> index = DefaultDecodeTypeSetting()) {
    menus_.mnuConvertRunDefault->setText(QString::fromUtf16(kDefaultDecodeCaption) +
                                         ToQString(DecodeTypeAt(*index)->name));
  }
}

void frmQuillora::ResetCommandState() {
  App().DocumentCount = 0;
  App().CurrentFile.clear();
  ++source_generation_;
  source_opened_ = false;
  UpdateCommandState();
}

// The one place that decides which commands are enabled: from whether a source file is open
// (OpenDocument, until ResetCommandState) and the active document's caption.
void frmQuillora::UpdateCommandState() {
  const bool source = source_opened_;
  const frmDocument* active = ActiveDocument();
  const bool save = active != nullptr && active->IsConverted();

  menus_.mnuFileOpen->setEnabled(!source);
  cbrTool_->Button(u"Open")->setEnabled(!source);
  menus_.mnuFileClose->setEnabled(source);
  menus_.mnuFileSaveAs->setEnabled(save);
  cbrTool_->Button(u"Save")->setEnabled(save);
  save_shortcut_->setEnabled(save);
  menus_.mnuPrint->setEnabled(source);
  // A document still being filled has nothing to export or search yet.
  const bool shown = active != nullptr && !active->IsLoading();
  menus_.mnuFileExportPdf->setEnabled(shown);
  menus_.mnuFileSaveAttachments->setEnabled(active != nullptr && !active->Attachments()->empty());
  menus_.mnuFileRecent->setEnabled(!source && !recent_files_.empty());
  menus_.mnuViewFind->setEnabled(shown);
  cbrTool_->Button(u"Print")->setEnabled(source);
  menus_.mnuConvertRunDefault->setEnabled(source);
  for (QAction* item : menus_.mnuConvertRun) {
    item->setEnabled(source);
  }
  cbrTool_->Button(u"Decode")->setEnabled(source);
  cboFonts().setEnabled(source && !font_lists_filling_);
  cboFontSize().setEnabled(source && !font_lists_filling_);
  UpdateDocumentStatus();
}

void frmQuillora::UpdateDocumentStatus() {
  frmDocument* active = ActiveDocument();
  if (active == nullptr || active->IsLoading()) {
    sbStatusBar_->ShowDocument({}, {}, {});
    return;
  }
  const LineColumn here = CursorLineColumn(active->rtfText().textCursor());
  sbStatusBar_->ShowDocument(active->Kind(), QStringLiteral("%L1 ﾊﾞｲﾄ").arg(active->HeldSize()),
                             QStringLiteral("%1 行 %2 列").arg(here.line).arg(here.column));
}

void frmQuillora::MDIForm_Load() {
  ResetCommandState();
  const Text& file = App().CommandFile;
  const bool file_exists = !file.empty() && IsExistingFile(file);
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    screens.append(screen->availableGeometry());
  }
  pending_placement_ = KeptOnScreen(
      SavedPlacement(App(), logicalDpiX(), logicalDpiY()).value_or(DesignPlacement()), screens);
  pending_maximized_ = SavedMaximized();
  recent_files_ = ReadRecentFiles(SettingsFilePath());
  UpdateCommandState();
  PlaceOuter(*pending_placement_);
  show();
  // A window manager frames the window some time after it is shown, and only then is the frame's
  // size known; without one there is no frame to wait for.
  auto* frame_wait = new QTimer(this);
  frame_wait->setSingleShot(true);
  connect(frame_wait, &QTimer::timeout, this, &frmQuillora::FinishPlacement);
  connect(frame_wait, &QTimer::timeout, frame_wait, &QObject::deleteLater);
  frame_wait->start(kFrameWait);
  if (file_exists) {
    OpenDocument(file);
  }
  RegisterWithUpdateNotifier();
}

QRect frmQuillora::DesignPlacement() const {
  return {TwipsAsPixels(kDesignLeft, logicalDpiX()), TwipsAsPixels(kDesignTop, logicalDpiY()),
          TwipsAsPixels(kDesignWidth, logicalDpiX()), TwipsAsPixels(kDesignHeight, logicalDpiY())};
}

void frmQuillora::PlaceOuter(const QRect& outer) {
  const QSize decoration = frameGeometry().size() - size();
  move(outer.topLeft());
  resize(outer.size() - decoration);
}

void frmQuillora::FinishPlacement() {
  if (!pending_placement_) {
    return;
  }
  PlaceOuter(*std::exchange(pending_placement_, std::nullopt));
  if (pending_maximized_) {
    showMaximized();
  }
}

bool frmQuillora::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  const bool placed = event->type() == QEvent::Move || event->type() == QEvent::Resize;
  if (placed && frameGeometry().size() != size()) {
    if (!isMaximized() && !isFullScreen()) {
      // Window managers draw a maximised window with a thinner frame, if any.
      normal_frame_ = FrameMargins();
    }
    if (pending_placement_) {
      FinishPlacement();
    }
  }
  return handled;
}

QMargins frmQuillora::FrameMargins() const {
  const QRect outer = frameGeometry();
  const QRect inner = geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

QRect frmQuillora::OuterNormalGeometry() const {
  if (!isMaximized() && !isFullScreen()) {
    return frameGeometry();
  }
  return normalGeometry().marginsAdded(normal_frame_.value_or(FrameMargins()));
}

void frmQuillora::RegisterWithUpdateNotifier() {
  const std::unique_ptr<registry::Registry> store = registry::OpenPlatformRegistry();
  if (store && quillora::RegisterWithUpdateNotifier(*store, ThisProgram(ProgramFolder()))) {
    Outside().ShowMessage(this, ToQString(identity::kTitle), ToQString(kNewerVersionNotice),
                          MessageIcon::information);
  }
}

void frmQuillora::closeEvent(QCloseEvent* event) {
  if (!MayDiscardEdits(Documents())) {
    event->ignore();
    return;
  }
  // A minimised window keeps the placement stored at the previous close.
  if (!isMinimized()) {
    StorePlacement(OuterNormalGeometry(), logicalDpiX(), logicalDpiY(), App());
  }
  SaveSettings();
  if (!isMinimized()) {
    StoreMaximized(isMaximized());
  }
  event->accept();
}

}  // namespace quillora
