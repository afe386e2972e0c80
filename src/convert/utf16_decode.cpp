// UTF-16 little-endian text to code page 932.
#include <algorithm>
#include <cstdint>
#include <span>

#include "conversions.h"
#include "text/cp932_codec.h"

namespace quillora {
namespace {

// UTF-16 little-endian bytes, byte-order mark included; an odd final byte is no whole unit.
void AppendUtf16LeUnits(std::span<const std::uint8_t> bytes, Text& units) {
  const std::size_t start = units.size();
  units.resize(start + (bytes.size() + 1) / 2);
  char16_t* to = units.data() + start;
  for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
    *to++ = static_cast<char16_t>(bytes[k] | (bytes[k + 1] << 8));
  }
  if (bytes.size() % 2 != 0) {
    *to = u'\uFFFD';
  }
}

}  // namespace

// A stretch of units at a time. Encoded text reads back as itself, character for character, so
// the result is the encoded units less the first character's code.
void Utf16LeToCp932(const ByteBuffer& input, StreamOutput& sink) {
  constexpr std::size_t kStretch = std::size_t{1} << 16;  // bytes of input
  Text units;
  ByteBuffer encoded;
  bool skip_first = true;
  std::span<const std::uint8_t> rest(input);
  while (!rest.empty()) {
    std::size_t take = std::min(kStretch, rest.size());
    // A surrogate pair is one character for the encoder: keep its halves together.
    if (take < rest.size() && (rest[take - 1] & 0xFC) == 0xD8) {
      take = std::min(take + 2, rest.size());
    }
    units.clear();
    AppendUtf16LeUnits(rest.first(take), units);
    rest = rest.subspan(take);
    encoded.clear();
    AppendTextAsBytes(units, encoded);
    std::span<const std::uint8_t> bytes(encoded);
    if (skip_first) {
      bytes = bytes.subspan(FirstCharacterLength(bytes, true));  // a stretch holds a unit or more
      skip_first = false;
    }
    sink.Copy(bytes);
  }
}

}  // namespace quillora
