// The first uuencoded block of a text to its bytes.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "convert/clsConvert.h"

namespace quillora::test {
namespace {

using namespace std::string_view_literals;

// Handed over in place of the usual single zero byte, so that "left alone" is visible.
const ByteBuffer kHandedOver{0x5A, 0x5A};

struct Case {
  const char* name;
  std::u16string_view record;
  ConvertError error;
  std::string_view expected;  // the output buffer afterwards
  std::u16string_view file_name;
};

class uudecode_test : public testing::TestWithParam<Case> {};

TEST_P(uudecode_test, decodes) {
  const Case& c = GetParam();
  ByteBuffer output = kHandedOver;
  Text record(c.record);
  Text file_name = u"previous";
  const ConvertResult result = clsConvert().UuencodeToSJis(output, record, file_name);
  EXPECT_EQ(result.error, c.error);
  EXPECT_EQ(output, ByteBuffer(c.expected.begin(), c.expected.end()));
  EXPECT_EQ(file_name, c.file_name);
}

constexpr std::string_view kUntouched = "\x5A\x5A";

INSTANTIATE_TEST_SUITE_P(
    Blocks, uudecode_test,
    testing::Values(Case{"capitals_and_lone_line_feeds", u"BEGIN 644 CAT.TXT\n#8V%T\n`\nEND\n",
                         ConvertError::none, "cat", u"cat.txt"},
                    Case{"surplus_drops_padding_bytes", u"begin 644 ca\r\n\"8V%T\r\n`\r\nend\r\n",
                         ConvertError::none, "ca", u"ca"},
                    Case{"stops_after_the_first_short_line",
                         u"begin 644 a\r\n#8V%T\r\n#9&]G\r\n`\r\nend\r\n", ConvertError::none,
                         "cat", u"a"},
                    Case{"text_before_and_blocks_after_are_ignored",
                         u"Hello,\r\nsee begin 644 my cat.txt\r\n#8V%T\r\nend\r\nbegin 644 "
                         u"b\r\n#9&]G\r\nend\r\n",
                         ConvertError::none, "cat", u"my cat.txt"},
                    Case{"name_without_blank_keeps_all_after_skip", u"begin 644\r\nend\r\n",
                         ConvertError::none, "\0"sv, u"44"},
                    Case{"begin_then_end_gives_the_zero_byte", u"begin \r\nend\r\n",
                         ConvertError::none, "\0"sv, u""},
                    Case{"half_width_katakana_are_data", u"begin 644 k\r\n#ｱｱｱｱ\r\nend\r\n",
                         ConvertError::none, "\x45\x14\x51", u"k"},
                    Case{"no_begin_line_leaves_the_output", u"hello\r\nend\r\n", ConvertError::none,
                         kUntouched, u""},
                    Case{"begin_line_without_line_end", u"begin 644 cat.txt",
                         ConvertError::out_of_range, kUntouched, u""},
                    Case{"tab_in_data", u"begin 644 cat.txt\r\n#8V\t%T\r\nend\r\n",
                         ConvertError::overflow, kUntouched, u"cat.txt"}),
    [](const testing::TestParamInfo<Case>& row) { return std::string(row.param.name); });

TEST(uudecode_test, surplus_beyond_sixteen_bits_fails) {
  // ((43697 - 1) / 4) * 3 - 1 = 32771
  Text record = u"begin 644 long\r\n!" + Text(43696, u'A') + u"\r\nend\r\n";
  ByteBuffer output = kHandedOver;
  Text file_name;
  EXPECT_EQ(clsConvert().UuencodeToSJis(output, record, file_name).error, ConvertError::overflow);
  EXPECT_EQ(output, kHandedOver);

  record = u"begin 644 long\r\n!" + Text(43688, u'A') + u"\r\nend\r\n";  // 32765
  EXPECT_TRUE(clsConvert().UuencodeToSJis(output, record, file_name).ok());
}

TEST(uudecode_test, record_is_consumed_through_the_begin_line) {
  ByteBuffer output{0};
  Text record = u"intro\r\nbegin 644 a\r\n#8V%T\r\nend\r\n";
  Text file_name;
  ASSERT_TRUE(clsConvert().UuencodeToSJis(output, record, file_name).ok());
  EXPECT_EQ(record, u"#8V%T\r\nend\r\n");
}

}  // namespace
}  // namespace quillora::test
