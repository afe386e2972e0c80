// UTF-8 forms of text: file names on POSIX systems, and text written for UTF-8 readers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "byte_buffer.h"

namespace quillora {

// Appends the UTF-8 form of text to out; a lone surrogate becomes U+FFFD.
void AppendTextAsUtf8(std::u16string_view text, ByteBuffer& out);

// The UTF-8 form of a file name; nullopt when it holds a lone surrogate, which no file can be
// named.
[[nodiscard]] std::optional<std::string> FileNameToUtf8(std::u16string_view name);

// Text from UTF-8 (a command-line argument); nullopt when the bytes are not UTF-8.
[[nodiscard]] std::optional<Text> TextFromUtf8(std::string_view utf8);

}  // namespace quillora
