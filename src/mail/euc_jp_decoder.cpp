// EUC-JP: JIS X 0208 with the NEC and IBM rows as Windows reads them, 8E half-width kana and 8F
// JIS X 0212. A byte that cannot start or continue a character costs one U+FFFD on its own, so a
// line end after a lead byte stays a line end.
#include "decoders.h"
#include "jis_tables.h"

namespace quillora::mail {
namespace {

bool IsEucByte(std::uint8_t b) {
  return b >= 0xA1 && b <= 0xFE;
}

}  // namespace

void DecodeEucJp(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  std::size_t i = 0;
  const std::size_t size = bytes.size();
  while (i < size) {
    const std::uint8_t b = bytes[i];
    if (b < 0x80) {
      sink.Put(b, i, 1);
      ++i;
    } else if (b == 0x8E && i + 1 < size && bytes[i + 1] >= 0xA1 && bytes[i + 1] <= 0xDF) {
      sink.Put(HalfwidthKana(static_cast<std::uint8_t>(bytes[i + 1] - 0x80)), i, 2);
      i += 2;
    } else if (b == 0x8F && i + 2 < size && IsEucByte(bytes[i + 1]) && IsEucByte(bytes[i + 2])) {
      const char16_t c = Jis0212ToUnicode(bytes[i + 1] - 0xA1u, bytes[i + 2] - 0xA1u);
      sink.PutMapped(c, i, 3);
      i += 3;
    } else if (IsEucByte(b) && i + 1 < size && IsEucByte(bytes[i + 1])) {
      const char16_t c = Jis0208ToUnicode(b - 0xA1u, bytes[i + 1] - 0xA1u);
      sink.PutMapped(c, i, 2);
      i += 2;
    } else {
      sink.Invalid(i, 1);
      ++i;
    }
  }
}

}  // namespace quillora::mail
