// Half-width katakana widening of Shift_JIS and EUC-JP bytes.
#include <gtest/gtest.h>
#include <unicode/unorm2.h>

#include "convert/clsConvert.h"
#include "converter_cases.h"

namespace quillora::test {
namespace {

// The full-width text of a half-width katakana (Shift_JIS byte) and its mark (0xDE, 0xDF, or 0
// for none): composed by Unicode where code page 932 holds the composition, else followed by the
// widened mark.
Text WidenedKana(std::uint8_t kana, std::uint8_t mark) {
  const auto wide = [](std::uint8_t b) {
    const std::uint8_t byte[] = {b};
    return HalfwidthToFullwidth(BytesToText(byte).at(0));
  };
  Text text(1, wide(kana));
  if (mark == 0) {
    return text;
  }
  UErrorCode status = U_ZERO_ERROR;
  const UChar32 composed =
      unorm2_composePair(unorm2_getNFCInstance(&status), text[0], mark == 0xDE ? 0x3099 : 0x309A);
  if (U_SUCCESS(status) && composed > 0 &&
      TextToBytes(Text(1, static_cast<char16_t>(composed))) != ByteBuffer{'?'}) {
    text[0] = static_cast<char16_t>(composed);
  } else {
    text += wide(mark);
  }
  return text;
}

constexpr ConvertError kOk = ConvertError::none;

// Never fails; the input keeps its guard byte.
const ByteCase kWiden[] = {
    {"lead_byte_last_pairs_with_guard", "41 88", "41 88 00", kOk, 3},
    {"other_bytes_pass", "80 FD FE FF 0D 0A 7E", "80 FD FE FF 0D 0A 7E", kOk, 7},
    {"a0_is_full_width_space", "A0 41 A0 DE", "81 40 41 81 40 81 4A", kOk, 7},
};

TEST(kana_widen_test, cases) {
  clsConvert c;
  RunCases(
      kWiden, [&](ByteBuffer& out, ByteBuffer& in) { return c.HankakuKanaToZenkakuKana(out, in); },
      InputAfter::guard_appended);
}

// Both widening converters against Unicode composition. EUC-JP combines no mark with ｳ, though
// JIS X 0208 holds ヴ.
TEST(kana_widen_test, every_katakana_and_mark_matches_unicode_composition) {
  clsConvert c;
  for (unsigned kana = 0xA1; kana <= 0xDF; ++kana) {
    for (const unsigned mark : {0x00U, 0xDEU, 0xDFU}) {
      const auto k = static_cast<std::uint8_t>(kana);
      const auto m = static_cast<std::uint8_t>(mark);
      ByteBuffer sjis = mark != 0 ? ByteBuffer{k, m, 0x0A} : ByteBuffer{k, 0x0A};
      ByteBuffer wide;
      ASSERT_TRUE(c.HankakuKanaToZenkakuKana(wide, sjis).ok());
      EXPECT_EQ(BytesToText(wide), WidenedKana(k, m) + u"\n") << ToHex(sjis);

      ByteBuffer euc = mark != 0 ? ByteBuffer{0x8E, k, 0x8E, m, 0x0A} : ByteBuffer{0x8E, k, 0x0A};
      ByteBuffer euc_wide;
      ASSERT_TRUE(c.EUCHankakuKanaConvert(euc_wide, euc).ok());
      const Text expected =
          kana == 0xB3 && mark == 0xDE ? WidenedKana(k, 0) + WidenedKana(m, 0) : WidenedKana(k, m);
      EXPECT_EQ(c.EucToSjisConvert(euc_wide), expected + u"\n") << ToHex(euc);
    }
  }
}

}  // namespace
}  // namespace quillora::test
