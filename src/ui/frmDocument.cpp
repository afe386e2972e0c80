// A document window.
#include "ui/frmDocument.h"

#include <QCloseEvent>
#include <QTextEdit>
#include <utility>

#include "io/file_reading.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"
#include "ui/line_ends.h"
#include "ui/program_picture.h"
#include "ui/qt_text.h"
#include "ui/rich_text_loader.h"

namespace quillora {

frmDocument::frmDocument(QWidget* parent) : QMdiSubWindow(parent), rtfText_(new QTextEdit) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Now Loading..."));
  setWindowIcon(QIcon(ProgramPicture(16)));
  rtfText_->setObjectName(QStringLiteral("rtfText"));
  rtfText_->setAcceptRichText(false);
  setWidget(rtfText_);
}

void frmDocument::SetFile(Text path) {
  Reset();
  file_ = std::move(path);
  if (isVisible()) {
    FillTextArea();
  }
}

void frmDocument::SetConverted(ByteBuffer cp932) {
  Reset();
  bytes_ = std::move(cp932);
  if (isVisible()) {
    FillTextArea();
  }
}

void frmDocument::Reset() {
  file_.clear();
  read_ = false;
  bytes_.clear();
  saving_.clear();
  filled_ = false;
  rich_ = false;
  edits_discarded_ = false;
}

void frmDocument::SetReadOnly(bool read_only) {
  rtfText_->setReadOnly(read_only);
}

void frmDocument::SetFontName(const QString& name) {
  QFont font = rtfText_->font();
  font.setFamily(name);
  rtfText_->setFont(font);
}

void frmDocument::SetFontSize(double points) {
  QFont font = rtfText_->font();
  font.setPointSizeF(points);
  rtfText_->setFont(font);
}

QTextEdit& frmDocument::rtfText() {
  FillTextArea();
  return *rtfText_;
}

std::span<const std::uint8_t> frmDocument::BytesForSaving() {
  ReadFile();
  if (filled_ && (rich_ || rtfText_->document()->isModified())) {
    const QString area_text = rtfText_->document()->toRawText();
    saving_ = TextToBytes(WithLineEnds(ToText(area_text), LineEndOf(bytes_)));
    return saving_;
  }
  if (IsSource()) {
    // A source file is saved as the text it was shown as.
    saving_ = TextToBytes(BytesToText(bytes_));
    return saving_;
  }
  return bytes_;
}

bool frmDocument::HasUnsavedEdits() const {
  return filled_ && !edits_discarded_ && rtfText_->document()->isModified();
}

void frmDocument::MarkSaved() {
  if (!HasUnsavedEdits()) {
    return;
  }
  bytes_ = std::exchange(saving_, {});
  rtfText_->document()->setModified(false);
}

bool frmDocument::IsConverted() const {
  return windowTitle().startsWith(u'(');
}

void frmDocument::showEvent(QShowEvent* event) {
  QMdiSubWindow::showEvent(event);
  FillTextArea();
}

void frmDocument::closeEvent(QCloseEvent* event) {
  emit Closing(this);
  QMdiSubWindow::closeEvent(event);
}

void frmDocument::FillTextArea() {
  if (filled_) {
    return;
  }
  filled_ = true;
  ReadFile();
  rich_ = IsSource() && IsRichText(bytes_);
  if (rich_) {
    LoadRichText(*rtfText_, bytes_);
  } else {
    rtfText_->setPlainText(ToQString(ForTextArea(BytesToText(bytes_))));
  }
  rtfText_->document()->setModified(false);
}

void frmDocument::ReadFile() {
  if (!IsSource() || read_) {
    return;
  }
  read_ = true;
  // A file that cannot be read gives an empty document, still titled with its path.
  bytes_ = ReadWholeFile(NativePath(file_)).value_or(ByteBuffer{});
}

}  // namespace quillora
