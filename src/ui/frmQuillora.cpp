// The main frame: construction, command states, load and close.
#include "ui/frmQuillora.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>

#include "app/identity.h"
#include "app/paths.h"
#include "app/settings.h"
#include "convert/decode_types.h"
#include "platform/registry.h"
#include "ui/frmDocument.h"
#include "app/number_text.h"
#include "ui/outside_world.h"
#include "ui/placement.h"
#include "ui/program_picture.h"
#include "ui/qt_text.h"
#include "ui/status_panels.h"
#include "ui/tool_band.h"
#include "update/startup_registration.h"

namespace quillora {

namespace {

// The design placement, kept when the saved one is not usable: the settings' own defaults.
constexpr int kDesignLeft = 500;
constexpr int kDesignTop = 500;
constexpr int kDesignWidth = 7830;
constexpr int kDesignHeight = 5220;

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
      mdiArea_(new QMdiArea(this)) {
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
  menus_.mnuPrint->setEnabled(source);
  cbrTool_->Button(u"Print")->setEnabled(source);
  menus_.mnuConvertRunDefault->setEnabled(source);
  for (QAction* item : menus_.mnuConvertRun) {
    item->setEnabled(source);
  }
  cbrTool_->Button(u"Decode")->setEnabled(source);
  cboFonts().setEnabled(source && !font_lists_filling_);
  cboFontSize().setEnabled(source && !font_lists_filling_);
}

void frmQuillora::MDIForm_Load() {
  ResetCommandState();
  const Text& file = App().CommandFile;
  const bool file_exists = !file.empty() && IsExistingFile(file);
  // The window system adds its frame to a window only once it is shown, so the outer rectangle is
  // applied again then.
  const QRect outer =
      SavedPlacement(App(), logicalDpiX(), logicalDpiY()).value_or(DesignPlacement());
  PlaceOuter(outer);
  show();
  PlaceOuter(outer);
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

void frmQuillora::RegisterWithUpdateNotifier() {
  const std::unique_ptr<registry::Registry> store = registry::OpenPlatformRegistry();
  if (store && quillora::RegisterWithUpdateNotifier(*store, ThisProgram(ProgramFolder()))) {
    Outside().ShowMessage(this, ToQString(identity::kTitle), ToQString(kNewerVersionNotice),
                          MessageIcon::information);
  }
}

void frmQuillora::closeEvent(QCloseEvent* event) {
  // A minimised window keeps the placement stored at the previous close.
  if (!isMinimized()) {
    StorePlacement(frameGeometry(), logicalDpiX(), logicalDpiY(), App());
  }
  SaveSettings();
  event->accept();
}

}  // namespace quillora
