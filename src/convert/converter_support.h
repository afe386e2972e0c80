// Pieces shared by the byte converters: value checks, kana marks and the guard byte.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "byte_output.h"
#include "convert/convert_result.h"
#include "text/byte_buffer.h"
#include "text/sjis_bytes.h"

namespace quillora::detail {

constexpr bool FitsByte(int v) noexcept {
  return v >= 0 && v <= 0xFF;
}

// Half-width katakana (Shift_JIS byte, or EUC-JP byte after 0x8E) that combine with a following
// semi-voiced mark (ﾊ to ﾎ), or voiced mark (ｶ to ﾄ, ﾊ to ﾎ), into the JIS X 0208 character whose
// code is the plain one plus 2, or plus 1.
constexpr bool TakesSemiVoicedMark(std::uint8_t b) noexcept {
  return b >= 0xCA && b <= 0xCE;
}
constexpr bool TakesVoicedMark(std::uint8_t b) noexcept {
  return (b >= 0xB6 && b <= 0xC4) || TakesSemiVoicedMark(b);
}

// Appends the 0x00 that lets a converter read one position past the input; the caller's buffer
// keeps it.
inline void AppendGuardByte(ByteBuffer& input) {
  input.push_back(0x00);
}

}  // namespace quillora::detail
