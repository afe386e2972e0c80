// EUC-JP decoding: to Shift_JIS text, to JIS, and half-width katakana widening.
#include <gtest/gtest.h>

#include "convert/clsConvert.h"
#include "convert/converter_cases.h"
#include "convert/cp932_codec.h"

namespace quillora::convert_test {
namespace {

constexpr ConvertError kOk = ConvertError::none;
constexpr ConvertError kRange = ConvertError::out_of_range;

struct TextCase {
  const char* name;
  const char* input;
  Text expected;
};

// Each step's bytes are decoded as if on their own, however the decoder batches them.
const TextCase kToSjisText[] = {
    {"kanji_and_line_end", "B0 A1 0D 0A", u"亜\r\n"},
    {"marks_never_combine", "8E B6 8E DE", u"カ゛"},
    {"shifted_ascii_and_blank_widened", "8E 41 8E 20", u"Ａ\u3000"},
    {"last_byte_decoded_alone", "41 A4", u"A\uFF64"},
    {"g3_first_byte_is_an_ordinary_pair", "8F A2 AF", u"xA\uFF6F"},
    {"shifted_lead_byte_does_not_take_next", "8E 88 41", u"\u30FBA"},
    {"lone_lead_from_pair_does_not_take_next", "80 84 4F", u"q\u30FBO"},
    {"empty", "", u""},
};

// Output sized 2N+1 once, zero-filled; a single shift in the last two positions fails.
const ByteCase kWiden[] = {
    {"voiced", "8E B6 8E DE 0A", "A5 AC 0A", kOk, 3},
    {"semi_voiced", "8E CA 8E DF 0A", "A5 D1 0A", kOk, 3},
    {"range_ends_combine", "8E C4 8E DE 8E CE 8E DF 41", "A5 C9 A5 DD 41", kOk, 5},
    {"u_does_not_combine", "8E B3 8E DE 0A", "A5 A6 A1 AB 0A", kOk, 5},
    {"two_byte_codes_pass", "B0 A1 0A", "B0 A1 0A", kOk, 3},
    {"non_katakana_after_shift_kept", "8E 41 8E 8E B1 0A", "8E 41 8E 8E B1 0A", kOk, 6},
    {"katakana_last", "8E B1", "A5 00 00 00 00", kRange, 1},
    {"katakana_second_last", "41 8E B1", "41 A5 00 00 00 00 00", kRange, 2},
    {"non_katakana_second_last", "41 8E 0A", "41 8E 00 00 00 00 00", kRange, 2},
    {"empty", "", "", kOk, 0},
};

// Output grown before each emission: a failure leaves the bytes so far and one zero, or the
// caller's buffer.
const ByteCase kToJisKeepingKana[] = {
    {"kanji_then_ascii", "A4 A2 41", "1B 24 42 24 22 1B 28 4A 41", kOk, 9},
    {"katakana_kept_8bit", "41 8E B1 42", "41 B1 42", kOk, 3},
    {"shift_closes_run", "A4 A2 8E B1", "1B 24 42 24 22 1B 28 4A B1", kOk, 9},
    {"a0_ff_and_g3_taken_alone", "A0 FF 8F A1 A1", "A0 FF 8F 1B 24 42 21 21", kOk, 8},
    {"first_byte_last", "41 A4", "41 1B 24 42 24 00", kRange, 5},
    {"shift_last_after_run", "A4 A2 8E", "1B 24 42 24 22 1B 28 4A 00", kRange, 8},
    {"shift_only", "8E", "EE EE", kRange, 0},
};

// The input is replaced by its widened bytes, or keeps the guard byte when widening fails.
const ByteCase kToJisWidening[] = {
    {"kanji_then_ascii", "A4 A2 41", "1B 24 42 24 22 1B 28 42 41", kOk, 9},
    {"katakana_widened", "41 8E B1 42", "41 1B 24 42 25 22 1B 28 42 42", kOk, 10, "41 A5 A2 42"},
    {"run_closed_before_line_end", "A4 A2 0D 0A", "1B 24 42 24 22 1B 28 42 0D 0A", kOk, 10},
    {"no_closing_escape", "A4 A2", "1B 24 42 24 22", kOk, 5},
    {"widening_fails_first", "41 8E B1", "EE EE", kRange, 0, "41 8E B1 00"},
    {"empty", "", "", kOk, 0},
};

TEST(euc_decode_test, to_sjis_text_cases) {
  clsConvert c;
  for (const TextCase& t : kToSjisText) {
    SCOPED_TRACE(t.name);
    ByteBuffer in = Hex(t.input);
    EXPECT_EQ(c.EucToSjisConvert(in), t.expected);
    EXPECT_EQ(in, Hex(t.input));
  }
}

TEST(euc_decode_test, widen_cases) {
  clsConvert c;
  RunCases(
      kWiden, [&](ByteBuffer& out, ByteBuffer& in) { return c.EUCHankakuKanaConvert(out, in); },
      InputAfter::guard_appended);
}

TEST(euc_decode_test, to_jis_cases) {
  clsConvert c;
  RunCases(
      kToJisKeepingKana, [&](ByteBuffer& out, ByteBuffer& in) { return c.EucToJis(out, in, true); },
      InputAfter::unchanged);
  RunCases(
      kToJisWidening, [&](ByteBuffer& out, ByteBuffer& in) { return c.EucToJis(out, in, false); },
      InputAfter::unchanged);
}

// EUC-JP combines no mark with ｳ, though JIS X 0208 holds ヴ.
TEST(euc_decode_test, widening_matches_unicode_composition) {
  clsConvert c;
  for (unsigned kana = 0xA1; kana <= 0xDF; ++kana) {
    for (const unsigned mark : {0x00U, 0xDEU, 0xDFU}) {
      const auto k = static_cast<std::uint8_t>(kana);
      const auto m = static_cast<std::uint8_t>(mark);
      const Text expected =
          kana == 0xB3 && mark == 0xDE ? WidenedKana(k, 0) + WidenedKana(m, 0) : WidenedKana(k, m);
      ByteBuffer in = mark != 0 ? ByteBuffer{0x8E, k, 0x8E, m, 0x0A} : ByteBuffer{0x8E, k, 0x0A};
      ByteBuffer out;
      ASSERT_TRUE(c.EUCHankakuKanaConvert(out, in).ok());
      EXPECT_EQ(c.EucToSjisConvert(out), expected + u"\n") << ToHex(in);
    }
  }
}

}  // namespace
}  // namespace quillora::convert_test
