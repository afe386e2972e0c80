// Code page 932 (Shift_JIS with the Windows extensions) text codec, table-driven.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "byte_buffer.h"

namespace quillora {

// Decodes bytes as code page 932. Never fails: bytes without a mapping decode as U+30FB.
[[nodiscard]] Text BytesToText(std::span<const std::uint8_t> bytes);

// Encodes text as code page 932. Never fails: a character without a mapping encodes as "?".
[[nodiscard]] ByteBuffer TextToBytes(std::u16string_view text);

// Appends the encoding of text to out (no reallocation per character).
void AppendTextAsBytes(std::u16string_view text, ByteBuffer& out);

// The full-width form of one half-width character (katakana, ASCII 0x21-0x7E, blank); every other
// character comes back unchanged.
[[nodiscard]] char16_t HalfwidthToFullwidth(char16_t c) noexcept;

}  // namespace quillora
