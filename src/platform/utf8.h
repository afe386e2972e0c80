// UTF-8 <-> UTF-16 where nothing may be refused: file names and argv on POSIX, the environment,
// INI files marked with a UTF-8 byte-order mark. (convert/utf8.h has the strict forms.)
#pragma once

#include <string>
#include <string_view>

#include "convert/byte_buffer.h"

namespace quillora {

// A lone surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf8FromText(std::u16string_view text);

// A byte sequence that is not UTF-8 becomes U+FFFD (ICU's maximal subparts).
[[nodiscard]] Text TextFromUtf8Lossy(std::string_view bytes);

}  // namespace quillora
