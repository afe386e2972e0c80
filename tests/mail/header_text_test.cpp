// Header values as mailers write them: encoded words joined, split, folded, broken or unknown.
#include "header_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/utf8.h"

namespace quillora::test {
using namespace mail;
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct Case {
  const char* name;
  std::string raw;
  const char* utf8;  // U+FFFD for each byte replaced
  // The events in order, by the letters of RepairKind's values: b m e o t u.
  const char* repairs;
};

const Case kCases[] = {
    {"blank_between_words_dropped", " =?UTF-8?B?5pel?= =?UTF-8?B?5pys?=\r\n", "日本", ""},
    {"blank_before_text_kept", " =?UTF-8?Q?a?= b", "a b", ""},
    {"q_underscore_and_hex", " =?utf-8?q?a_b=5Fc?=", "a b_c", ""},
    {"word_split_inside_a_character", " =?UTF-8?B?5g==?=\r\n =?UTF-8?B?l6U=?=", "日", ""},
    {"word_without_padding", " =?UTF-8?B?5pel5p?=", "日�", "b"},
    {"jis_split_inside_escape", " =?ISO-2022-JP?B?GyQ=?= =?ISO-2022-JP?B?QjAhGyhC?=", "亜", ""},
    {"charsets_not_joined", " =?UTF-8?B?5pel?==?Shift_JIS?B?lns=?=", "日本", ""},
    {"language_suffix", " =?ISO-2022-JP*ja?B?GyRCMCEbKEI=?=", "亜", ""},
    {"folded_inside_word", " =?UTF-8?B?5pel\r\n 5pys?=", "日本", ""},
    {"bad_method_left_as_written", " =?UTF-8?X?abc?=", "=?UTF-8?X?abc?=", ""},
    {"cut_off_at_the_end", " =?UTF-8?B?5pel", "日", ""},
    {"cut_off_after_its_question_mark", " x =?UTF-8?B?5pel?", "x 日", ""},
    {"unclosed_before_a_blank_left_as_written", " =?UTF-8?B?5pel more", "=?UTF-8?B?5pel more", ""},
    {"blank_inside_word_is_no_word", " =?UTF-8?Q?a b?=", "=?UTF-8?Q?a b?=", ""},
    {"unknown_charset_read_by_content", " =?x-unknown?B?k/qWew==?=", "日本", "u"},
    {"raw_shift_jis", " \x93\xfa\x96\x7b", "日本", "o"},
    {"raw_jis_folded", " \x1b$B0!\x1b(B\r\n \x1b$B0!\x1b(B", "亜 亜", "o"},
    {"invalid_byte_in_word", " =?UTF-8?B?5v8=?=", "��", "bb"},
};

TEST(header_text_test, cases) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const HeaderText header = DecodeHeaderValue(Bytes(c.raw));
    EXPECT_EQ(Utf8FromText(header.text), c.utf8);
    std::string kinds;
    for (const RepairEvent& event : header.events) {
      kinds += "bmeotu"[static_cast<int>(event.kind)];
      EXPECT_LE(event.input_offset + event.input_length, c.raw.size());
      EXPECT_LE(event.text_offset + event.text_length, header.text.size());
    }
    EXPECT_EQ(kinds, c.repairs);
  }
}

// A repair inside an encoded word names the word as its place in the input.
TEST(header_text_test, repair_in_a_word_points_at_the_word) {
  const std::string raw = " ok =?UTF-8?B?5v8=?= end";
  const HeaderText header = DecodeHeaderValue(Bytes(raw));
  ASSERT_FALSE(header.events.empty());
  const RepairEvent& event = header.events.front();
  EXPECT_EQ(raw.substr(event.input_offset, event.input_length), "=?UTF-8?B?5v8=?=");
  EXPECT_EQ(event.text_offset, 3u);
}

}  // namespace
}  // namespace quillora::test
