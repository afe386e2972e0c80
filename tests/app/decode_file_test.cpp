#include "app/decode_file.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/clsConvert.h"
#include "text/cp932_codec.h"

namespace quillora::test {
namespace {

Text Sample(std::string_view name) {
  const std::string path = std::string(QUILLORA_SAMPLES_DIR "/") + std::string(name);
  return {path.begin(), path.end()};
}

// The bytes are made without the text; they must be what the text would have saved to.
TEST(decode_file_test, gives_the_bytes_of_kanji_convs_text_for_each_decode_type) {
  const struct {
    const char* sample;
    const char16_t* decode_type;
    std::int16_t mode;
  } cases[] = {{"jis_mail.txt", u"0", 1},
               {"euc_halfwidth.txt", u"1", 8},
               {"uuencoded_message.txt", u"2", 10},
               {"base64_mail.eml", u"3", 9},
               {"utf16le_bom.txt", u"4", 11}};
  for (const auto& c : cases) {
    EXPECT_EQ(ConversionModeOf(c.decode_type), c.mode);
    Text file = Sample(c.sample);
    Text same_file = file;
    const ByteBuffer bytes = DecodeFile(file, c.decode_type);
    EXPECT_FALSE(bytes.empty()) << c.sample;
    EXPECT_EQ(bytes, TextToBytes(clsConvert().KanjiConv(same_file, c.mode, 0))) << c.sample;
  }
  Text file = Sample("uuencoded_message.txt");
  EXPECT_FALSE(DecodeFile(file, u"2").empty());
  EXPECT_EQ(file, u"recipe.txt");  // renamed after its begin line
}

TEST(decode_file_test, only_the_five_exact_decode_types_read_anything) {
  for (const char16_t* type : {u"00", u"5", u" 1", u""}) {
    Text file = Sample("jis_mail.txt");
    EXPECT_EQ(ConversionModeOf(type), std::nullopt);
    EXPECT_TRUE(DecodeFile(file, type).empty());
  }
}

}  // namespace
}  // namespace quillora::test
