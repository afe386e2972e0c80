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

// File names travel as the bytes the system gave: a byte that is no part of UTF-8 is carried in
// text as the lone surrogate U+DC80 to U+DCFF (as Python's surrogateescape does), which a caption
// shows as U+FFFD while the name keeps its byte.
[[nodiscard]] Text TextFromFileName(std::string_view bytes);

// The bytes of a file name given as text, each escaped byte restored; nullopt when it holds any
// other lone surrogate, which names no file.
[[nodiscard]] std::optional<std::string> FileNameToUtf8(std::u16string_view name);

// Text from UTF-8 (a command-line argument); nullopt when the bytes are not UTF-8.
[[nodiscard]] std::optional<Text> TextFromUtf8(std::string_view utf8);

// A lone surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf8FromText(std::u16string_view text);

// A byte sequence that is not UTF-8 becomes U+FFFD (ICU's maximal subparts).
[[nodiscard]] Text TextFromUtf8Lossy(std::string_view bytes);

// The system's own form of a path: UTF-16 on Windows, the file name's bytes elsewhere (a lone
// surrogate that escapes no byte becomes U+FFFD).
[[nodiscard]] std::filesystem::path NativePath(std::u16string_view path);
[[nodiscard]] Text TextFromNativePath(const std::filesystem::path& path);

}  // namespace quillora
