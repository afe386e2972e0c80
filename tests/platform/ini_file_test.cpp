#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <random>

#include "platform/temp_folder.h"

namespace quillora::ini {
namespace {

using namespace std::string_literals;
using testing::ReadBytes;
using testing::WriteBytes;

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

class IniRead : public ::testing::TestWithParam<Case> {};
class IniWrite : public ::testing::TestWithParam<Case> {};
std::string Name(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

TEST_P(IniRead, FindsTheValue) {
  testing::TempFolder folder;
  if (GetParam().before != "(none)") {
    WriteBytes(folder.path / "a.ini", GetParam().before);
  }
  EXPECT_EQ(Get(folder.path / "a.ini", GetParam().section, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(
        Case{"CaseInsensitive", "[view]\r\nLEFT=12", "View", "left", "12"},
        Case{"Trimmed", "  [ View ]  ; c\n \t Left  =  a=b  \n", " View", "Left ", "a=b"},
        Case{"EmptyValueIsNotTheDefault", "[View]\nLeft=\n", "View", "Left", ""},
        Case{"QuotesStripped", "[V]\nk=\" a \"\nj='b'\n", "V", "k", " a "},
        Case{"UnpairedQuoteKept", "[V]\nk=\"a\n", "V", "k", "\"a"},
        Case{"FirstKeyWins", "[V]\nk=1\nk=2\n", "V", "k", "1"},
        Case{"OnlyFirstSectionCounts", "[V]\na=1\n[V]\nk=2\n", "V", "k", "(default)"},
        Case{"KeysOutsideTheSection", "k=0\n[O]\nk=1\n[V]\nj=2\n", "V", "k", "(default)"},
        Case{"CommentAndBareLinesSkipped", "[V]\n;k=1\nk\nk=3\n", "V", "k", "3"},
        Case{"MixedLineEnds", "[V]\r\na=1\nb=2\rc=3\r\n", "V", "c", "3"},
        Case{"Utf8BomFileGivesCp932", "\xEF\xBB\xBF[V]\r\nk=\xE3\x83\xA1\xE3\x83\xBC", "V", "k",
             "\x83\x81\x81\x5B"},
        Case{"BracketAsTrailByte", "[\x81\x5Dx]\nk=v\n", "\x81\x5Dx", "k", "v"},
        // 83 61 (ヂ) is 83 41 (ア) with its trail byte in lower case.
        Case{"TrailBytesMatchExactly", "[S]\n\x83\x61=no\n\x83\x41=yes\n", "S", "\x83\x41", "yes"},
        Case{"MissingFile", "(none)", "V", "k", "(default)"},
        Case{"GarbageAround", "\xFF\x00[\x01\n\x81\n[V]\nk=a\0b\n\x80"s, "V", "k", "a\0b"s}),
    Name);

TEST_P(IniWrite, ChangesOnlyTheOneKey) {
  testing::TempFolder folder;
  const auto file = folder.path / "a.ini";
  if (GetParam().before != "(none)") {
    WriteBytes(file, GetParam().before);
  }
  EXPECT_TRUE(
      WritePrivateProfileStringA(GetParam().section, GetParam().key, GetParam().value, file));
  EXPECT_EQ(ReadBytes(file), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWrite,
    ::testing::Values(
        Case{"NewFile", "(none)", "View", "Left", "1", "[View]\r\nLeft=1\r\n"},
        Case{"ReplaceKeepsTheRest", "; c\r\n[view]\r\n LEFT = 5 \r\nTop=2\r\n\x80"s, "View", "Left",
             "", "; c\r\n[view]\r\nLEFT=\r\nTop=2\r\n\x80"s},
        Case{"NewKeyEndsItsSection", "[V]\na=1\n;c\n\n[O]\n", "V", "b", "2",
             "[V]\na=1\n;c\nb=2\n\n[O]\n"},
        Case{"NewSectionTakesTheLineEnd", "[V]\r\na=1", "O", "k", "v",
             "[V]\r\na=1\r\n[O]\r\nk=v\r\n"},
        Case{"FirstOfDuplicates", "[V]\nk=1\nk=2\n[V]\nk=3\n", "V", "k", "9",
             "[V]\nk=9\nk=2\n[V]\nk=3\n"},
        Case{"MixedLineEnds", "[V]\r\na=1\rb=2\r\n", "V", "c", "3", "[V]\r\na=1\rb=2\r\nc=3\r\n"},
        Case{"NulEndsTheArguments", "(none)", "V", "k\0x"s, "v\0x"s, "[V]\r\nk=v\r\n"},
        Case{"Utf8BomFileStaysUtf8", "\xEF\xBB\xBF[V]\r\n", "V", "k", "\x83\x81",
             "\xEF\xBB\xBF[V]\r\nk=\xE3\x83\xA1\r\n"}),
    Name);

TEST(IniWriteFailure, LeavesTheFileAlone) {
  testing::TempFolder folder;
  const auto file = folder.path / "a.ini";
  WriteBytes(file, "[V]\nk=1\n");
  // Each would write a line that reads back as something else.
  for (const auto& [section, key, value] : {std::tuple{"V", "", "x"},
                                            {"V", "a=b", "x"},
                                            {"V", "[k", "x"},
                                            {"V", ";k", "x"},
                                            {"a]b", "k", "x"},
                                            {"a\nb", "k", "x"},
                                            {"V", "k", "a\rb"}}) {
    EXPECT_FALSE(WritePrivateProfileStringA(section, key, value, file)) << section << key << value;
  }
  EXPECT_FALSE(WritePrivateProfileStringA("V", "k", "x", folder.path / "no" / "a.ini"));

  // A full disk, simulated with a file-size limit that binds root too.
  const auto handler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  ::getrlimit(RLIMIT_FSIZE, &previous);
  rlimit limited = previous;
  limited.rlim_cur = 64;
  ::setrlimit(RLIMIT_FSIZE, &limited);
  EXPECT_FALSE(WritePrivateProfileStringA("V", "k", std::string(100, 'x'), file));
  ::setrlimit(RLIMIT_FSIZE, &previous);
  ::signal(SIGXFSZ, handler);
  EXPECT_EQ(ReadBytes(file), "[V]\nk=1\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1);
}

TEST(IniWriteThroughLink, KeepsTheLink) {
  testing::TempFolder folder;
  WriteBytes(folder.path / "target.ini", "");
  std::filesystem::create_symlink("target.ini", folder.path / "a.ini");
  EXPECT_TRUE(WritePrivateProfileStringA("V", "k", "2", folder.path / "a.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path / "a.ini"));
  EXPECT_EQ(ReadBytes(folder.path / "target.ini"), "[V]\r\nk=2\r\n");
}

// Random bytes before the section we write survive, and the value reads back.
TEST(IniGarbage, WritesAndReadsBack) {
  testing::TempFolder folder;
  const auto file = folder.path / "a.ini";
  std::mt19937 random(7);
  for (int trial = 0; trial < 100; ++trial) {
    std::string garbage(random() % 300, '\0');
    for (char& c : garbage) {
      c = static_cast<char>(random());
    }
    WriteBytes(file, garbage);
    ASSERT_TRUE(WritePrivateProfileStringA("Quillora", "Key", "\x83\x41 v", file));
    EXPECT_EQ(ReadBytes(file).substr(0, garbage.size()), garbage);
    EXPECT_EQ(Get(file, "quillora", "key"), "\x83\x41 v");
  }
}

}  // namespace
}  // namespace quillora::ini
