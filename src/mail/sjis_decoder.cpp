// Shift_JIS, cp932, windows-31j and x-sjis: all read as code page 932, but strictly: a pair with
// no character, or a byte that is none, gives U+FFFD where the codec would give U+30FB.
#include <array>
#include <memory>

#include "decoders.h"
#include "text/cp932_codec.h"
#include "text/sjis_bytes.h"

namespace quillora::mail {
namespace {

// The character of each lead and trail byte pair; 0 where the pair is none.
using PairTable = std::array<char16_t, std::size_t{256} * 256>;

std::unique_ptr<PairTable> MakePairTable() {
  auto table = std::make_unique<PairTable>();
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const std::uint8_t pair[] = {static_cast<std::uint8_t>(lead),
                                   static_cast<std::uint8_t>(trail)};
      if (!IsSjisLeadByte(pair[0]) || !IsSjisTrailByte(pair[1])) {
        continue;
      }
      const Text text = BytesToText(pair);
      const bool assigned =
          text.size() == 1 && (text[0] != u'\u30FB' || (lead == 0x81 && trail == 0x45));
      (*table)[lead << 8 | trail] = assigned ? text[0] : u'\0';
    }
  }
  return table;
}

}  // namespace

void DecodeShiftJis(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  static const std::unique_ptr<PairTable> pairs = MakePairTable();
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
      const char16_t c = (*pairs)[static_cast<std::size_t>(b << 8 | bytes[i + 1])];
      sink.PutMapped(c, i, 2);
      i += 2;
    } else {
      sink.Invalid(i, 1);
      ++i;
    }
  }
}

}  // namespace quillora::mail
