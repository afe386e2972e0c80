// UTF-16 little-endian text to code page 932.
#include <algorithm>
#include <cstdint>
#include <span>

#include "conversions.h"
#include "text/cp932_codec.h"

namespace quillora {
namespace {

constexpr bool IsHighSurrogate(unsigned unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

// Encoded text reads back as itself, character for character, so the result is the encoding of
// every character but the first (the byte-order mark), made straight into the output a stretch
// at a time.
void Utf16LeToCp932(std::span<const std::uint8_t> input, StreamOutput& sink) {
  std::span<const std::uint8_t> rest = input;
  const auto unit_at = [&rest](std::size_t k) {
    return static_cast<unsigned>(rest[2 * k] | rest[2 * k + 1] << 8);
  };
  // The first character: one unit, or a surrogate pair; a lone odd byte is one too.
  std::size_t first = 2;
  if (rest.size() >= 4 && IsHighSurrogate(unit_at(0)) && (unit_at(1) & 0xFC00) == 0xDC00) {
    first = 4;
  }
  rest = rest.subspan(std::min(first, rest.size()));
  // Even, so that only the last stretch may end in an odd byte.
  const std::size_t stretch = (sink.Stretch() - 1) & ~std::size_t{1};
  while (!rest.empty()) {
    std::size_t take = std::min(stretch, rest.size());
    // A surrogate pair is one character for the encoder: a stretch never ends on a high
    // surrogate, as its low one may follow. (Taking one unit more instead would split a pair
    // when the next unit is a high surrogate too.)
    if (take < rest.size() && (rest[take - 1] & 0xFC) == 0xD8) {
      take -= 2;
    }
    sink.Advance(EncodeUtf16Le(rest.first(take), sink.Room(take + 1)));
    rest = rest.subspan(take);
  }
}

}  // namespace quillora
