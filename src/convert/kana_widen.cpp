// Shift_JIS half-width katakana widened to full-width, voiced and semi-voiced marks combined.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "convert/clsConvert.h"
#include "converter_support.h"

namespace quillora {
namespace {

constexpr std::uint8_t kVoicedMark = 0xDE;
constexpr std::uint8_t kSemiVoicedMark = 0xDF;
constexpr std::uint8_t kKatakanaU = 0xB3;

// Shift_JIS code of the full-width form of half-width byte 0xA0 + e. 0xA0 is no katakana but is
// handled as one; it takes the full-width space.
constexpr std::array<std::uint16_t, 64> kFullwidth{
    0x8140, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340,  // 　。「」、・ヲァ
    0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362,  // ィゥェォャュョッ
    0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C,  // ーアイウエオカキ
    0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C,  // クケコサシスセソ
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B,  // タチツテトナニヌ
    0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D,  // ネノハヒフヘホマ
    0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,  // ミムメモヤユヨラ
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,  // リルレロワン゛゜
};

// The one full-width character for a katakana and its mark, where one exists. ｳﾞ (ヴ) is the only
// combination whose code is not the plain one plus 1 or 2.
std::optional<std::uint16_t> Combined(std::uint8_t kana, std::uint8_t mark) noexcept {
  const std::uint16_t plain = kFullwidth[kana - 0xA0];
  if (mark == kVoicedMark) {
    if (kana == kKatakanaU) {
      return 0x8394;
    }
    if (detail::TakesVoicedMark(kana)) {
      return static_cast<std::uint16_t>(plain + 1);
    }
  } else if (detail::TakesSemiVoicedMark(kana)) {
    return static_cast<std::uint16_t>(plain + 2);
  }
  return std::nullopt;
}

void PutCode(detail::FixedOutput& out, std::uint16_t code) {
  Put(out, static_cast<std::uint8_t>(code >> 8));
  Put(out, static_cast<std::uint8_t>(code & 0xFF));
}

}  // namespace

ConvertResult clsConvert::HankakuKanaToZenkakuKana(ByteBuffer& bytZenkakuKana,
                                                   ByteBuffer& bytHankakuKana) {
  const std::size_t n = bytHankakuKana.size();
  detail::AppendGuardByte(bytHankakuKana);
  detail::FixedOutput out(bytZenkakuKana, 2 * n);  // at most two bytes for each input byte
  const std::span<const std::uint8_t> in(bytHankakuKana);
  // Reads reach position n, the guard byte, at most: no input can make this fail.
  for (std::size_t k = 0; k < n;) {
    const std::uint8_t b = in[k];
    if (IsSjisLeadByte(b)) {
      Put(out, b);
      Put(out, in[k + 1]);
      k += 2;
      continue;
    }
    if (b < 0xA0 || b > 0xDF) {
      Put(out, b);
      ++k;
      continue;
    }
    const std::uint16_t wide = kFullwidth[b - 0xA0];
    const std::uint8_t mark = in[k + 1];
    if (mark != kVoicedMark && mark != kSemiVoicedMark) {
      PutCode(out, wide);
      ++k;
      continue;
    }
    if (const std::optional<std::uint16_t> combined = Combined(b, mark)) {
      PutCode(out, *combined);
    } else {
      PutCode(out, wide);
      PutCode(out, kFullwidth[mark - 0xA0]);
    }
    k += 2;
  }
  return out.Finish();
}

}  // namespace quillora
