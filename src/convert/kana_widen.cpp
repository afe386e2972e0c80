// Shift_JIS half-width katakana widened to full-width, voiced and semi-voiced marks combined.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "convert/clsConvert.h"
#include "conversions.h"
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

void PutCode(detail::FixedOutput& out, std::uint16_t code) {
  Put(out, static_cast<std::uint8_t>(code >> 8));
  Put(out, static_cast<std::uint8_t>(code & 0xFF));
}

enum class Step {
  pair,            // a lead byte and the byte after it, copied
  single,          // a byte that is no katakana, copied
  kana,            // a katakana widened
  kana_with_mark,  // a katakana and its mark, one full-width character
  kana_then_mark,  // a katakana and a mark it does not take, each widened
};

// The step at in[k], k before the guard byte.
Step StepAt(std::span<const std::uint8_t> in, std::size_t k) {
  const std::uint8_t b = in[k];
  if (IsSjisLeadByte(b)) {
    return Step::pair;
  }
  if (b < 0xA0 || b > 0xDF) {
    return Step::single;
  }
  const std::uint8_t mark = in[k + 1];
  if (mark != kVoicedMark && mark != kSemiVoicedMark) {
    return Step::kana;
  }
  return Combined(b, mark) ? Step::kana_with_mark : Step::kana_then_mark;
}

struct StepSize {
  std::size_t read;
  std::size_t written;
};
constexpr StepSize SizeOf(Step step) noexcept {
  switch (step) {
    case Step::pair:
    case Step::kana_with_mark:
      return {2, 2};
    case Step::single:
      return {1, 1};
    case Step::kana:
      return {1, 2};
    case Step::kana_then_mark:
      return {2, 4};
  }
  return {1, 1};
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
    const Step step = StepAt(in, k);
    switch (step) {
      case Step::pair:
        Put(out, b, in[k + 1]);
        break;
      case Step::single:
        Put(out, b);
        break;
      case Step::kana:
        PutCode(out, Fullwidth(b));
        break;
      case Step::kana_with_mark:
        PutCode(out, *Combined(b, in[k + 1]));
        break;
      case Step::kana_then_mark:
        PutCode(out, Fullwidth(b));
        PutCode(out, Fullwidth(in[k + 1]));
        break;
    }
    k += SizeOf(step).read;
  }
  return out.Finish();
}

std::size_t SjisOffsetBeforeWidening(std::span<const std::uint8_t> given, std::size_t widened_at) {
  const std::size_t n = given.size() - 1;
  std::size_t written = 0;
  for (std::size_t k = 0; k < n;) {
    const StepSize size = SizeOf(StepAt(given, k));
    if (written + size.written > widened_at) {
      return k;
    }
    written += size.written;
    k += size.read;
  }
  return n;
}

}  // namespace quillora
