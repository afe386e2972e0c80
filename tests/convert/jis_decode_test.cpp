// JIS decoding to Shift_JIS and EUC-JP: escapes, the guard byte, and the buffers after a failure.
#include <gtest/gtest.h>

#include "convert/clsConvert.h"
#include "convert/converter_cases.h"

namespace quillora::convert_test {
namespace {

constexpr ConvertError kOk = ConvertError::none;
constexpr ConvertError kRange = ConvertError::out_of_range;
constexpr ConvertError kOverflow = ConvertError::overflow;

// Output sized to the input once, zero-filled: a failure leaves the bytes so far and the zeros.
const ByteCase kToSjis[] = {
    {"kanji_run", "1B 24 42 30 21 1B 28 42", "88 9F", kOk, 2},
    {"esc_k_and_esc_h", "1B 4B 30 21 1B 48 41", "88 9F 41", kOk, 3},
    {"esc_dollar_at_and_esc_paren_j", "1B 24 40 24 22 1B 28 4A 41", "82 A0 41", kOk, 3},
    {"esc_dollar_paren_b", "1B 24 28 42 21 21 5F 21", "81 40 E0 40", kOk, 4},
    {"repeated_kanji_in_skipped", "1B 24 42 1B 24 42 30 21", "88 9F", kOk, 2},
    {"kanji_out_in_single_mode_makes_next_esc_data", "1B 28 42 1B 24 42", "1B 24 42", kOk, 3},
    {"unknown_escape_copied", "1B 28 49 B1", "1B 28 49 B1", kOk, 4},
    {"line_end_in_kanji_mode_is_a_pair", "1B 24 42 0D 0A", "77 29", kOk, 2},
    {"odd_final_byte_pairs_with_guard", "1B 24 42 30", "88 7E", kOk, 2},
    {"kanji_out_at_end_emits_guard", "41 1B 28 42", "41 00", kOk, 2},
    {"truncated_escape_in_single_mode", "41 1B 24 28", "41 1B 24 28", kOk, 4},
    {"truncated_escape_in_kanji_mode", "1B 24 42 1B 24", "7E 43", kOk, 2},
    {"row_00_overflows_though_result_fits", "41 1B 24 42 00 21", "41 00 00 00 00 00", kOverflow, 1},
    {"row_9f_overflows", "1B 24 42 9F 21", "00 00 00 00 00", kOverflow, 0},
    {"even_row_cell_82_overflows", "1B 24 42 30 21 22 82", "88 9F 00 00 00 00 00", kOverflow, 2},
    {"repeated_kanji_in_at_end", "1B 24 42 30 21 1B 24 42", "88 9F 00 00 00 00 00 00", kRange, 2},
    {"only_escapes_give_empty", "1B 24 42 1B 28 42", "", kOk, 0},
};

// Output grown before each emission to one more than needed: a failure leaves the bytes so far
// and one zero, or the caller's buffer when nothing was emitted.
const ByteCase kToEuc[] = {
    {"kanji_run", "1B 24 42 30 21 1B 28 42", "B0 A1", kOk, 2},
    {"odd_final_byte_pairs_with_guard", "1B 24 42 30", "B0 80", kOk, 2},
    {"katakana_and_a0_single_shifted", "B1 A0 DF E0", "8E B1 8E A0 8E DF E0", kOk, 7},
    {"row_00_cannot_overflow", "1B 24 42 00 21", "80 A1", kOk, 2},
    {"repeated_kanji_in_at_end", "1B 24 42 30 21 1B 24 42", "B0 A1 00", kRange, 2},
    {"failure_before_output_leaves_buffer", "1B 24 42 1B 24 42", "EE EE", kRange, 0},
    {"empty", "", "", kOk, 0},
};

TEST(jis_decode_test, to_sjis_cases) {
  clsConvert c;
  RunCases(
      kToSjis, [&](ByteBuffer& out, ByteBuffer& in) { return c.JisToSJis(out, in); },
      InputAfter::guard_appended);
}

TEST(jis_decode_test, to_euc_cases) {
  clsConvert c;
  RunCases(
      kToEuc, [&](ByteBuffer& out, ByteBuffer& in) { return c.JisToEuc(out, in); },
      InputAfter::guard_appended);
}

}  // namespace
}  // namespace quillora::convert_test
