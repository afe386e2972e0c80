// The main frame: menus, the tool band, the status bar and the documents area; its handlers are
// the program's commands. Which commands are enabled is computed in one place, UpdateCommandState.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/modQuillora.h"
#include "text/byte_buffer.h"
#include "ui/frame_menus.h"
#include "ui/work_in_progress.h"

class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QMdiArea;

namespace quillora {

class frmDocument;
struct ReportRow;
class frmDummy;
class StatusPanels;
struct Decoded;
class ToolBand;

class frmQuillora : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmQuillora(QWidget* parent = nullptr);
  ~frmQuillora() override;
  frmQuillora(const frmQuillora&) = delete;
  frmQuillora& operator=(const frmQuillora&) = delete;

  // The load handler: the window takes its saved placement, is shown, opens the command-line file
  // and registers with the update notifier.
  void MDIForm_Load();

  [[nodiscard]] QComboBox& cboFonts() const;
  [[nodiscard]] QComboBox& cboFontSize() const;
  // Start-up fills the font lists while events run; they stay disabled until it is done.
  void SetFontListsFilling(bool filling);
  // "標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - " and the default decode type's name; an invalid default leaves the item's
  // caption as it is.
  void ShowDefaultDecodeCaption();

  // The no-source-file state; starts the document numbering again.
  void ResetCommandState();
  // Applies the current font name, then size, to every document, newest first.
  void SetChangeFonts();

  // Work is running off the user-interface thread: opening, decoding, exporting.
  [[nodiscard]] bool IsBusy() const { return !work_.IsEmpty(); }

  [[nodiscard]] frmDocument* ActiveDocument() const;
  // In the order they were created.
  [[nodiscard]] QList<frmDocument*> Documents() const;

  // The commands. Menus, toolbar and tests all come through these.
  void mnuFileOpen_Click();
  void mnuFileClose_Click();
  void mnuFileSave_Click();
  void mnuFileSaveAs_Click();
  void mnuPrint_Click();
  void mnuFileExit_Click();
  void mnuFileExportPdf_Click();
  // Saves the active whole mail's attachments into a folder the user picks, under names that
  // cannot leave it or replace a file.
  void mnuFileSaveAttachments_Click();
  void mnuViewFind_Click();
  // Opens one of the recently opened files, or says it is gone and forgets it.
  void OpenRecentFile(const Text& path);
  void mnuConvertRun_Click(std::int16_t Index);
  void mnuConvertRunDefault_Click();
  void cboFonts_Click(int index);
  void cboFontSize_Click(int index);
  void mnuViewToolbar_Click();
  void mnuViewStatusBar_Click();
  void mnuWindowCascade_Click();
  void mnuWindowTileHorizontal_Click();
  void mnuWindowTileVertical_Click();
  void mnuToolsOptions_Click();
  void mnuHelpAbout_Click();
  void mnuHelpSearchForHelpOn_Click();
  void tbToolBar_ButtonClick(const QString& key);

 protected:
  // The close handler: keeps the placement and the settings.
  void closeEvent(QCloseEvent* event) override;
  // Watches for the frame the window system adds after the window is shown.
  bool event(QEvent* event) override;
  // Asks before a document with unsaved edits closes.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A file dropped onto the frame opens as if chosen in the open dialog, while Open is enabled.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ConnectCommands();
  void UpdateCommandState();
  // The active document's kind, size and cursor position in the status bar.
  void UpdateDocumentStatus();
  [[nodiscard]] QRect DesignPlacement() const;
  // Moves and sizes the window so that its outside, frame included, covers outer.
  void PlaceOuter(const QRect& outer);
  // Applies the saved placement again once the frame's size is known, then maximises the window
  // when it was closed maximised.
  void FinishPlacement();
  [[nodiscard]] QMargins FrameMargins() const;
  // The outer rectangle of the window's normal (not maximised) placement.
  [[nodiscard]] QRect OuterNormalGeometry() const;
  void RegisterWithUpdateNotifier();
  // The local file a drag carries, when there is exactly one and Open is enabled.
  [[nodiscard]] QString DroppableFile(const QMimeData* mime) const;

  // Decodes the current file off the user-interface thread; the result
  // opens in a new window. The banner, if any, stays until then.
  void StartDecode(std::int16_t index, std::shared_ptr<frmDummy> banner);
  void ShowDecoded(Decoded decoded, std::int16_t index);
  // Shows a document's filling in the status bar; cancelling it closes the document.
  void DocumentLoadingChanged(frmDocument* document);

  frmDocument* NewDocument();
  // True when the file can be read.
  bool OpenDocument(const Text& path);
  void DocumentClosing(frmDocument* document);
  // Shows a repair chosen in a result's report in the source and in the result.
  void ShowRepair(frmDocument* result, const ReportRow& row);
  void ArrangeDocuments(Qt::Orientation orientation);
  void RebuildWindowList();
  void RebuildRecentFiles();

  // Writes a document's text, or tells the user why it could not; true when written.
  bool SaveDocument(frmDocument& document, const QString& path);
  // Save As's dialog, then the write; true when written. The window then counts as saved.
  bool SaveThroughDialog(frmDocument& document);
  // For each of documents with unsaved edits: save, drop the edits, or cancel. True when none
  // is left with edits that the user still wants.
  bool MayDiscardEdits(const QList<frmDocument*>& documents);

  FrameMenus menus_;
  WorkInProgress work_;
  QHash<frmDocument*, int> loading_work_;
  std::uint64_t source_generation_ = 0;  // counts ResetCommandState
  std::int16_t hinted_type_ = 0;         // what the status bar's hint runs
  ToolBand* cbrTool_;
  StatusPanels* sbStatusBar_;
  QMdiArea* mdiArea_;
  QList<QAction*> window_list_;
  // Ctrl+S: the toolbar's Save, which the design keeps apart from the disabled menu item.
  QAction* save_shortcut_;
  std::vector<Text> recent_files_;

  std::optional<QRect> pending_placement_;  // until the window system has framed the window
  bool pending_maximized_ = false;
  std::optional<QMargins> normal_frame_;  // the frame last seen around the normal window
  bool source_opened_ = false;
  bool font_lists_filling_ = false;
  QString last_chosen_file_;  // both file dialogs propose the name last chosen in either
};

}  // namespace quillora
