// The main frame's conversion commands.
#include <QMdiArea>
#include <QStatusBar>
#include <QStringList>
#include <new>
#include <optional>
#include <string>

#include "app/decode_file.h"
#include "app/identity.h"
#include "app/settings.h"
#include "convert/decode_types.h"
#include "io/file_reading.h"
#include "text/utf8.h"
#include "ui/frmDocument.h"
#include "ui/frmDummy.h"
#include "ui/frmQuillora.h"
#include "ui/japanese_font.h"
#include "ui/outside_world.h"
#include "ui/qt_text.h"
#include "ui/repair_report.h"
#include "ui/status_panels.h"
#include "ui/text_view.h"

namespace quillora {

// A decoding's outcome, carried from the thread that made it to the window.
struct Decoded {
  Text file;  // the name the caption shows
  ByteBuffer cp932;
  std::shared_ptr<ShownText> shown;  // shared: the queued call that carries it is copied
  DecodeNotes notes;
  std::vector<ReportRow> report;
  bool out_of_memory = false;
};

namespace {

// What the whole mail held, for the status bar: its charsets and transfer encodings, and how many
// repairs reading it took. Empty for the other decode types.
QString MailSummary(const DecodeNotes& notes) {
  if (notes.charsets.empty() && notes.transfer_encodings.empty() && notes.repair_count == 0) {
    return {};
  }
  QStringList found;
  for (const auto* names : {&notes.charsets, &notes.transfer_encodings}) {
    for (const std::string& name : *names) {
      found.append(QString::fromStdString(name));
    }
  }
  return QStringLiteral(": %1 / 修復 %2 件")
      .arg(found.join(QStringLiteral(", ")))
      .arg(notes.repair_count);
}

// Runs on any thread; builds the text to show and the report as well, so the window only installs
// them. `source` is what the source window shows, when it has read it.
Decoded Decode(const Text& file, std::int16_t index, std::shared_ptr<const ByteBuffer> source) {
  Decoded decoded;
  decoded.file = file;
  const std::string index_text = std::to_string(index);
  try {
    decoded.cp932 =
        DecodeFile(decoded.file, Text(index_text.begin(), index_text.end()), &decoded.notes);
    if (!decoded.cp932.empty()) {
      decoded.shown = std::make_shared<ShownText>(BuildTextView(decoded.cp932, false));
    }
    if (!decoded.notes.repairs.empty()) {
      if (!source) {
        source = std::make_shared<const ByteBuffer>(
            ReadWholeFile(NativePath(file)).value_or(ByteBuffer{}));
      }
      decoded.report = ReportRows(decoded.notes.repairs, *source, decoded.cp932);
    }
  } catch (const std::bad_alloc&) {
    decoded = Decoded{};
    decoded.out_of_memory = true;
  }
  return decoded;
}

}  // namespace

void frmQuillora::mnuConvertRun_Click(std::int16_t Index) {
  StartDecode(Index, nullptr);
}

void frmQuillora::StartDecode(std::int16_t index, std::shared_ptr<frmDummy> banner) {
  sbStatusBar_->ShowHint({});
  // A uuencode decoding renames the file it was given to the name on its begin line. That name
  // belongs in the caption, but later conversions must still read the file the user opened.
  const Text file = App().CurrentFile;
  std::shared_ptr<const ByteBuffer> source;
  for (const frmDocument* document : Documents()) {
    source = document->IsSource() ? document->SourceBytes() : source;
  }
  const std::uint64_t generation = source_generation_;
  auto id = std::make_shared<int>();
  const CancelFlag cancelled = RunInBackground(
      this, [file, index, source] { return Decode(file, index, source); },
      [this, id, index, generation](Decoded decoded) {
        work_.Finish(*id);
        // Results of a source closed meanwhile are dropped with it.
        if (generation == source_generation_) {
          ShowDecoded(std::move(decoded), index);
        }
      });
  *id = work_.Start(
      QStringLiteral("デコード中..."), [cancelled] { *cancelled = true; }, std::move(banner));
}

void frmQuillora::ShowDecoded(Decoded decoded, std::int16_t index) {
  if (decoded.out_of_memory) {
    Outside().ShowMessage(this, ToQString(identity::kTitle),
                          QStringLiteral("メモリが足りないため、デコードできません。"),
                          MessageIcon::warning);
    return;
  }
  if (decoded.cp932.empty()) {
    return;
  }
  if (const std::optional<int> fits = decoded.notes.looks_like) {
    // One click runs the decode type the content looks like.
    hinted_type_ = static_cast<std::int16_t>(*fits);
    sbStatusBar_->ShowHint(QStringLiteral("この内容は %1 に見えます（%2）。ここを押すと変換します")
                               .arg(ToQString(DecodeTypeAt(*fits)->name),
                                    QString::fromStdString(decoded.notes.evidence)));
  }
  const std::optional<DecodeType> type = DecodeTypeAt(index);
  frmDocument* document = NewDocument();
  document->SetFontName(ShownFontName(App().SelectFont));
  if (const std::optional<double> size = FontSizeSetting()) {
    document->SetFontSize(*size);
  }
  document->SetConverted(std::move(decoded.cp932),
                         decoded.shown ? std::move(*decoded.shown) : nullptr);
  document->setWindowTitle(QStringLiteral("(%1) ").arg(App().DocumentCount - 1) +
                           ToQString(decoded.file) +
                           ToQString(type ? type->caption_suffix : std::u16string_view()));
  document->SetAttachments(std::move(decoded.notes.attachments));
  if (!decoded.report.empty()) {
    document->SetReport(std::move(decoded.report));
  }
  if (type) {
    document->SetKind(ToQString(type->name) + MailSummary(decoded.notes));
  }
  if (decoded.notes.stopped_at) {
    // The bytes the converter made are kept, as they always were; that they end early is said.
    statusBar()->showMessage(
        QStringLiteral("デコードは %1 バイト目で止まりました。それより前の結果を表示しています。")
            .arg(*decoded.notes.stopped_at));
  }
  UpdateCommandState();
}

void frmQuillora::ShowRepair(frmDocument* result, const ReportRow& row) {
  for (frmDocument* document : Documents()) {
    if (document->IsSource()) {
      document->SelectArea(row.source);
    }
  }
  result->SelectArea(row.result);
}

void frmQuillora::mnuConvertRunDefault_Click() {
  // The banner stays until the result is shown.
  auto banner = std::make_shared<frmDummy>(this);
  banner->ShowCentred();
  if (const std::optional<int> index = DefaultDecodeTypeSetting()) {
    StartDecode(static_cast<std::int16_t>(*index), std::move(banner));
  }
}

}  // namespace quillora
