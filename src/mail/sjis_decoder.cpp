// Shift_JIS, cp932, windows-31j and x-sjis: all read as code page 932, but strictly: a pair with
// no character, or a byte that is none, gives U+FFFD where the codec would give U+30FB.
#include "decoders.h"
#include "jis_tables.h"
#include "text/sjis_bytes.h"

namespace quillora::mail {

void DecodeShiftJis(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  DecodeAsciiCompatible(bytes, 0, sink, [&](std::size_t i) -> std::size_t {
    const std::uint8_t b = bytes[i];
    if (IsHalfwidthKatakanaByte(b) && b != 0xA0) {
      sink.Put(HalfwidthKana(static_cast<std::uint8_t>(b - 0x80)), i, 1);
      return 1;
    }
    if (IsSjisLeadByte(b) && i + 1 < bytes.size() && IsSjisTrailByte(bytes[i + 1])) {
      sink.PutMapped(SjisPairToUnicode(b, bytes[i + 1]), i, 2);
      return 2;
    }
    sink.Invalid(i, 1);
    return 1;
  });
}

}  // namespace quillora::mail
