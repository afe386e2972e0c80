// A document window: one text in a plain-text area, formatted only for an RTF source. The caption
// tells the kind: a source file's path, or "(" and a number for a conversion result not yet saved
// under a name.
#pragma once

#include <QMdiSubWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "mail/mail_reader.h"
#include "text/byte_buffer.h"
#include "ui/background_work.h"
#include "ui/paged_text.h"
#include "ui/repair_report.h"
#include "ui/text_view.h"

class QPlainTextEdit;
class QSplitter;

namespace quillora {

class FindBar;

class frmDocument : public QMdiSubWindow {
  Q_OBJECT

 public:
  explicit frmDocument(QWidget* parent = nullptr);

  // The file opened as the source: shown formatted when it is rich text, as code page 932 text
  // otherwise. It is read when the window is first shown or saved.
  void SetFile(Text path);
  // A conversion result, as the code page 932 bytes its text saves to, with the text to show
  // when it was already built off the user-interface thread.
  void SetConverted(ByteBuffer cp932, ShownText shown = nullptr);

  void SetReadOnly(bool read_only);
  void SetFontName(const QString& name);
  void SetFontSize(double points);

  // The text area. A document fills it off the user-interface thread once first shown, so no
  // text is laid out that nobody sees; until then it is empty and read-only.
  QPlainTextEdit& rtfText() { return *rtfText_; }
  // The find bar under the text, opened.
  void OpenFindBar();
  [[nodiscard]] bool IsLoading() const { return loading_ != nullptr; }
  // Drops a filling in progress; the area stays empty.
  void CancelLoading();

  // What saving writes, in code page 932: the text exactly as held while it is unedited, so CR LF
  // and NUL survive; edited text in the document's own line-end style. The returned job makes the
  // bytes on any thread; the text is taken from the area now, letting events other than the
  // user's run meanwhile.
  using SavedBytes = std::shared_ptr<const ByteBuffer>;
  [[nodiscard]] std::function<SavedBytes()> PrepareSaving();
  // The same, made at once; valid until the document next changes.
  [[nodiscard]] std::span<const std::uint8_t> BytesForSaving();
  // What printing or a PDF of the document shows: the text as the view holds it (only the
  // selection, when asked and there is one), formatted for an RTF source. Taking the text lets
  // events other than the user's run.
  [[nodiscard]] ShownContent Content(bool selection_only) const;
  // The file as the window shows it, once read; null before, and for a result.
  [[nodiscard]] std::shared_ptr<const ByteBuffer> SourceBytes() const {
    return IsSource() && read_ ? bytes_ : nullptr;
  }
  // The size of the text as held, in bytes; 0 for a source not read yet.
  [[nodiscard]] std::size_t HeldSize() const { return bytes_->size(); }

  // The user changed the text since it was put in or last saved, and did not say to drop it.
  [[nodiscard]] bool HasUnsavedEdits() const;
  // After written, made by PrepareSaving's job, was written: it is now the text as held.
  void MarkSaved(SavedBytes written);
  // The user chose to drop the changes; the window is about to close.
  void DiscardEdits() { edits_discarded_ = true; }

  // What the status bar calls the text: a result's decode type, a source's encoding.
  void SetKind(const QString& kind) { kind_ = kind; }
  // The files a whole mail carried, for saving.
  using AttachmentList = std::shared_ptr<const std::vector<mail::Attachment>>;
  void SetAttachments(std::vector<mail::Attachment> attachments) {
    attachments_ = std::make_shared<const std::vector<mail::Attachment>>(std::move(attachments));
  }
  // Shared with a saving in progress; never null.
  [[nodiscard]] const AttachmentList& Attachments() const { return attachments_; }
  [[nodiscard]] QString Kind() const;
  // The repairs a whole mail took, listed under the text.
  void SetReport(std::vector<ReportRow> rows);
  [[nodiscard]] RepairReport* Report() const;
  // Selects these places of the text and scrolls to them; nothing before the text is shown, or
  // in formatted text.
  void SelectArea(AreaRange range);

  // A caption beginning with "(" marks an unsaved conversion result.
  [[nodiscard]] bool IsConverted() const;
  // Holds the file opened as the source, whatever its caption says.
  [[nodiscard]] bool IsSource() const { return !file_.empty(); }

 signals:
  // Before the window closes, whatever closes it.
  void Closing(frmDocument* document);
  // Filling the text area started or ended.
  void LoadingChanged(frmDocument* document);
  // A repair was chosen in this result's report.
  void ReportChosen(frmDocument* document, const ReportRow& row);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Reset();
  void StartFilling();
  void ShowText(ShownText shown);
  void ReadFile();

  QPlainTextEdit* rtfText_;
  QSplitter* panes_;  // the text over the report
  FindBar* find_bar_;
  Text file_;          // the source file; empty for a conversion result
  bool read_ = false;  // bytes_ holds the file
  // The file's bytes, or the result's code page 932 text; shared with a filling in progress.
  std::shared_ptr<const ByteBuffer> bytes_;
  SavedBytes saving_;  // what BytesForSaving made
  bool filled_ = false;
  bool rich_ = false;
  bool read_only_ = false;  // as the owner set it
  bool edits_discarded_ = false;
  CancelFlag loading_;
  QString kind_;
  AttachmentList attachments_ = std::make_shared<const std::vector<mail::Attachment>>();
};

}  // namespace quillora
