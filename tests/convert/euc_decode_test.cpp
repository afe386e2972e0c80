// EUC-JP decoding: to Shift_JIS text (the reference's literal steps as oracle), to JIS, and
// half-width katakana widening.
#include <gtest/gtest.h>

#include <random>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "converter_cases.h"
#include "support/reference_conversion.h"
#include "text/cp932_codec.h"

namespace quillora::test {
namespace {

constexpr ConvertError kOk = ConvertError::none;
constexpr ConvertError kRange = ConvertError::out_of_range;

// Output sized 2N+1 once, zero-filled; a single shift in the last two positions fails.
const ByteCase kWiden[] = {
    {"range_ends_combine", "8E C4 8E DE 8E CE 8E DF 41", "A5 C9 A5 DD 41", kOk, 5},
    {"katakana_last", "8E B1", "A5 00 00 00 00", kRange, 1},
    {"non_katakana_second_last", "41 8E 0A", "41 8E 00 00 00 00 00", kRange, 2},
};

// Output grown before each emission: a failure leaves the bytes so far and one zero, or the
// caller's buffer.
const ByteCase kToJisKeepingKana[] = {
    {"shift_closes_run", "A4 A2 8E B1", "1B 24 42 24 22 1B 28 4A B1", kOk, 9},
    {"a0_ff_and_g3_taken_alone", "A0 FF 8F A1 A1", "A0 FF 8F 1B 24 42 21 21", kOk, 8},
    {"first_byte_last", "41 A4", "41 1B 24 42 24 00", kRange, 5},
    {"shift_only", "8E", "EE EE", kRange, 0},
};

// The input is replaced by its widened bytes, or keeps the guard byte when widening fails.
const ByteCase kToJisWidening[] = {
    {"katakana_widened", "41 8E B1 42", "41 1B 24 42 25 22 1B 28 42 42", kOk, 10, "41 A5 A2 42"},
    {"run_closed_before_line_end", "A4 A2 0D 0A", "1B 24 42 24 22 1B 28 42 0D 0A", kOk, 10},
    {"widening_fails_first", "41 8E B1", "EE EE", kRange, 0, "41 8E B1 00"},
};

TEST(euc_decode_test, cases) {
  clsConvert c;
  RunCases(
      kWiden, [&](ByteBuffer& out, ByteBuffer& in) { return c.EUCHankakuKanaConvert(out, in); },
      InputAfter::guard_appended);
  RunCases(
      kToJisKeepingKana, [&](ByteBuffer& out, ByteBuffer& in) { return c.EucToJis(out, in, true); },
      InputAfter::unchanged);
  RunCases(
      kToJisWidening, [&](ByteBuffer& out, ByteBuffer& in) { return c.EucToJis(out, in, false); },
      InputAfter::unchanged);
}

// Random bytes weighted toward what the batching must get right: single shifts, pairs whose
// second Shift_JIS byte is a lead byte, ASCII runs long enough for the eight-byte steps.
TEST(euc_decode_test, random_inputs_convert_as_the_literal_steps) {
  const ByteBuffer alphabet = {0x00, 0x0A, 0x41, 0x7F, 0x80, 0x84, 0x8E, 0x8F, 0xA0,
                               0xA1, 0xA4, 0xB0, 0xB1, 0xDE, 0xDF, 0xE0, 0xFE, 0xFF};
  std::mt19937 rng(8);
  clsConvert c;
  for (int trial = 0; trial < 20000; ++trial) {
    ByteBuffer input(rng() % 40);
    for (std::uint8_t& b : input) {
      b = rng() % 3 == 0 ? 0x61 : alphabet[rng() % alphabet.size()];
    }
    ByteBuffer in = input;
    const Text text = c.EucToSjisConvert(in);
    ASSERT_EQ(text, reference::EucStepsAsText(input)) << ToHex(input);
    ASSERT_EQ(in, input);

    Collector direct;
    EucToSjisAsCp932(input, direct.sink);
    ASSERT_TRUE(direct.sink.Finish());
    ASSERT_EQ(direct.collected, TextToBytes(text)) << ToHex(input);
  }
}

// Inputs longer than the internal batch, with a small output piece, cross every boundary.
TEST(euc_decode_test, long_inputs_convert_as_the_literal_steps) {
  const Jis0208Codes all = AllJis0208Codes();
  ByteBuffer input;
  for (int round = 0; round < 8; ++round) {
    input.insert(input.end(), all.euc.begin(), all.euc.end());
    input.insert(input.end(), {0x8E, 0xB6, 0x41, 0x0D, 0x0A, 0x80, 0x84});
  }
  ByteBuffer in = input;
  const Text text = clsConvert().EucToSjisConvert(in);
  EXPECT_EQ(text, reference::EucStepsAsText(input));
  Collector direct(100);
  EucToSjisAsCp932(input, direct.sink);
  EXPECT_TRUE(direct.sink.Finish());
  EXPECT_EQ(direct.collected, TextToBytes(text));
}

}  // namespace
}  // namespace quillora::test
