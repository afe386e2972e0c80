// Shift_JIS encoding to JIS and EUC-JP, and randomized round trips through the decoders.
#include <gtest/gtest.h>

#include <random>

#include "convert/clsConvert.h"
#include "converter_cases.h"

namespace quillora::test {
namespace {

constexpr ConvertError kOk = ConvertError::none;
constexpr ConvertError kRange = ConvertError::out_of_range;
constexpr ConvertError kOverflow = ConvertError::overflow;

// Output grown before each emission: a failure leaves the bytes so far and one zero.
const ByteCase kToJisKeepingKana[] = {
    {"user_rows_kept_as_computed", "F0 40 F9 FC", "1B 24 42 7F 21 92 7E", kOk, 7},
    {"lead_byte_last", "41 88", "41 1B 24 42 00", kRange, 4},
    {"trail_below_1f_after_pair", "82 A0 88 0A", "1B 24 42 24 22 00", kOverflow, 5},
};

// The input is replaced by its widened bytes; a lead byte last is then paired with the guard.
const ByteCase kToJisWidening[] = {
    {"katakana_widened", "41 B1 42", "41 1B 24 42 25 22 1B 28 42 42", kOk, 10, "41 83 41 42"},
    {"lead_byte_last", "41 88", "41 1B 24 42 00", kOverflow, 4, "41 88 00"},
};

// Both buffers end up holding the result.
const ByteCase kToEuc[] = {
    {"odd_row_trail_9e", "89 9E 8B 9E 81 9E", "B1 FE B5 FE A1 FE", kOk, 6},
    {"lead_byte_last_kept", "41 88", "41 88", kOk, 2},
    {"trail_below_1f_kept", "88 0A 88 80", "AF 8A AF E0", kOk, 4},
};

TEST(sjis_encode_test, cases) {
  clsConvert c;
  RunCases(
      kToJisKeepingKana,
      [&](ByteBuffer& out, ByteBuffer& in) { return c.SjisToJis(out, in, true); },
      InputAfter::unchanged);
  RunCases(
      kToJisWidening, [&](ByteBuffer& out, ByteBuffer& in) { return c.SjisToJis(out, in, false); },
      InputAfter::unchanged);
  RunCases(
      kToEuc, [&](ByteBuffer& out, ByteBuffer& in) { return c.SjisToEucConvert(out, in); },
      InputAfter::output);
}

// Shift_JIS text of ASCII without ESC, half-width katakana with 0xA0, and JIS X 0208 codes goes to
// JIS and EUC-JP and back, by every road, without loss. The decoders are held to literal loops,
// so this holds the encoders to them.
TEST(sjis_encode_test, random_text_round_trips_through_jis_and_euc) {
  const ByteBuffer codes = AllJis0208Codes().sjis;
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> any(0, 255);
  std::uniform_int_distribution<std::size_t> code(0, codes.size() / 2 - 1);
  clsConvert c;
  using Step = std::function<ConvertResult(ByteBuffer&, ByteBuffer&)>;
  const auto run = [](const Step& convert, ByteBuffer in) {
    ByteBuffer out{0};
    EXPECT_TRUE(convert(out, in).ok());
    return out;
  };
  for (int trial = 0; trial < 500; ++trial) {
    ByteBuffer sjis = trial == 0 ? codes : ByteBuffer{};  // every code once, then random text
    for (int n = trial == 0 ? 0 : any(rng) % 40; n > 0; --n) {
      const auto b = static_cast<std::uint8_t>(any(rng));
      if (b < 0x80 && b != 0x1B) {
        sjis.push_back(b);
      } else if (b >= 0x80 && b < 0xC0) {
        sjis.push_back(static_cast<std::uint8_t>(b + 0x20));  // 0xA0-0xDF
      } else {
        const std::size_t k = 2 * code(rng);
        sjis.insert(sjis.end(), {codes[k], codes[k + 1]});
      }
    }
    SCOPED_TRACE(ToHex(sjis));
    const ByteBuffer jis = run([&](auto& o, auto& i) { return c.SjisToJis(o, i, true); }, sjis);
    const ByteBuffer euc = run([&](auto& o, auto& i) { return c.SjisToEucConvert(o, i); }, sjis);
    EXPECT_EQ(run([&](auto& o, auto& i) { return c.JisToSJis(o, i); }, jis), sjis);
    EXPECT_EQ(run([&](auto& o, auto& i) { return c.JisToEuc(o, i); }, jis), euc);
    EXPECT_EQ(run([&](auto& o, auto& i) { return c.EucToJis(o, i, true); }, euc), jis);
    EXPECT_EQ(run([&](auto& o, auto& i) { return c.JisToSJis(o, i); },
                  run([&](auto& o, auto& i) { return c.SjisToJis(o, i, false); }, sjis)),
              run([&](auto& o, auto& i) { return c.HankakuKanaToZenkakuKana(o, i); }, sjis));
  }
}

}  // namespace
}  // namespace quillora::test
