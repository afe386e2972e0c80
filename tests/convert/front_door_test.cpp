// KanjiConv on real files: every conversion mode, unreadable files, failing converters.
#include "convert/front_door.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "convert/clsConvert.h"
#include "convert/cp932_codec.h"

namespace quillora {
namespace {

using namespace std::string_view_literals;
namespace fs = std::filesystem;

class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "quillora-front-door-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() { fs::remove_all(path_); }

  // Writes bytes to a file of the folder; returns its path as text.
  [[nodiscard]] Text Write(const std::string& name, std::string_view bytes) const {
    std::ofstream(path_ / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }
  [[nodiscard]] Text Path(const std::string& name) const { return (path_ / name).u16string(); }

 private:
  fs::path path_;
};

struct Case {
  const char* name;
  std::string_view file;
  std::int16_t mode;
  std::int16_t option;
  std::string_view bytes;  // the bytes the result is made from
  std::u16string_view text;
};

class FrontDoorTest : public testing::TestWithParam<Case> {};

TEST_P(FrontDoorTest, Converts) {
  const Case& c = GetParam();
  const TemporaryFolder folder;
  const Text path = folder.Write("input", c.file);
  Text name = path;
  const FrontDoorOutcome outcome = RunFrontDoor(name, c.mode, c.option);
  EXPECT_TRUE(outcome.file_read);
  EXPECT_EQ(outcome.bytes, ByteBuffer(c.bytes.begin(), c.bytes.end()));
  EXPECT_EQ(outcome.text, c.text);
  name = path;  // mode 10 may have replaced it
  EXPECT_EQ(clsConvert().KanjiConv(name, c.mode, c.option), c.text);
}

constexpr std::string_view kJis = "\x1B\x24\x42\x30\x21\x1B\x28\x42";
// A repeated kanji-in at the very end makes the JIS decoders fail after one character.
constexpr std::string_view kJisFailingLate = "\x1B\x24\x42\x30\x21\x1B\x24\x42";
constexpr std::string_view kUuencoded = "begin 644 cat.txt\r\n#8V%T\r\n`\r\nend\r\n";

INSTANTIATE_TEST_SUITE_P(
    Modes, FrontDoorTest,
    testing::Values(
        Case{"mode1_jis", kJis, 1, 0, "\x88\x9F", u"亜"},
        Case{"mode1_without_kanji_in_is_the_file", "\x82\xA0\x41", 1, 0, "\x82\xA0\x41", u"あA"},
        Case{"mode1_failure_keeps_what_was_produced", kJisFailingLate, 1, 0, "\x88\x9F", u"亜"},
        Case{"mode1_failure_before_output_is_empty", "\x1B\x24\x42\x00\x41"sv, 1, 0, "", u""},
        Case{"mode2_jis_to_euc", kJis, 2, 0, "\xB0\xA1", u"\uFF70\uFF61"},
        Case{"mode2_failure_keeps_what_was_produced", kJisFailingLate, 2, 0, "\xB0\xA1",
             u"\uFF70\uFF61"},
        Case{"mode4_keeping_half_width", "\x82\xA0\x41", 4, 1,
             "\x1B\x24\x42\x24\x22\x1B\x28\x4A\x41", u"\x1B$B$\"\x1B(JA"},
        Case{"mode4_widening", "\x41\xB1\x42", 4, 0, "\x41\x1B\x24\x42\x25\x22\x1B\x28\x42\x42",
             u"A\x1B$B%\"\x1B(BB"},
        Case{"mode4_failure_drops_the_padding", "\x41\x88", 4, 1, "\x41\x1B\x24\x42", u"A\x1B$B"},
        Case{"mode5_sjis_to_euc", "\x82\xA0\x0D\x0A", 5, 0, "\xA4\xA2\x0D\x0A",
             u"\uFF64\uFF62\r\n"},
        // The first stage fails after 41 1B 24 42; with its padding zero the second would add
        // 80 80.
        Case{"mode5_second_stage_sees_only_produced_bytes", "\x41\x88", 5, 1, "\x41", u"A"},
        Case{"mode7_euc_to_jis", "\xA4\xA2\x41", 7, 0, "\x1B\x24\x42\x24\x22\x1B\x28\x42\x41",
             u"\x1B$B$\"\x1B(BA"},
        Case{"mode7_failure_before_output_is_empty", "\x8E\xB1", 7, 0, "", u""},
        Case{"mode8_euc_to_sjis", "\xB0\xA1\x0D\x0A", 8, 0, "\x88\x9F\x0D\x0A", u"亜\r\n"},
        // 83 41 is ア: its trail byte is the letter A only as a byte, not as a character.
        Case{"mode9_trail_byte_is_no_symbol",
             "Content-Transfer-Encoding: Base64\r\n\r\nQU\x83\x41JD", 9, 0,
             "Content-Transfer-Encoding: Base64\r\n\r\nABC",
             u"Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"mode10_uuencode", kUuencoded, 10, 0, "cat", u"cat"},
        Case{"mode10_without_end_is_the_file", "begin 644 cat.txt\r\n#8V%T\r\n", 10, 0,
             "begin 644 cat.txt\r\n#8V%T\r\n", u"begin 644 cat.txt\r\n#8V%T\r\n"},
        Case{"mode10_empty_block_is_one_zero", "begin 644 cat.txt\r\nend\r\n", 10, 0, "\0"sv,
             u"\0"sv},
        Case{"mode10_failure_is_empty", "begin 644 cat.txt\r\n\r\nend\r\n", 10, 0, "", u""},
        Case{"mode11_utf16le", "\xFF\xFE\x41\x00\x42\x00"sv, 11, 0, "AB", u"AB"},
        Case{"mode11_odd_final_byte", "\xFF\xFE\x41\x00\x42"sv, 11, 0, "A?", u"A?"},
        Case{"mode11_beyond_code_page_932", "\xFF\xFE\xE9\x00\x3D\xD8\x00\xDE\x42\x30"sv, 11, 0,
             "??\x82\xA0", u"??あ"},
        Case{"mode11_without_ff_is_the_file", "\xFE\xFF\x00\x41"sv, 11, 0, "\xFE\xFF\x00\x41"sv,
             u"\uF8F2\uF8F3\0A"sv},
        Case{"mode0_nothing", kJis, 0, 0, "", u""}, Case{"mode3_nothing", kJis, 3, 0, "", u""},
        Case{"mode6_nothing", kJis, 6, 0, "", u""}, Case{"mode12_nothing", kJis, 12, 0, "", u""},
        Case{"negative_mode_nothing", kJis, -1, 0, "", u""},
        Case{"lowest_mode_nothing", kJis, -32768, 0, "", u""}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(FrontDoorFiles, EmptyOrUnreadableFileGivesEmptyTextInEveryMode) {
  const TemporaryFolder folder;
  struct Row {
    Text path;
    bool readable;
  };
  const Row rows[] = {{folder.Write("empty", ""), true},
                      {folder.Path("missing"), false},
                      {folder.Path(""), false},  // the folder itself
                      {Text(u"bad\xD800name"), false}};
  for (const Row& row : rows) {
    for (const std::int16_t mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, -1}) {
      Text name = row.path;
      const FrontDoorOutcome outcome = RunFrontDoor(name, mode, 0);
      EXPECT_EQ(outcome.file_read, row.readable) << mode;
      EXPECT_EQ(outcome.text, u"") << mode;
      EXPECT_EQ(name, row.path) << mode;
    }
  }
}

TEST(FrontDoorFiles, ReadsWholeFileWithRoomForTheGuardByte) {
  const TemporaryFolder folder;
  std::string content(300000, '\0');
  for (std::size_t k = 0; k < content.size(); ++k) {
    content[k] = static_cast<char>(k * 7);
  }
  const auto bytes = ReadWholeFile(folder.Write("large", content));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, ByteBuffer(content.begin(), content.end()));
  EXPECT_GT(bytes->capacity(), bytes->size());
}

TEST(FrontDoorFiles, Mode10NameReplacement) {
  const TemporaryFolder folder;
  struct Row {
    std::string_view file;
    std::u16string_view name_after;  // empty: the path stays
  };
  const Row rows[] = {
      {kUuencoded, u"cat.txt"},
      {"BEGIN 644 CAT.TXT\r\n#8V%T\r\nEND\r\n", u"cat.txt"},
      {"begin 644 cat.txt\r\n#8V%T\r\n", u""},           // no "end": not decoded
      {"begin 644 cat.txt\r\n\r\nend\r\n", u"cat.txt"},  // fails after taking the name
  };
  for (const Row& row : rows) {
    const Text path = folder.Write("mail", row.file);
    Text name = path;
    (void)clsConvert().KanjiConv(name, 10, 0);
    EXPECT_EQ(name, row.name_after.empty() ? path : Text(row.name_after)) << row.file;
  }
}

}  // namespace
}  // namespace quillora
