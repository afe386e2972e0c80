// UTF-8 <-> UTF-16 with replacement instead of refusal.
#include "platform/utf8.h"

#include <unicode/ustring.h>

#include <cstdint>
#include <limits>

#include "convert/utf8.h"

namespace quillora {

std::string Utf8FromText(std::u16string_view text) {
  ByteBuffer bytes;
  AppendTextAsUtf8(text, bytes);
  return {bytes.begin(), bytes.end()};
}

Text TextFromUtf8Lossy(std::string_view bytes) {
  // ICU counts in 32 bits; nothing this program converts comes near that.
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return Text(1, u'\uFFFD');
  }
  const auto length = static_cast<std::int32_t>(bytes.size());
  std::int32_t units = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(nullptr, 0, &units, bytes.data(), length, 0xFFFD, nullptr, &status);
  Text text(static_cast<std::size_t>(units), u'\0');
  status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(text.data(), units, nullptr, bytes.data(), length, 0xFFFD, nullptr, &status);
  return U_FAILURE(status) ? Text() : text;
}

}  // namespace quillora
