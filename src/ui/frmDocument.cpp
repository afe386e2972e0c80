// A document window.
#include "ui/frmDocument.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSplitter>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <utility>

#include "io/file_reading.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"
#include "ui/find_bar.h"
#include "ui/line_ends.h"
#include "ui/program_picture.h"
#include "ui/qt_text.h"
#include "ui/rich_text_loader.h"

namespace quillora {

namespace {

// What a filling hands back to the window.
struct Filling {
  std::shared_ptr<const ByteBuffer> bytes;
  bool rich = false;
  std::shared_ptr<ShownText> shown;  // shared: the queued call that carries it is copied
};

}  // namespace

frmDocument::frmDocument(QWidget* parent)
    : QMdiSubWindow(parent),
      rtfText_(new QPlainTextEdit),
      panes_(new QSplitter),
      find_bar_(new FindBar(*rtfText_)),
      bytes_(std::make_shared<const ByteBuffer>()) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Now Loading..."));
  setWindowIcon(QIcon(ProgramPicture(16)));
  rtfText_->setObjectName(QStringLiteral("rtfText"));
  rtfText_->setReadOnly(true);
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(rtfText_, 1);
  column->addWidget(find_bar_);
  panes_->setOrientation(Qt::Vertical);
  panes_->setChildrenCollapsible(false);
  panes_->addWidget(content);
  setWidget(panes_);
}

void frmDocument::SetReport(std::vector<ReportRow> rows) {
  auto* report = new RepairReport(std::move(rows));
  connect(report, &RepairReport::Chosen, this,
          [this](const ReportRow& row) { emit ReportChosen(this, row); });
  panes_->addWidget(report);
  // F6 moves between the panes, as in most programs with more than one.
  auto* next_pane = new QShortcut(QKeySequence(Qt::Key_F6), this);
  next_pane->setContext(Qt::WidgetWithChildrenShortcut);
  connect(next_pane, &QShortcut::activated, this, [this, report] {
    if (report->hasFocus()) {
      rtfText_->setFocus(Qt::OtherFocusReason);
    } else {
      report->setFocus(Qt::TabFocusReason);
    }
  });
  // The text keeps two thirds of the window, whatever the report's own size hint.
  panes_->setStretchFactor(0, 2);
  panes_->setStretchFactor(1, 1);
  panes_->setSizes({2000, 1000});
}

RepairReport* frmDocument::Report() const {
  return panes_->count() > 1 ? qobject_cast<RepairReport*>(panes_->widget(1)) : nullptr;
}

void frmDocument::SelectArea(AreaRange range) {
  if (!filled_ || rich_) {
    return;  // no text yet, or formatted text whose places are not its bytes'
  }
  const int last = std::max(rtfText_->document()->characterCount() - 1, 0);
  QTextCursor cursor(rtfText_->document());
  cursor.setPosition(std::min(static_cast<int>(std::min<std::size_t>(range.from, INT_MAX)), last));
  cursor.setPosition(std::min(static_cast<int>(std::min<std::size_t>(range.to, INT_MAX)), last),
                     QTextCursor::KeepAnchor);
  rtfText_->setTextCursor(cursor);
  rtfText_->ensureCursorVisible();
}

void frmDocument::OpenFindBar() {
  find_bar_->Open();
}

void frmDocument::SetFile(Text path) {
  Reset();
  file_ = std::move(path);
  if (isVisible()) {
    StartFilling();
  }
}

void frmDocument::SetConverted(ByteBuffer cp932, ShownText shown) {
  Reset();
  bytes_ = std::make_shared<const ByteBuffer>(std::move(cp932));
  if (shown) {
    ShowText(std::move(shown));
  } else if (isVisible()) {
    StartFilling();
  }
}

void frmDocument::Reset() {
  CancelLoading();
  file_.clear();
  read_ = false;
  bytes_ = std::make_shared<const ByteBuffer>();
  saving_.reset();
  filled_ = false;
  rich_ = false;
  edits_discarded_ = false;
  rtfText_->setReadOnly(true);
}

