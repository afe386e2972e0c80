// The main frame's conversion commands.
#include <QMdiArea>
#include <new>
#include <optional>
#include <string>

#include "app/settings.h"
#include "app/decode_file.h"
#include "app/identity.h"
#include "convert/decode_types.h"
#include "ui/frmDocument.h"
#include "ui/frmDummy.h"
#include "ui/frmQuillora.h"
#include "app/number_text.h"
#include "ui/outside_world.h"
#include "ui/qt_text.h"

namespace quillora {


void frmQuillora::mnuConvertRun_Click(std::int16_t Index) {
  const std::optional<DecodeType> type = DecodeTypeAt(Index);
  const std::u16string_view suffix = type ? type->caption_suffix : std::u16string_view();
  // A uuencode decoding renames the file it was given to the name on its begin line. That name
  // belongs in the caption, but later conversions must still read the file the user opened.
  Text decoded_file = App().CurrentFile;
  const std::string index_text = std::to_string(Index);
  ByteBuffer decoded;
  try {
    decoded = DecodeFile(decoded_file, Text(index_text.begin(), index_text.end()));
  } catch (const std::bad_alloc&) {
    Outside().ShowMessage(this, ToQString(identity::kTitle),
                          QStringLiteral("メモリが足りないため、デコードできません。"),
                          MessageIcon::warning);
    return;
  }
  if (decoded.empty()) {
    return;
  }
  frmDocument* document = NewDocument();
  document->SetFontName(ToQString(App().SelectFont));
  if (const std::optional<double> size = FontSizeSetting()) {
    document->SetFontSize(*size);
  }
  document->SetConverted(std::move(decoded));
  document->setWindowTitle(QStringLiteral("(%1) ").arg(App().DocumentCount - 1) +
                           ToQString(decoded_file) + ToQString(suffix));
  UpdateCommandState();
}

void frmQuillora::mnuConvertRunDefault_Click() {
  frmDummy banner(this);
  banner.ShowCentred();
  if (const std::optional<int> index = DefaultDecodeTypeSetting()) {
    mnuConvertRun_Click(static_cast<std::int16_t>(*index));
  }
}

}  // namespace quillora
