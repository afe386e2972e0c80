// Shift_JIS, cp932, windows-31j and x-sjis: all read as code page 932, but strictly: a pair with
// no character, or a byte that is none, gives U+FFFD where the codec would give U+30FB.
#include "decoders.h"
#include "jis_tables.h"
#include "text/sjis_bytes.h"

namespace quillora::mail {

void DecodeShiftJis(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  std::size_t i = 0;
  const std::size_t size = bytes.size();
  while (i < size) {
    const std::uint8_t b = bytes[i];
    if (b < 0x80) {
      sink.Put(b, i, 1);
      ++i;
    } else if (b >= 0xA1 && b <= 0xDF) {
      sink.Put(HalfwidthKana(static_cast<std::uint8_t>(b - 0x80)), i, 1);
      ++i;
    } else if (IsSjisLeadByte(b) && i + 1 < size && IsSjisTrailByte(bytes[i + 1])) {
      sink.PutMapped(SjisPairToUnicode(b, bytes[i + 1]), i, 2);
      i += 2;
    } else {
      sink.Invalid(i, 1);
      ++i;
    }
  }
}

}  // namespace quillora::mail
