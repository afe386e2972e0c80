// JIS decoding to Shift_JIS and EUC-JP: escapes, the guard byte, and the buffers after a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string_view>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "converter_cases.h"

namespace quillora::test {
namespace {

using namespace std::string_view_literals;

constexpr ConvertError kOk = ConvertError::none;
constexpr ConvertError kRange = ConvertError::out_of_range;
constexpr ConvertError kOverflow = ConvertError::overflow;

// Output sized to the input once, zero-filled: a failure leaves the bytes so far and the zeros.
const ByteCase kToSjis[] = {
    {"odd_final_byte_pairs_with_guard", "1B 24 42 30", "88 7E", kOk, 2},
    {"kanji_out_at_end_emits_guard", "41 1B 28 42", "41 00", kOk, 2},
    {"row_00_overflows_though_result_fits", "41 1B 24 42 00 21", "41 00 00 00 00 00", kOverflow, 1},
    {"repeated_kanji_in_at_end", "1B 24 42 30 21 1B 24 42", "88 9F 00 00 00 00 00 00", kRange, 2},
};

// Output grown before each emission to one more than needed: a failure leaves the bytes so far
// and one zero, or the caller's buffer when nothing was emitted.
const ByteCase kToEuc[] = {
    {"repeated_kanji_in_at_end", "1B 24 42 30 21 1B 24 42", "B0 A1 00", kRange, 2},
    {"failure_before_output_leaves_buffer", "1B 24 42 1B 24 42", "EE EE", kRange, 0},
};

TEST(jis_decode_test, cases) {
  clsConvert c;
  RunCases(
      kToSjis, [&](ByteBuffer& out, ByteBuffer& in) { return c.JisToSJis(out, in); },
      InputAfter::guard_appended);
  RunCases(
      kToEuc, [&](ByteBuffer& out, ByteBuffer& in) { return c.JisToEuc(out, in); },
      InputAfter::guard_appended);
}

// The decoding loop read literally, one byte at a time: the oracle for inputs that mix escapes,
// pairs and runs, which the decoders take a stretch at a time.
struct Reference {
  ByteBuffer out;
  ConvertError error = ConvertError::none;
  std::size_t stopped_at = 0;
};

Reference ReferenceDecode(ByteBuffer in, bool to_euc) {
  const std::size_t n = in.size();
  in.push_back(0x00);
  // The length of the first of the escapes found at p, or 0.
  const auto escape = [&](std::size_t p, std::initializer_list<std::string_view> escapes) {
    const std::string_view rest(reinterpret_cast<const char*>(in.data()) + p, in.size() - p);
    for (const std::string_view e : escapes) {
      if (rest.starts_with(e)) {
        return e.size();
      }
    }
    return std::size_t{0};
  };
  const auto kanji_in = [&](std::size_t p) {
    return escape(p, {"\x1B$B", "\x1B$@", "\x1B$(B", "\x1BK"});
  };
  const auto kanji_out = [&](std::size_t p) { return escape(p, {"\x1B(B", "\x1B(J", "\x1BH"}); };
  Reference r;
  bool kanji = false;
  for (std::size_t i = 0; i < n;) {
    if (kanji) {
      if (const std::size_t len = kanji_out(i); len > 0) {
        kanji = false;
        i += len;
        continue;
      }
      i += kanji_in(i);
      if (i + 1 >= in.size()) {
        r.error = ConvertError::out_of_range;
        r.stopped_at = n;
        return r;
      }
      int b1 = in[i];
      int b2 = in[i + 1];
      if (to_euc) {
        r.out.push_back(static_cast<std::uint8_t>(b1 | 0x80));
        r.out.push_back(static_cast<std::uint8_t>(b2 | 0x80));
      } else {
        const int offset = b1 > 0x5E ? 0xC1 : 0x81;
        if (b1 % 2 == 1) {
          b2 += b2 <= 0x5F ? 0x1F : 0x20;
        } else {
          b1 -= 1;
          b2 += 0x7E;
        }
        const bool fits = b1 >= 0 && b2 <= 0xFF;
        b1 = (b1 - 0x21) / 2 + offset;
        if (!fits || b1 < 0 || b1 > 0xFF) {
          r.error = ConvertError::overflow;
          r.stopped_at = i;
          return r;
        }
        r.out.push_back(static_cast<std::uint8_t>(b1));
        r.out.push_back(static_cast<std::uint8_t>(b2));
      }
      i += 2;
    } else {
      if (const std::size_t len = kanji_in(i); len > 0) {
        kanji = true;
        i += len;
        continue;
      }
      i += kanji_out(i);
      if (to_euc && in[i] >= 0xA0 && in[i] <= 0xDF) {
        r.out.push_back(0x8E);
      }
      r.out.push_back(in[i]);
      i += 1;
    }
  }
  return r;
}

// Both decoders and the code page 932 path against the literal loop: the error, the count and the
// bytes up to it.
testing::AssertionResult DecodesAsTheLiteralLoop(const ByteBuffer& input) {
  for (const bool to_euc : {false, true}) {
    const Reference expected = ReferenceDecode(input, to_euc);
    ByteBuffer in = input;
    ByteBuffer out{0};
    const ConvertResult result =
        to_euc ? clsConvert().JisToEuc(out, in) : clsConvert().JisToSJis(out, in);
    out.resize(std::min(out.size(), result.count));
    if (result.error != expected.error || result.count != expected.out.size() ||
        out != expected.out ||
        (!result.ok() && result.stopped_at != expected.stopped_at)) {
      return testing::AssertionFailure() << (to_euc ? "to EUC-JP: " : "to Shift_JIS: ")
                                         << ToHex(out) << " for " << ToHex(input);
    }
    in = input;
    Collector direct(100);
    const ConvertResult as_cp932 = to_euc ? ConvertResult{} : JisToSjisAsCp932(in, direct.sink);
    if (!to_euc && (as_cp932.error != expected.error || as_cp932.stopped_at != result.stopped_at ||
                    !direct.sink.Finish() ||
                    direct.collected != TextToBytes(BytesToText(expected.out)))) {
      return testing::AssertionFailure() << "as code page 932: " << ToHex(input);
    }
  }
  return testing::AssertionSuccess();
}

TEST(jis_decode_test, random_mixtures_decode_as_the_literal_loop) {
  const std::string_view pieces[] = {"\x1B$B", "\x1B$@", "\x1B$(B",   "\x1BK",  "\x1B(B", "\x1B(J",
                                     "\x1BH",  "\x1B",   "\x1B$",     "\x1B$(", "\x1B(",  "\x1B(I",
                                     "0!",     "$\"",    "\r\n",      "\xB1",   "\xA0",   "\0"sv,
                                     "\x9F!",  "\"\x82", "ABCDEFGHIJ"};
  std::mt19937 rng(2022);
  for (int trial = 0; trial < 20000; ++trial) {
    ByteBuffer input;
    for (std::size_t k = rng() % 14; k > 0; --k) {
      const std::string_view piece = pieces[rng() % std::size(pieces)];
      input.insert(input.end(), piece.begin(), piece.end());
      if (rng() % 8 == 0) {
        input.push_back(static_cast<std::uint8_t>(rng()));
      }
    }
    ASSERT_TRUE(DecodesAsTheLiteralLoop(input));
  }
}

// Long inputs cross the decoders' internal stretches. Lone 88 bytes, each taken as data after a
// skipped kanji-out, make pieces end in a lead byte whose trail byte starts the next one.
TEST(jis_decode_test, long_runs_decode_as_the_literal_loop) {
  const Jis0208Codes all = AllJis0208Codes();
  for (const std::uint8_t ascii : {1, 2}) {
    ByteBuffer input(ascii, 0x41);
    input.insert(input.end(), {0x1B, 0x24, 0x42});
    input.insert(input.end(), all.jis.begin(), all.jis.end());
    input.insert(input.end(), {0x1B, 0x28, 0x42});
    for (int k = 0; k < 20000; ++k) {
      input.push_back(static_cast<std::uint8_t>(0xA0 + k % 0x50));
    }
    while (input.size() < 150000) {
      input.insert(input.end(), {0x88, 0x1B, 0x28, 0x42});
    }
    EXPECT_TRUE(DecodesAsTheLiteralLoop(input)) << ascii;
  }
}

}  // namespace
}  // namespace quillora::test
