// Shift_JIS half-width katakana widened to full-width, voiced and semi-voiced marks combined.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "convert/clsConvert.h"
#include "converter_support.h"
#include "text/katakana.h"

namespace quillora {
namespace {

constexpr std::uint8_t kVoicedMark = 0xDE;
constexpr std::uint8_t kSemiVoicedMark = 0xDF;
constexpr std::uint8_t kKatakanaU = 0xB3;

// Shift_JIS code of the full-width form of half-width byte b.
constexpr std::uint16_t Fullwidth(std::uint8_t b) noexcept {
  return SjisOfJis0208(FullwidthKatakanaJis(b));
}

// The one full-width character for a katakana and its mark, where one exists. ｳﾞ (ヴ) is the only
// combination whose code is not the plain one plus 1 or 2.
std::optional<std::uint16_t> Combined(std::uint8_t kana, std::uint8_t mark) noexcept {
  const std::uint16_t plain = Fullwidth(kana);
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

void PutCode(detail::GrowingOutput& out, std::uint16_t code) {
  Put(out, static_cast<std::uint8_t>(code >> 8));
  Put(out, static_cast<std::uint8_t>(code & 0xFF));
}

}  // namespace

ConvertResult clsConvert::HankakuKanaToZenkakuKana(ByteBuffer& bytZenkakuKana,
                                                   ByteBuffer& bytHankakuKana) {
  const std::size_t n = bytHankakuKana.size();
  detail::AppendGuardByte(bytHankakuKana);
  // At most two bytes for each input byte, usually one: room is taken as it is written, since
  // nothing can fail here and leave the rest of a fixed buffer to be seen.
  detail::GrowingOutput out(2 * n, n);
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
    const std::uint16_t wide = Fullwidth(b);
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
      PutCode(out, Fullwidth(mark));
    }
    k += 2;
  }
  return out.Finish(bytZenkakuKana);
}

}  // namespace quillora
