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
  const std::size_t size = bytes.size();
  DecodeAsciiCompatible(bytes, 0, sink, [&](std::size_t i) -> std::size_t {
    const std::uint8_t b = bytes[i];
    if (b == 0x8E && i + 1 < size && bytes[i + 1] >= 0xA1 && bytes[i + 1] <= 0xDF) {
      sink.Put(HalfwidthKana(static_cast<std::uint8_t>(bytes[i + 1] - 0x80)), i, 2);
      return 2;
    }
    if (b == 0x8F && i + 2 < size && IsEucByte(bytes[i + 1]) && IsEucByte(bytes[i + 2])) {
      sink.PutMapped(Jis0212ToUnicode(bytes[i + 1] - 0xA1u, bytes[i + 2] - 0xA1u), i, 3);
      return 3;
    }
    if (IsEucByte(b) && i + 1 < size && IsEucByte(bytes[i + 1])) {
      sink.PutMapped(Jis0208ToUnicode(b - 0xA1u, bytes[i + 1] - 0xA1u), i, 2);
      return 2;
    }
    sink.Invalid(i, 1);
    return 1;
  });
}

}  // namespace quillora::mail
