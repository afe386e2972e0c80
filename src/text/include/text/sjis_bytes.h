// Byte classes of Shift_JIS (code page 932) and its single-byte neighbours, defined once.
#pragma once

#include <cstdint>
#include <span>

namespace quillora {

// First byte of a two-byte code.
constexpr bool IsSjisLeadByte(std::uint8_t b) noexcept {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A byte that may follow a lead byte in an assigned two-byte code.
constexpr bool IsSjisTrailByte(std::uint8_t b) noexcept {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Half-width katakana, punctuation and marks of JIS X 0201 (A1-DF); A0 is widened with them.
constexpr bool IsHalfwidthKatakanaByte(std::uint8_t b) noexcept {
  return b >= 0xA0 && b <= 0xDF;
}

// True when every byte is below 0x80: then the code page 932 text of the bytes has one character
// for each byte, its value unchanged, and text algorithms can read the bytes as the text.
[[nodiscard]] bool IsAscii(std::span<const std::uint8_t> bytes) noexcept;

}  // namespace quillora
