// The tolerant charset decoders: what each byte sequence reads as, and the repairs it costs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/charset.h"
#include "support/hex.h"
#include "text/utf8.h"

namespace quillora::test {
using namespace mail;
namespace {

constexpr Charset jis = Charset::iso2022jp, euc = Charset::euc_jp, sjis = Charset::shift_jis,
                  utf8 = Charset::utf8, utf16be = Charset::utf16be, utf16le = Charset::utf16le,
                  ascii = Charset::us_ascii;

struct Case {
  const char* name;
  Charset charset;
  const char* hex;
  const char* utf8;
  // In order, unmappable characters left out: b a byte replaced, e an escape repaired (the
  // letters of RepairKind's values in order: b m e o t u).
  const char* repairs;
};

// U+FFFD stands for each byte replaced.
const Case kCases[] = {
    // ISO-2022-JP
    {"jis_kanji", jis, "1b2442 3021 1b2842 41", "亜A", ""},
    {"jis_nec_row13", jis, "1b2442 2d21 2d35 2d6a 1b2842", "①Ⅰ㈱", ""},
    {"jis_ibm_selected_rows", jis, "1b2442 7c62 1b2842", "髙", ""},
    {"jis_esc_at", jis, "1b2440 3021 1b2842", "亜", ""},
    {"jis_kana_by_esc_i", jis, "1b2849 3631 1b2842", "ｶｱ", ""},
    {"jis_kana_by_so_si", jis, "0e 3631 0f 41", "ｶｱA", ""},
    {"jis_roman_yen", jis, "1b284a 5c7e 1b2842 5c", "¥‾\\", ""},
    {"jis_0212", jis, "1b242844 3021 1b2842", "丂", ""},
    {"jis_line_end_ends_run", jis, "1b2442 3021 0a 41", "亜\r\nA", "e"},
    {"jis_unclosed_at_end", jis, "1b2442 3021", "亜", "e"},
    {"jis_unknown_escape", jis, "1b2858 41", "�(XA", "b"},
    {"jis_half_pair_then_line_end", jis, "1b2442 30 0d0a 41", "�\r\nA", "be"},
    {"jis_mixed_with_shift_jis", jis, "1b2442 3021 1b2842 889f 0a", "亜亜\r\n", ""},
    {"jis_unassigned_pair", jis, "1b2442 2f21 1b2842", "�", "b"},
    // EUC-JP
    {"euc_kanji_kana_0212", euc, "b0a1 8eb6 8fb0a1", "亜ｶ丂", ""},
    {"euc_nec_row13", euc, "ada1", "①", ""},
    {"euc_lead_before_line_end", euc, "a1 0a 41", "�\r\nA", "b"},
    {"euc_bad_kana", euc, "8e 41", "�A", "b"},
    {"euc_lead_at_end", euc, "41 b0", "A�", "b"},
    // Shift_JIS
    {"sjis_kanji_kana", sjis, "889f b6 8740 fa40", "亜ｶ①ⅰ", ""},
    {"sjis_bad_trail_read_again", sjis, "88 0a 41", "�\r\nA", "b"},
    {"sjis_unassigned_pair", sjis, "85 40", "�", "b"},
    {"sjis_middle_dot_is_a_character", sjis, "8145", "・", ""},
    {"sjis_lone_high_bytes", sjis, "80 a0 fd", "���", "bbb"},
    // UTF-8
    {"utf8_bom_skipped", utf8, "efbbbf e4ba9c", "亜", ""},
    {"utf8_cut_sequence", utf8, "e4ba 41", "�A", "b"},
    {"utf8_overlong", utf8, "c0 af", "��", "bb"},
    {"utf8_surrogate_encoded", utf8, "eda080", "���", "bbb"},
    // UTF-16
    {"utf16_bom_decides", utf16be, "fffe 9c4e 4100", "亜A", ""},
    {"utf16_pair", utf16le, "3dd8 00de", "😀", ""},
    {"utf16_lone_surrogate_and_odd_byte", utf16le, "3dd8 4100 41", "�A�", "bb"},
    // Line ends: CR, LF and CR LF each one CR LF.
    {"line_ends", ascii, "41 0d 42 0a 43 0d0a 44", "A\r\nB\r\nC\r\nD", ""},
};

TEST(charset_decode_test, cases) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const ByteBuffer bytes = Hex(c.hex);
    Text text;
    std::vector<DecodeIssue> issues;
    DecodeCharset(c.charset, bytes, text, issues);
    EXPECT_EQ(Utf8FromText(text), c.utf8);
    std::string kinds;
    for (const DecodeIssue& issue : issues) {
      ASSERT_LE(issue.at + issue.length, bytes.size());
      ASSERT_LE(issue.text_at + issue.text_length, text.size());
      if (issue.kind != RepairKind::unmappable_in_cp932) {
        kinds += "bmeotu"[static_cast<int>(issue.kind)];
      }
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

// Noise has a repair every few bytes. Past the listed ones, each repair widens the last of its
// kind, which then covers all of them: every repair is still counted and placed, in bounded memory.
TEST(charset_decode_test, repairs_past_the_list_widen_the_last_of_their_kind) {
  constexpr std::size_t kInvalid = 25000;
  ByteBuffer bytes;
  for (std::size_t i = 0; i < kInvalid; ++i) {
    bytes.insert(bytes.end(), {'a', 0xFF});
  }
  const ByteBuffer e_acute = Hex("c3a9 c3a9 c3a9");  // three characters code page 932 lacks
  bytes.insert(bytes.end(), e_acute.begin(), e_acute.end());
  bytes.push_back('z');
  Text text;
  std::vector<DecodeIssue> issues;
  DecodeCharset(Charset::utf8, bytes, text, issues);

  ASSERT_EQ(issues.size(), 10001u);
  std::size_t count = 0;
  for (const DecodeIssue& issue : issues) {
    count += 1 + issue.more;
  }
  EXPECT_EQ(count, kInvalid + 3);
  const DecodeIssue& invalid = issues[issues.size() - 2];
  EXPECT_EQ(invalid.kind, RepairKind::replaced_invalid_byte);
  EXPECT_EQ(invalid.more, kInvalid - 10000);
  EXPECT_EQ(invalid.at + invalid.length, 2 * kInvalid);
  EXPECT_EQ(invalid.text_at + invalid.text_length, 2 * kInvalid);
  const DecodeIssue& unmappable = issues.back();
  EXPECT_EQ(unmappable.kind, RepairKind::unmappable_in_cp932);
  EXPECT_EQ(unmappable.more, 2u);
  EXPECT_EQ(unmappable.at, 2 * kInvalid);
  EXPECT_EQ(unmappable.length, 6u);
  EXPECT_EQ(unmappable.text_length, 3u);
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
