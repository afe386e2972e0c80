// MIME Base64 mail text to code page 932 bytes.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "convert/clsConvert.h"
#include "text/cp932_codec.h"

namespace quillora::test {
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

class base64_decode_test : public testing::TestWithParam<Case> {};

TEST_P(base64_decode_test, decodes) {
  EXPECT_EQ(Decode(Text(GetParam().record)), Bytes(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Mail, base64_decode_test,
    testing::Values(
        Case{"lower_case_names_decode", u"content-transfer-encoding: base64\r\n\r\nQUJD",
             "content-transfer-encoding: base64\r\n\r\nABC"},
        Case{"other_encoding_is_unchanged", u"content-transfer-encoding: 7bit\r\n\r\nQUJD\r\n",
             "content-transfer-encoding: 7bit\r\n\r\nQUJD\r\n"},
        Case{"groups_go_on_after_padding", u"Content-Transfer-Encoding: Base64\r\n\r\nQQ==QUI=",
             "Content-Transfer-Encoding: Base64\r\n\r\nAAB"},
        Case{"lines_after_the_block_add_their_symbols",
             u"Content-Transfer-Encoding: Base64\r\n\r\nQUJD\r\n--QUJD--\r\n",
             "Content-Transfer-Encoding: Base64\r\n\r\nABCABC"},
        Case{"full_width_letters_are_no_symbols",
             u"Content-Transfer-Encoding: Base64\r\n\r\nＱＵＪＤQUJD",
             "Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"fewer_than_four_symbols_give_the_zero_byte",
             u"Content-Transfer-Encoding: Base64\r\n\r\nQUJ",
             "Content-Transfer-Encoding: Base64\r\n\r\n\0"sv},
        Case{"no_line_end_after_the_header_line", u"Content-Transfer-Encoding: Base64\r\nQUJD",
             "Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"added_line_takes_the_last_header_line_end",
             u"From: a\nContent-Transfer-Encoding: base64\r\n\r\nQUJD",
             "From: a\nContent-Transfer-Encoding: base64\r\n\r\nABC"},
        // No header: the added empty line is CR LF, and the names are body symbols.
        Case{"text_without_line_end_is_all_body", u"Content-Transfer-Encoding: Base64 QUJD",
             "\r\n\x0A\x89\xED\x7A\x7B\x53\xAD\xA9\x81\x45\x81\x45\x9D\xCA\x1D\x8A\x78\x01\x6A"
             "\xC7\xBA\x81\x45\x05\x09"},
        Case{"undecodable_body_bytes_pass_through_text",
             u"Content-Transfer-Encoding: Base64\r\n\r\nggo=",
             "Content-Transfer-Encoding: Base64\r\n\r\n\x81\x45\n"}),
    [](const testing::TestParamInfo<Case>& row) { return std::string(row.param.name); });

TEST(base64_decode_test, body_larger_than32_ki_b_decodes_whole) {
  Text record = u"Content-Transfer-Encoding: Base64\r\n\r\n";
  for (std::size_t k = 0; k < 13334; ++k) {
    record += k % 19 == 0 ? u"eHh4\r\n" : u"eHh4";  // "xxx"
  }
  EXPECT_EQ(Decode(record),
            Bytes("Content-Transfer-Encoding: Base64\r\n\r\n" + std::string(40002, 'x')));
}

// The caller goes on from what follows the header, or from the whole record without one.
TEST(base64_decode_test, record_keeps_what_follows_the_header) {
  for (const auto& [record, after] :
       {std::pair<Text, Text>{u"Content-Transfer-Encoding: Base64\r\n\r\nQUJD\r\n",
                              u"\r\nQUJD\r\n"},
        {u"Subject: plain\r\n", u"Subject: plain\r\n"}}) {
    ByteBuffer output{0};
    Text kept = record;
    clsConvert().Base64ToSJis(output, kept);
    EXPECT_EQ(kept, after);
  }
}

}  // namespace
}  // namespace quillora::test
