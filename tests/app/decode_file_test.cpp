#include "app/decode_file.h"

#include <gtest/gtest.h>

#include <string>

namespace quillora {
namespace {

struct ModeCase {
  const char16_t* decode_type;
  std::optional<std::int16_t> mode;
};

class ConversionModeOfTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ConversionModeOfTest, MapsExactlyTheFiveDecodeTypes) {
  EXPECT_EQ(ConversionModeOf(GetParam().decode_type), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(DecodeTypes, ConversionModeOfTest,
                         ::testing::Values(ModeCase{u"0", 1}, ModeCase{u"1", 8},
                                           ModeCase{u"2", 10}, ModeCase{u"3", 9},
                                           ModeCase{u"4", 11}, ModeCase{u"00", std::nullopt},
                                           ModeCase{u"5", std::nullopt},
                                           ModeCase{u" 1", std::nullopt},
                                           ModeCase{u"", std::nullopt}));

Text Sample(std::string_view name) {
  const std::string path = std::string(QUILLORA_SAMPLES_DIR "/") + std::string(name);
  return {path.begin(), path.end()};
}

TEST(DecodeFileTest, AnUnknownDecodeTypeReadsNothing) {
  Text file = Sample("jis_mail.txt");
  EXPECT_TRUE(DecodeFile(file, u"5").empty());
  EXPECT_FALSE(DecodeFile(file, u"0").empty());
}

TEST(DecodeFileTest, UuencodeRenamesTheFileToItsBeginLine) {
  Text file = Sample("uuencoded_message.txt");
  EXPECT_FALSE(DecodeFile(file, u"2").empty());
  EXPECT_EQ(file, u"recipe.txt");
}

}  // namespace
}  // namespace quillora
