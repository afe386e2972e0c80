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

namespace quillora {

namespace {

// The tag a result's caption ends with, by decode type; no blanks around the arrow.
constexpr std::array<std::u16string_view, kDecodeTypeCount> kCaptionSuffixes{
    u" (JIS→ShiftJIS)", u" (EUC→ShiftJIS)", u" (UUENCODE→ShiftJIS)", u" (BASE64→ShiftJIS)",
    u" (UNICODE→ShiftJIS)"};

// Whether the decode could still read the file, which it opens again by name.
bool StillReadable(const Text& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(NativePath(path), error) &&
         std::ifstream(NativePath(path), std::ios::binary).is_open();
}

}  // namespace

void frmQuillora::mnuConvertRun_Click(std::int16_t Index) {
  const std::u16string_view suffix = Index >= 0 && Index < kDecodeTypeCount
                                         ? kCaptionSuffixes[static_cast<std::size_t>(Index)]
                                         : std::u16string_view();
  // A uuencode decoding renames the file it was given to the name on its begin line. That name
  // belongs in the caption, but later conversions must still read the file the user opened.
  Text decoded_file = App().CurrentFile;
  const std::string index_text = std::to_string(Index);
  ByteBuffer decoded;
  try {
    decoded = DecodeFile(decoded_file, Text(index_text.begin(), index_text.end()));
  } catch (const std::bad_alloc&) {
    if (!App().CommandOutput.empty()) {
      throw;  // the batch run says so on standard error
    }
    Outside().ShowMessage(this, ToQString(identity::kTitle),
                          QStringLiteral("メモリが足りないため、デコードできません。"),
                          MessageIcon::warning);
    return;
  }
  if (decoded.empty()) {
    return;
  }
  frmDocument* document = NewDocument();
  document->SetFontName(ShownFontName(App().SelectFont));
  if (const std::optional<double> size = NumberFromText(App().SelectFontsize); size && *size > 0) {
    document->SetFontSize(*size);
  }
  document->SetConverted(std::move(decoded));
  document->setWindowTitle(QStringLiteral("(%1) ").arg(App().DocumentCount - 1) +
                           ToQString(decoded_file) + ToQString(suffix));
  UpdateCommandState();
}

void frmQuillora::mnuConvertRunDefault_Click() {
  std::optional<frmDummy> banner;
  // A batch run shows its own banner for the whole run.
  if (App().CommandOutput.empty()) {
    banner.emplace(this);
    banner->ShowCentred();
  }
  if (const auto index = WholeNumberFromText<std::int16_t>(App().DefaultDecodeType)) {
    mnuConvertRun_Click(*index);
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
