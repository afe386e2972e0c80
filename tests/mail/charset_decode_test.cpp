// The tolerant charset decoders: what each byte sequence reads as, and the repairs it costs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/charset.h"
#include "text/utf8.h"

namespace quillora::test {
using namespace mail;
namespace {

ByteBuffer Hex(std::string_view hex) {
  ByteBuffer bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    while (hex[i] == ' ') ++i;
    bytes.push_back(
        static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

struct Case {
  const char* name;
  Charset charset;
  const char* hex;
  const char* utf8;
  std::vector<RepairKind> repairs;  // in order, unmappable characters left out
};

const Case kCases[] = {
    // ISO-2022-JP
    {"jis_kanji", Charset::iso2022jp, "1b2442 3021 1b2842 41", "亜A", {}},
    {"jis_nec_row13", Charset::iso2022jp, "1b2442 2d21 2d35 2d6a 1b2842", "①Ⅰ㈱", {}},
    {"jis_ibm_selected_rows", Charset::iso2022jp, "1b2442 7c62 1b2842", "髙", {}},
    {"jis_esc_at", Charset::iso2022jp, "1b2440 3021 1b2842", "亜", {}},
    {"jis_kana_by_esc_i", Charset::iso2022jp, "1b2849 3631 1b2842", "ｶｱ", {}},
    {"jis_kana_by_so_si", Charset::iso2022jp, "0e 3631 0f 41", "ｶｱA", {}},
    {"jis_roman_yen", Charset::iso2022jp, "1b284a 5c7e 1b2842 5c", "¥‾\\", {}},
    {"jis_0212", Charset::iso2022jp, "1b242844 3021 1b2842", "丂", {}},
    {"jis_line_end_ends_run",
     Charset::iso2022jp,
     "1b2442 3021 0a 41",
     "亜\r\nA",
     {RepairKind::repaired_escape}},
    {"jis_unclosed_at_end", Charset::iso2022jp, "1b2442 3021", "亜", {RepairKind::repaired_escape}},
    {"jis_unknown_escape",
     Charset::iso2022jp,
     "1b2858 41",
     "\xEF\xBF\xBD(XA",
     {RepairKind::replaced_invalid_byte}},
    {"jis_half_pair_then_line_end",
     Charset::iso2022jp,
     "1b2442 30 0d0a 41",
     "\xEF\xBF\xBD\r\nA",
     {RepairKind::replaced_invalid_byte, RepairKind::repaired_escape}},
    {"jis_mixed_with_shift_jis", Charset::iso2022jp, "1b2442 3021 1b2842 889f 0a", "亜亜\r\n", {}},
    {"jis_unassigned_pair",
     Charset::iso2022jp,
     "1b2442 2f21 1b2842",
     "\xEF\xBF\xBD",
     {RepairKind::replaced_invalid_byte}},
    // EUC-JP
    {"euc_kanji_kana_0212", Charset::euc_jp, "b0a1 8eb6 8fb0a1", "亜ｶ丂", {}},
    {"euc_nec_row13", Charset::euc_jp, "ada1", "①", {}},
    {"euc_lead_before_line_end",
     Charset::euc_jp,
     "a1 0a 41",
     "\xEF\xBF\xBD\r\nA",
     {RepairKind::replaced_invalid_byte}},
    {"euc_bad_kana",
     Charset::euc_jp,
     "8e 41",
     "\xEF\xBF\xBD"
     "A",
     {RepairKind::replaced_invalid_byte}},
    {"euc_lead_at_end",
     Charset::euc_jp,
     "41 b0",
     "A\xEF\xBF\xBD",
     {RepairKind::replaced_invalid_byte}},
    // Shift_JIS
    {"sjis_kanji_kana", Charset::shift_jis, "889f b6 8740 fa40", "亜ｶ①ⅰ", {}},
    {"sjis_bad_trail_read_again",
     Charset::shift_jis,
     "88 0a 41",
     "\xEF\xBF\xBD\r\nA",
     {RepairKind::replaced_invalid_byte}},
    {"sjis_unassigned_pair",
     Charset::shift_jis,
     "85 40",
     "\xEF\xBF\xBD",
     {RepairKind::replaced_invalid_byte}},
    {"sjis_middle_dot_is_a_character", Charset::shift_jis, "8145", "・", {}},
    {"sjis_lone_high_bytes",
     Charset::shift_jis,
     "80 a0 fd",
     "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
     {RepairKind::replaced_invalid_byte, RepairKind::replaced_invalid_byte,
      RepairKind::replaced_invalid_byte}},
    // UTF-8
    {"utf8_bom_skipped", Charset::utf8, "efbbbf e4ba9c", "亜", {}},
    {"utf8_cut_sequence",
     Charset::utf8,
     "e4ba 41",
     "\xEF\xBF\xBD"
     "A",
     {RepairKind::replaced_invalid_byte}},
    {"utf8_overlong",
     Charset::utf8,
     "c0 af",
     "\xEF\xBF\xBD\xEF\xBF\xBD",
     {RepairKind::replaced_invalid_byte, RepairKind::replaced_invalid_byte}},
    {"utf8_surrogate_encoded",
     Charset::utf8,
     "eda080",
     "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
     {RepairKind::replaced_invalid_byte, RepairKind::replaced_invalid_byte,
      RepairKind::replaced_invalid_byte}},
    // UTF-16
    {"utf16_bom_decides", Charset::utf16be, "fffe 9c4e 4100", "亜A", {}},
    {"utf16_pair", Charset::utf16le, "3dd8 00de", "😀", {}},
    {"utf16_lone_surrogate_and_odd_byte",
     Charset::utf16le,
     "3dd8 4100 41",
     "\xEF\xBF\xBD"
     "A\xEF\xBF\xBD",
     {RepairKind::replaced_invalid_byte, RepairKind::replaced_invalid_byte}},
    // Line ends: CR, LF and CR LF each one CR LF.
    {"line_ends", Charset::us_ascii, "41 0d 42 0a 43 0d0a 44", "A\r\nB\r\nC\r\nD", {}},
};

TEST(charset_decode_test, cases) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const ByteBuffer bytes = Hex(c.hex);
    Text text;
    std::vector<DecodeIssue> issues;
    DecodeCharset(c.charset, bytes, text, issues);
    EXPECT_EQ(Utf8FromText(text), c.utf8);
    std::vector<RepairKind> kinds;
    for (const DecodeIssue& issue : issues) {
      ASSERT_LE(issue.at + issue.length, bytes.size());
      ASSERT_LE(issue.text_at + issue.text_length, text.size());
      if (issue.kind != RepairKind::unmappable_in_cp932) kinds.push_back(issue.kind);
    }
    EXPECT_EQ(kinds, c.repairs);
  }
}

// Characters that code page 932 cannot hold are reported where they are; the ones it holds are
// not, whatever their charset.
TEST(charset_decode_test, unmappable_characters_are_reported) {
  Text text;
  std::vector<DecodeIssue> issues;
  DecodeCharset(Charset::utf8, Hex("e4ba9c 41 f09f9880 c3a9 e28892"), text, issues);
  ASSERT_EQ(issues.size(), 2u);  // U+1F600 and U+00E9; U+2212 encodes as 81 7C
  EXPECT_EQ(issues[0].kind, RepairKind::unmappable_in_cp932);
  EXPECT_EQ(issues[0].at, 4u);
  EXPECT_EQ(issues[0].length, 4u);
  EXPECT_EQ(issues[0].text_at, 2u);
  EXPECT_EQ(issues[0].text_length, 2u);
  EXPECT_EQ(issues[1].at, 8u);
}

TEST(charset_decode_test, labels) {
  EXPECT_EQ(CharsetFromLabel("ISO-2022-JP"), Charset::iso2022jp);
  EXPECT_EQ(CharsetFromLabel("\"csISO2022JP\""), Charset::iso2022jp);
  EXPECT_EQ(CharsetFromLabel("x-sjis"), Charset::shift_jis);
  EXPECT_EQ(CharsetFromLabel("Windows-31J"), Charset::shift_jis);
  EXPECT_EQ(CharsetFromLabel("EUC-JP"), Charset::euc_jp);
  EXPECT_EQ(CharsetFromLabel("utf-16le"), Charset::utf16le);
  EXPECT_EQ(CharsetFromLabel("x-unknown"), std::nullopt);
  EXPECT_EQ(CharsetFromLabel(""), std::nullopt);
}

}  // namespace
}  // namespace quillora::test
