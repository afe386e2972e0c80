// Half-width katakana widening of Shift_JIS bytes.
#include <gtest/gtest.h>

#include "convert/clsConvert.h"
#include "convert/converter_cases.h"

namespace quillora::convert_test {
namespace {

constexpr ConvertError kOk = ConvertError::none;

// Never fails; the input keeps its guard byte.
const ByteCase kWiden[] = {
    {"voiced", "B6 DE 0D 0A", "83 4B 0D 0A", kOk, 4},
    {"semi_voiced", "CA DF", "83 70", kOk, 2},
    {"u_voiced_is_vu", "B3 DE", "83 94", kOk, 2},
    {"no_combination_keeps_the_mark", "B1 DE B6 DF", "83 41 81 4A 83 4A 81 4B", kOk, 8},
    {"lone_marks", "DE DE DF", "81 4A 81 4A 81 4B", kOk, 6},
    {"katakana_last", "41 B1", "41 83 41", kOk, 3},
    {"two_byte_codes_pass_whatever_the_trail", "88 9F 83 B1 83 DE", "88 9F 83 B1 83 DE", kOk, 6},
    {"lead_byte_last_pairs_with_guard", "41 88", "41 88 00", kOk, 3},
    {"other_bytes_pass", "80 FD FE FF 0D 0A 7E", "80 FD FE FF 0D 0A 7E", kOk, 7},
    {"a0_is_full_width_space", "A0 41 A0 DE", "81 40 41 81 40 81 4A", kOk, 7},
    {"empty", "", "", kOk, 0},
};

TEST(kana_widen_test, cases) {
  clsConvert c;
  RunCases(
      kWiden, [&](ByteBuffer& out, ByteBuffer& in) { return c.HankakuKanaToZenkakuKana(out, in); },
      InputAfter::guard_appended);
}

TEST(kana_widen_test, every_katakana_and_mark_matches_unicode_composition) {
  clsConvert c;
  for (unsigned kana = 0xA1; kana <= 0xDF; ++kana) {
    for (const unsigned mark : {0x00U, 0xDEU, 0xDFU}) {
      const auto k = static_cast<std::uint8_t>(kana);
      const auto m = static_cast<std::uint8_t>(mark);
      ByteBuffer in = mark != 0 ? ByteBuffer{k, m, 0x0A} : ByteBuffer{k, 0x0A};
      ByteBuffer out;
      ASSERT_TRUE(c.HankakuKanaToZenkakuKana(out, in).ok());
      EXPECT_EQ(BytesToText(out), WidenedKana(k, m) + u"\n") << ToHex(in);
    }
  }
}

}  // namespace
}  // namespace quillora::convert_test
