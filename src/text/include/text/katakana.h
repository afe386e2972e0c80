// The full-width forms of the half-width katakana of JIS X 0201, in one table from which the
// Shift_JIS, EUC-JP and Unicode forms are derived.
#pragma once

#include <array>
#include <cstdint>

namespace quillora {

// JIS X 0208 code (row << 8 | cell) of the full-width form of half-width byte 0xA0 + k, the sound
// marks as the spacing ゛ and ゜. 0xA0 is no katakana but is widened as one, to the full-width
// space.
inline constexpr std::array<std::uint16_t, 64> kFullwidthKatakana{
    0x2121, 0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521,  // 　。「」、・ヲァ
    0x2523, 0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543,  // ィゥェォャュョッ
    0x213C, 0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D,  // ーアイウエオカキ
    0x252F, 0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D,  // クケコサシスセソ
    0x253F, 0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C,  // タチツテトナニヌ
    0x254D, 0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E,  // ネノハヒフヘホマ
    0x255F, 0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569,  // ミムメモヤユヨラ
    0x256A, 0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,  // リルレロワン゛゜
};

// A JIS X 0208 code in Shift_JIS, by the standard's row arithmetic.
constexpr std::uint16_t SjisOfJis0208(std::uint16_t jis) noexcept {
  const unsigned row = jis >> 8;
  const unsigned cell = jis & 0xFFU;
  const unsigned lead = (row - 0x21) / 2 + (row <= 0x5E ? 0x81 : 0xC1);
  const unsigned trail = row % 2 == 1 ? cell + (cell <= 0x5F ? 0x1F : 0x20) : cell + 0x7E;
  return static_cast<std::uint16_t>(lead << 8 | trail);
}

// A JIS X 0208 code in EUC-JP.
constexpr std::uint16_t EucOfJis0208(std::uint16_t jis) noexcept {
  return static_cast<std::uint16_t>(jis | 0x8080);
}

// The full-width form of half-width byte b (0xA0 to 0xDF).
constexpr std::uint16_t FullwidthKatakanaJis(std::uint8_t b) noexcept {
  return kFullwidthKatakana[static_cast<std::size_t>(b - 0xA0)];
}

}  // namespace quillora
