// MIME Base64 mail text to code page 932 bytes.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "convert/clsConvert.h"
#include "convert/cp932_codec.h"

namespace quillora {
namespace {

using namespace std::string_view_literals;

ByteBuffer Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

ByteBuffer Decode(Text record) {
  ByteBuffer output{0};
  clsConvert().Base64ToSJis(output, record);
  return output;
}

struct Case {
  const char* name;
  std::u16string_view record;
  std::string_view expected;
};

class Base64DecodeTest : public testing::TestWithParam<Case> {};

TEST_P(Base64DecodeTest, Decodes) {
  EXPECT_EQ(Decode(Text(GetParam().record)), Bytes(GetParam().expected));
}

constexpr std::u16string_view kHeader = u"Content-Transfer-Encoding: Base64\r\n";

INSTANTIATE_TEST_SUITE_P(
    Mail, Base64DecodeTest,
    testing::Values(
        Case{"header_line_empty_line_body", u"Content-Transfer-Encoding: Base64\r\n\r\nQUJD\r\n",
             "Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"lower_case_names_decode", u"content-transfer-encoding: base64\r\n\r\nQUJD",
             "content-transfer-encoding: base64\r\n\r\nABC"},
        Case{"other_encoding_is_unchanged", u"content-transfer-encoding: 7bit\r\n\r\nQUJD\r\n",
             "content-transfer-encoding: 7bit\r\n\r\nQUJD\r\n"},
        Case{"no_encoding_header_is_unchanged", u"Subject: Base64\r\n\r\nQUJD",
             "Subject: Base64\r\n\r\nQUJD"},
        Case{"two_padding_symbols", u"Content-Transfer-Encoding: Base64\r\n\r\nQQ==",
             "Content-Transfer-Encoding: Base64\r\n\r\nA"},
        Case{"groups_go_on_after_padding", u"Content-Transfer-Encoding: Base64\r\n\r\nQQ==QUI=",
             "Content-Transfer-Encoding: Base64\r\n\r\nAAB"},
        Case{"groups_cross_line_ends", u"Content-Transfer-Encoding: Base64\r\n\r\nQU\r\nJD\r\n",
             "Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"lines_after_the_block_add_their_symbols",
             u"Content-Transfer-Encoding: Base64\r\n\r\nQUJD\r\n--QUJD--\r\n",
             "Content-Transfer-Encoding: Base64\r\n\r\nABCABC"},
        Case{"full_width_letters_are_no_symbols",
             u"Content-Transfer-Encoding: Base64\r\n\r\nＱＵＪＤQUJD",
             "Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"earlier_lines_and_empty_lines_stay_in_the_header",
             u"From: a\r\n\r\nContent-Transfer-Encoding: Base64\r\nX: y\r\n\r\nQUJD",
             "From: a\r\n\r\nContent-Transfer-Encoding: Base64\r\nX: y\r\n\r\nABC"},
        Case{"fewer_than_four_symbols_give_the_zero_byte",
             u"Content-Transfer-Encoding: Base64\r\n\r\nQUJ",
             "Content-Transfer-Encoding: Base64\r\n\r\n\0"sv},
        Case{"no_line_end_after_the_header_line", u"Content-Transfer-Encoding: Base64\r\nQUJD",
             "Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"blanks_only_after_the_header_line", u"Content-Transfer-Encoding: Base64\r\n   ",
             "Content-Transfer-Encoding: Base64\r\n\r\n\0"sv},
        Case{"lone_line_feeds_end_lines",
             u"Content-Transfer-Encoding: base64\nSubject: x\n\nQUJD\n",
             "Content-Transfer-Encoding: base64\nSubject: x\n\nABC"},
        Case{"added_line_takes_the_last_header_line_end",
             u"From: a\nContent-Transfer-Encoding: base64\r\n\r\nQUJD",
             "From: a\nContent-Transfer-Encoding: base64\r\n\r\nABC"},
        Case{"undecodable_body_bytes_pass_through_text",
             u"Content-Transfer-Encoding: Base64\r\n\r\nggo=",
             "Content-Transfer-Encoding: Base64\r\n\r\n\x81\x45\n"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Base64DecodeTest, TextWithoutLineEndIsAllBody) {
  // The header is empty, so the added empty line is CR LF; the two names are body symbols.
  const ByteBuffer raw{0x0a, 0x89, 0xed, 0x7a, 0x7b, 0x53, 0xad, 0xa9, 0xec, 0x7d, 0xea, 0xc4,
                       0x9d, 0xca, 0x1d, 0x8a, 0x78, 0x01, 0x6a, 0xc7, 0xba, 0xe1, 0x05, 0x09};
  ByteBuffer expected = Bytes("\r\n");
  AppendTextAsBytes(BytesToText(raw), expected);
  EXPECT_EQ(Decode(u"Content-Transfer-Encoding: Base64 QUJD"), expected);
}

TEST(Base64DecodeTest, BodyLargerThan32KiBDecodesWhole) {
  const std::string body(40000, 'x');
  Text record(kHeader);
  record += u"\r\n";
  for (std::size_t k = 0; k < body.size(); k += 3) {
    record += u"eHh4";  // "xxx"
    if (k % 57 == 0) {
      record += u"\r\n";
    }
  }
  const ByteBuffer output = Decode(record);
  const std::size_t header = kHeader.size() + 2;
  ASSERT_EQ(output.size(), header + 40002);  // 13,334 groups of three
  EXPECT_EQ(ByteBuffer(output.begin() + header, output.end()), ByteBuffer(40002, 'x'));
}

TEST(Base64DecodeTest, RecordKeepsWhatFollowsTheHeader) {
  clsConvert convert;
  ByteBuffer output{0};
  Text record = u"Content-Transfer-Encoding: Base64\r\n\r\nQUJD\r\n";
  convert.Base64ToSJis(output, record);
  EXPECT_EQ(record, u"\r\nQUJD\r\n");

  record = u"Subject: plain\r\n";
  convert.Base64ToSJis(output, record);
  EXPECT_EQ(record, u"Subject: plain\r\n");
}

}  // namespace
}  // namespace quillora