void frmDocument::SetReadOnly(bool read_only) {
  read_only_ = read_only;
  rtfText_->setReadOnly(read_only || !filled_);
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

void frmDocument::CancelLoading() {
  if (!loading_) {
    return;
  }
  *std::exchange(loading_, nullptr) = true;
  emit LoadingChanged(this);
}

void frmDocument::StartFilling() {
  if (filled_ || loading_) {
    return;
  }
  const Text file = read_ ? Text() : file_;
  const std::shared_ptr<const ByteBuffer> held = bytes_;
  const bool source = IsSource();
  loading_ = RunInBackground(
      this,
      [file, held, source] {
        Filling filling;
        filling.bytes = held;
        if (!file.empty()) {
          // A file that cannot be read gives an empty document, still titled with its path.
          filling.bytes = std::make_shared<const ByteBuffer>(
              ReadWholeFile(NativePath(file)).value_or(ByteBuffer{}));
        }
        filling.rich = source && IsRichText(*filling.bytes);
        filling.shown = std::make_shared<ShownText>(BuildTextView(*filling.bytes, filling.rich));
        return filling;
      },
      [this, source](Filling filling) {
        loading_.reset();
        if (source && !read_) {
          read_ = true;
          bytes_ = std::move(filling.bytes);
        }
        rich_ = filling.rich;
        ShowText(std::move(*filling.shown));
        emit LoadingChanged(this);
      });
  emit LoadingChanged(this);
}

void frmDocument::ShowText(ShownText shown) {
  QTextDocument* document = shown.release();
  // The area deletes the document it made itself; one given to it earlier is the window's.
  QTextDocument* given_earlier =
      rtfText_->document()->parent() == rtfText_ ? rtfText_->document() : nullptr;
  document->setParent(rtfText_);
  document->setDefaultFont(rtfText_->font());
  rtfText_->setDocument(document);
  delete given_earlier;
  connect(
      document, &QTextDocument::contentsChange, document,
      [document](int from, int /*removed*/, int added) { RecountLines(*document, from, added); });
  filled_ = true;
  rtfText_->setReadOnly(read_only_);
}

std::function<frmDocument::SavedBytes()> frmDocument::PrepareSaving() {
  ReadFile();
  if (filled_ && (rich_ || rtfText_->document()->isModified())) {
    // Taking the text lets events run; nothing of the window is touched after it.
    const LineEnd line_end = LineEndOf(*bytes_);
    return [text = RawTextInSlices(*rtfText_->document()), line_end] {
      return std::make_shared<const ByteBuffer>(TextToBytes(WithLineEnds(ToText(text), line_end)));
    };
  }
  if (IsSource()) {
    // A source file is saved as the text it was shown as.
    return [held = bytes_] {
      return std::make_shared<const ByteBuffer>(TextToBytes(BytesToText(*held)));
    };
  }
  return [held = bytes_] { return held; };
}

std::span<const std::uint8_t> frmDocument::BytesForSaving() {
  saving_ = PrepareSaving()();
  return *saving_;
}

ShownContent frmDocument::Content(bool selection_only) const {
  const QTextCursor selection = rtfText_->textCursor();
  if (selection_only && selection.hasSelection()) {
    return {nullptr, selection.selectedText(), rtfText_->font()};
  }
  if (rich_) {
    return {bytes_, {}, rtfText_->font()};
  }
  // Taking the text lets events run; nothing of the window is touched after it.
  const QFont font = rtfText_->font();
  return {nullptr, RawTextInSlices(*rtfText_->document()), font};
}

bool frmDocument::HasUnsavedEdits() const {
  return filled_ && !edits_discarded_ && rtfText_->document()->isModified();
}

void frmDocument::MarkSaved(SavedBytes written) {
  if (!HasUnsavedEdits()) {
    return;
  }
  bytes_ = std::move(written);
  rtfText_->document()->setModified(false);
}

QString frmDocument::Kind() const {
  if (!kind_.isEmpty()) {
    return kind_;
  }
  return rich_ ? QStringLiteral("RTF") : QStringLiteral("Shift_JIS");
}

bool frmDocument::IsConverted() const {
  return windowTitle().startsWith(u'(');
}

void frmDocument::showEvent(QShowEvent* event) {
  QMdiSubWindow::showEvent(event);
  StartFilling();
}

void frmDocument::closeEvent(QCloseEvent* event) {
  CancelLoading();
  emit Closing(this);
  QMdiSubWindow::closeEvent(event);
}

void frmDocument::ReadFile() {
  if (!IsSource() || read_) {
    return;
  }
  read_ = true;
  bytes_ =
      std::make_shared<const ByteBuffer>(ReadWholeFile(NativePath(file_)).value_or(ByteBuffer{}));
}

}  // namespace quillora
