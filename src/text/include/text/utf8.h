// The one bridge between the engine's UTF-16 text and UTF-8: text written for UTF-8 readers,
// file names, the environment and INI files marked as UTF-8. Strict forms refuse what is not
// UTF-8; lossy forms replace it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora {

// Appends the UTF-8 form of text to out; a lone surrogate becomes U+FFFD.
void AppendTextAsUtf8(std::u16string_view text, ByteBuffer& out);

// The UTF-8 form of a file name; nullopt when it holds a lone surrogate, which no file can be
// named.
[[nodiscard]] std::optional<std::string> FileNameToUtf8(std::u16string_view name);

// Text from UTF-8 (a command-line argument); nullopt when the bytes are not UTF-8.
[[nodiscard]] std::optional<Text> TextFromUtf8(std::string_view utf8);

// A lone surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf8FromText(std::u16string_view text);

// A byte sequence that is not UTF-8 becomes U+FFFD (ICU's maximal subparts).
[[nodiscard]] Text TextFromUtf8Lossy(std::string_view bytes);

// The system's own form of a path: UTF-16 on Windows, UTF-8 bytes elsewhere.
[[nodiscard]] std::filesystem::path NativePath(std::u16string_view path);
[[nodiscard]] Text TextFromNativePath(const std::filesystem::path& path);

}  // namespace quillora
