#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <array>

#include "support/temp_folder.h"

namespace quillora::test {
using namespace ini;
namespace {

using namespace std::string_literals;

std::string Get(const std::filesystem::path& file, const std::string& section,
                const std::string& key, const std::string& fallback = "(default)") {
  char buffer[1024];
  return {buffer, GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file)};
}

struct Case {
  const char* name;
  std::string before;  // file content, or "(none)"
  std::string section;
  std::string key;
  std::string value;  // read: the value expected; write: the value written
  std::string after;  // write: the file expected
};

class ini_read_test : public ::testing::TestWithParam<Case> {};
class ini_write_test : public ::testing::TestWithParam<Case> {};
std::string Name(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

TEST_P(ini_read_test, finds_the_value) {
  TempFolder folder;
  WriteBytes(folder.path / "a.ini", GetParam().before);
  EXPECT_EQ(Get(folder.path / "a.ini", GetParam().section, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ini_read_test,
    ::testing::Values(
        Case{"CaseInsensitive", "[view]\r\nLEFT=12", "View", "left", "12"},
        Case{"Trimmed", "  [ View ]  ; c\n \t Left  =  a=b  \n", " View", "Left ", "a=b"},
        Case{"EmptyValueIsNotTheDefault", "[View]\nLeft=\n", "View", "Left", ""},
        Case{"QuotesStripped", "[V]\nk=\" a \"\nj='b'\n", "V", "k", " a "},
        Case{"FirstKeyWins", "[V]\nk=1\nk=2\n", "V", "k", "1"},
        Case{"MixedLineEnds", "[V]\r\na=1\nb=2\rc=3\r\n", "V", "c", "3"},
        Case{"OnlyFirstSectionCounts", "[V]\na=1\n[V]\nk=2\n", "V", "k", "(default)"},
        Case{"Utf8BomFileGivesCp932", "\xEF\xBB\xBF[V]\r\nk=\xE3\x83\xA1\xE3\x83\xBC", "V", "k",
             "\x83\x81\x81\x5B"},
        // 83 61 (ヂ) is 83 41 (ア) with its trail byte in lower case.
        Case{"TrailBytesMatchExactly", "[S]\n\x83\x61=no\n\x83\x41=yes\n", "S", "\x83\x41", "yes"},
        Case{"GarbageAround", "\xFF\x00[\x01\n\x81\n[V]\nk=a\0b\n\x80"s, "V", "k", "a\0b"s}),
    Name);

TEST_P(ini_write_test, changes_only_the_one_key) {
  TempFolder folder;
  const auto file = folder.path / "a.ini";
  if (GetParam().before != "(none)") {
    WriteBytes(file, GetParam().before);
  }
  EXPECT_TRUE(
      WritePrivateProfileStringA(GetParam().section, GetParam().key, GetParam().value, file));
  EXPECT_EQ(ReadBytes(file), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ini_write_test,
    ::testing::Values(Case{"NewFile", "(none)", "View", "Left", "1", "[View]\r\nLeft=1\r\n"},
                      Case{"ReplaceKeepsTheRest", "; c\r\n[view]\r\n LEFT = 5 \r\nTop=2\r\n\x80"s,
                           "View", "Left", "", "; c\r\n[view]\r\nLEFT=\r\nTop=2\r\n\x80"s},
                      Case{"NewKeyEndsItsSection", "[V]\na=1\n;c\n\n[O]\n", "V", "b", "2",
                           "[V]\na=1\n;c\nb=2\n\n[O]\n"},
                      Case{"NewSectionTakesTheLineEnd", "[V]\r\na=1", "O", "k", "v",
                           "[V]\r\na=1\r\n[O]\r\nk=v\r\n"},
                      Case{"FirstOfDuplicates", "[V]\nk=1\nk=2\n[V]\nk=3\n", "V", "k", "9",
                           "[V]\nk=9\nk=2\n[V]\nk=3\n"},
                      Case{"Utf8BomFileStaysUtf8", "\xEF\xBB\xBF[V]\r\n", "V", "k", "\x83\x81",
                           "\xEF\xBB\xBF[V]\r\nk=\xE3\x83\xA1\r\n"}),
    Name);

// A full disk is the atomic writer's to report: tested through quillora-convert -o.
TEST(ini_write_test, leaves_the_file_alone) {
  TempFolder folder;
  const auto file = folder.path / "a.ini";
  WriteBytes(file, "[V]\nk=1\n");
  // Each would write a line that reads back as something else.
  for (const auto& [section, key, value] :
       {std::tuple{"V", "", "x"}, {"V", "a=b", "x"}, {"a]b", "k", "x"}, {"V", "k", "a\rb"}}) {
    EXPECT_FALSE(WritePrivateProfileStringA(section, key, value, file)) << section << key << value;
  }
  EXPECT_FALSE(WritePrivateProfileStringA("V", "k", "x", folder.path / "no" / "a.ini"));

  EXPECT_EQ(ReadBytes(file), "[V]\nk=1\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1);
}

// Only the first part of a huge file is read, and a file not read whole is never rewritten.
TEST(ini_huge_file_test, is_read_in_part_and_never_rewritten) {
  TempFolder folder;
  const auto file = folder.path / "a.ini";
  std::string huge = "[V]\nfirst=1\n";
  huge.resize(kMaxReadBytes, ';');
  huge += "\nlate=2\n";
  WriteBytes(file, huge);
  EXPECT_TRUE(IsTooLargeToReadWhole(file));
  std::array<char, 8> value{};
  EXPECT_EQ(GetPrivateProfileStringA("V", "first", "", value.data(), 8, file), 1U);
  EXPECT_EQ(GetPrivateProfileStringA("V", "late", "none", value.data(), 8, file), 4U);
  EXPECT_FALSE(WritePrivateProfileStringA("V", "first", "3", file));
  EXPECT_TRUE(ReadBytes(file) == huge);
}

}  // namespace
}  // namespace quillora::test
