// A document window: one text in a rich-text area. The caption tells the kind: a source file's
// path, or "(" and a number for a conversion result not yet saved under a name.
#pragma once

#include <QMdiSubWindow>
#include <cstdint>
#include <span>

#include "text/byte_buffer.h"

class QTextEdit;

namespace quillora {

class frmDocument : public QMdiSubWindow {
  Q_OBJECT

 public:
  explicit frmDocument(QWidget* parent = nullptr);

  // The file opened as the source: shown formatted when it is rich text, as code page 932 text
  // otherwise. It is read when the window is first shown or saved, so that a batch run, which
  // only converts it, does not read it twice.
  void SetFile(Text path);
  // A conversion result, as the code page 932 bytes its text saves to.
  void SetConverted(ByteBuffer cp932);

  void SetReadOnly(bool read_only);
  void SetFontName(const QString& name);
  void SetFontSize(double points);

  // The text area, holding the document's text. A document fills its area only when first shown,
  // so a batch run never lays out text nobody sees.
  QTextEdit& rtfText();

  // What saving writes, in code page 932: the text exactly as held while it is unedited, so CR LF
  // and NUL survive; edited text in the document's own line-end style. Valid until the document
  // next changes.
  [[nodiscard]] std::span<const std::uint8_t> BytesForSaving();

  // The user changed the text since it was put in or last saved, and did not say to drop it.
  [[nodiscard]] bool HasUnsavedEdits() const;
  // After BytesForSaving's bytes were written: they are now the text as held.
  void MarkSaved();
  // The user chose to drop the changes; the window is about to close.
  void DiscardEdits() { edits_discarded_ = true; }

  // A caption beginning with "(" marks an unsaved conversion result.
  [[nodiscard]] bool IsConverted() const;
  // Holds the file opened as the source, whatever its caption says.
  [[nodiscard]] bool IsSource() const { return !file_.empty(); }

 signals:
  // Before the window closes, whatever closes it.
  void Closing(frmDocument* document);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Reset();
  void FillTextArea();
  void ReadFile();

  QTextEdit* rtfText_;
  Text file_;          // the source file; empty for a conversion result
  bool read_ = false;  // bytes_ holds the file
  ByteBuffer bytes_;   // the file's bytes, or the result's code page 932 text
  ByteBuffer saving_;  // what BytesForSaving made when it could not hand out bytes_
  bool filled_ = false;
  bool rich_ = false;
  bool edits_discarded_ = false;
};

}  // namespace quillora
