// TextToBytes on any UTF-16, lone surrogates included, and EncodeUtf16Le on the same units.
#include <algorithm>

#include "fuzz_check.h"
#include "text/cp932_codec.h"

namespace {

using namespace quillora;

std::size_t CodePoints(std::u16string_view text) {
  std::size_t count = 0;
  for (std::size_t k = 0; k < text.size(); ++k, ++count) {
    if (text[k] >= 0xD800 && text[k] <= 0xDBFF && k + 1 < text.size() && text[k + 1] >= 0xDC00 &&
        text[k + 1] <= 0xDFFF) {
      ++k;
    }
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices choices(data, size);
  const bool widen = (choices.Byte() & 1) != 0;
  const std::span<const std::uint8_t> units = choices.Rest();
  Text text;
  for (std::size_t k = 0; k + 1 < units.size(); k += 2) {
    const auto c = static_cast<char16_t>(units[k] | units[k + 1] << 8);
    text.push_back(widen ? HalfwidthToFullwidth(c) : c);
  }

  const ByteBuffer bytes = TextToBytes(text);
  FUZZ_CHECK(bytes.size() <= 2 * text.size());
  ByteBuffer appended{0x41, 0x81};
  AppendTextAsBytes(text, appended);
  FUZZ_CHECK(appended.size() == bytes.size() + 2 &&
             std::equal(bytes.begin(), bytes.end(), appended.begin() + 2));
  // Each code point gives one character: its code, its JIS X 0208 form or "?".
  const Text decoded = BytesToText(bytes);
  FUZZ_CHECK(decoded.size() == CodePoints(text));
  // What the encoder writes, it reads back as written.
  FUZZ_CHECK(TextToBytes(decoded) == bytes);
  // The same units encoded straight from their bytes, a block of them at a time where it can.
  if (!widen) {
    ByteBuffer direct(units.size() + 1);
    direct.resize(EncodeUtf16Le(units, direct.data()));
    FUZZ_CHECK(direct == (units.size() % 2 == 0 ? bytes : TextToBytes(text + u'\uFFFD')));
  }
  return 0;
}
