// The main frame's conversion commands and the batch run.
#include <QMdiArea>
#include <array>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "app/decode_file.h"
#include "app/identity.h"
#include "app/paths.h"
#include "io/atomic_file.h"
#include "ui/frmDocument.h"
#include "ui/frmDummy.h"
#include "ui/frmQuillora.h"
#include "ui/japanese_font.h"
#include "ui/number_text.h"
#include "ui/outside_world.h"
#include "ui/qt_text.h"
#include "ui/text_view.h"

namespace quillora {

// A decoding's outcome, carried from the thread that made it to the window.
struct Decoded {
  Text file;  // the name the caption shows
  ByteBuffer cp932;
  std::shared_ptr<ShownText> shown;  // shared: the queued call that carries it is copied
  bool out_of_memory = false;
};

namespace {

// The tag a result's caption ends with, by decode type; no blanks around the arrow.
constexpr std::array<std::u16string_view, kDecodeTypeCount> kCaptionSuffixes{
    u" (JIS→ShiftJIS)", u" (EUC→ShiftJIS)", u" (UUENCODE→ShiftJIS)", u" (BASE64→ShiftJIS)",
    u" (UNICODE→ShiftJIS)"};

std::u16string_view CaptionSuffix(std::int16_t index) {
  return index >= 0 && index < kDecodeTypeCount ? kCaptionSuffixes[static_cast<std::size_t>(index)]
                                                : std::u16string_view();
}

// Runs on any thread. with_view builds the text to show as well, so the window only installs it.
Decoded Decode(Text file, std::int16_t index, bool with_view) {
  Decoded decoded;
  decoded.file = std::move(file);
  const std::string index_text = std::to_string(index);
  try {
    decoded.cp932 = DecodeFile(decoded.file, Text(index_text.begin(), index_text.end()));
    if (with_view && !decoded.cp932.empty()) {
      decoded.shown = std::make_shared<ShownText>(BuildTextView(decoded.cp932, false));
    }
  } catch (const std::bad_alloc&) {
    decoded = Decoded{};
    decoded.out_of_memory = true;
  }
  return decoded;
}

// Whether the decode could still read the file, which it opens again by name.
bool StillReadable(const Text& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(NativePath(path), error) &&
         std::ifstream(NativePath(path), std::ios::binary).is_open();
}

}  // namespace

void frmQuillora::mnuConvertRun_Click(std::int16_t Index) {
  StartDecode(Index, nullptr);
}

void frmQuillora::StartDecode(std::int16_t index, std::shared_ptr<frmDummy> banner) {
  // A uuencode decoding renames the file it was given to the name on its begin line. That name
  // belongs in the caption, but later conversions must still read the file the user opened.
  const Text file = App().CurrentFile;
  if (!App().CommandOutput.empty()) {
    // The batch run waits for its one result.
    Decoded decoded = Decode(file, index, false);
    if (decoded.out_of_memory) {
      throw std::bad_alloc();  // the batch run says so on standard error
    }
    ShowDecoded(std::move(decoded), index);
    return;
  }
  const std::uint64_t generation = source_generation_;
  auto id = std::make_shared<int>();
  const CancelFlag cancelled = RunInBackground(
      this, [file, index] { return Decode(file, index, true); },
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
  frmDocument* document = NewDocument();
  document->SetFontName(ShownFontName(App().SelectFont));
  if (const std::optional<double> size = NumberFromText(App().SelectFontsize); size && *size > 0) {
    document->SetFontSize(*size);
  }
  document->SetConverted(std::move(decoded.cp932),
                         decoded.shown ? std::move(*decoded.shown) : nullptr);
  document->setWindowTitle(QStringLiteral("(%1) ").arg(App().DocumentCount - 1) +
                           ToQString(decoded.file) + ToQString(CaptionSuffix(index)));
  document->SetKind(ToQString(MakeDecodeTypeNames().at(static_cast<std::size_t>(index))));
  UpdateCommandState();
}

void frmQuillora::mnuConvertRunDefault_Click() {
  std::shared_ptr<frmDummy> banner;
  // A batch run shows its own banner for the whole run; otherwise the banner stays until the
  // result is shown.
  if (App().CommandOutput.empty()) {
    banner = std::make_shared<frmDummy>(this);
    banner->ShowCentred();
  }
  if (const auto index = WholeNumberFromText<std::int16_t>(App().DefaultDecodeType)) {
    StartDecode(*index, std::move(banner));
  }
}

void frmQuillora::RunBatch() {
  frmDummy banner(this);
  banner.ShowCentred();
  move(banner.pos());

  if (!OpenDocument(App().CommandFile)) {
    batch_failure_ = QStringLiteral("cannot read '%1'").arg(ToQString(App().CommandFile));
  } else {
    const std::int32_t documents = App().DocumentCount;
    mnuConvertRunDefault_Click();
    // An input that vanished after it was shown gives no result; the source document must not
    // then be saved as if it were one.
    if (App().DocumentCount == documents && !StillReadable(App().CurrentFile)) {
      batch_failure_ = QStringLiteral("cannot read '%1'").arg(ToQString(App().CommandFile));
    } else {
      const std::string problem =
          WriteFileAtomically(NativePath(BatchOutputPath(App().CommandFile, App().CommandOutput)),
                              ActiveDocument()->BytesForSaving());
      batch_failure_ = QString::fromStdString(problem);
    }
  }
  App().BatchDone = true;
  close();
}

}  // namespace quillora
