// quillora-convert run as a process: statuses and messages, standard input and output, -o.
#include <string>
#include <tuple>
#include <vector>

#include "tools/process.h"

namespace quillora_test {
namespace {

std::string Sample(const char* name) {
  return std::string(QUILLORA_SAMPLES_DIR) + "/" + name;
}

class CliTest : public ProcessTest {
 protected:
  Outcome Convert(const std::vector<std::string>& arguments, const std::string& setup = "",
                  const std::string& input = "/dev/null", const std::string& output = "") const {
    return Run(QUILLORA_CONVERT_EXE, arguments, setup, input, output);
  }
};

// iconv reads the samples whose encodings it knows, and the default code page 932 output.
TEST_F(CliTest, SamplesDecodeAsIconvReadsThem) {
  const std::string cp932 = (folder_ / "cp932").string();
  for (const auto& [file, mode, encoding] : {std::tuple{"jis_mail.txt", "1", "ISO-2022-JP"},
                                             std::tuple{"utf16le_bom.txt", "11", "UTF-16"}}) {
    const std::string utf8 = Run("iconv", {"-f", encoding, "-t", "UTF-8", Sample(file)}).out;
    ASSERT_FALSE(utf8.empty());
    const Outcome direct = Convert({"--to", "utf-8", mode, Sample(file)});
    EXPECT_EQ(direct.status, 0) << file;
    EXPECT_EQ(direct.out, utf8) << file;
    EXPECT_EQ(direct.err, "") << file;
    EXPECT_EQ(Convert({"--to", "utf-8", mode, "-"}, "", Sample(file)).out, utf8) << file;
    EXPECT_EQ(Convert({mode, Sample(file)}, "", "/dev/null", cp932).status, 0) << file;
    EXPECT_EQ(Run("iconv", {"-f", "CP932", "-t", "UTF-8"}, "", cp932).out, utf8) << file;
  }
}

// A conversion that stops early keeps the bytes it produced and says where it stopped, as a byte
// of the input (in bytes where the text has double-byte characters; of the widened input where
// half-width katakana are widened first); --strict ends with 3.
TEST_F(CliTest, EarlyStopIsToldWithItsInputOffset) {
  struct Row {
    std::vector<std::string> options;
    std::string input;
    std::string offset;
  };
  const Row rows[] = {
      {{"1"}, "line1 \x1B$B\xA4\xB3\x1B(B tail\nline2\n", "9"},
      {{"--bytes", "1"}, "line1 \x1B$B\xA4\xB3\x1B(B tail\nline2\n", "9"},
      {{"2"}, "\x1B$B0!\x1B$B", "8"},
      {{"4"}, "\xB1\x88", "2"},
      {{"--option", "1", "4"}, "A\x88", "1"},
      {{"5"}, "\xB1\x88", "2"},
      {{"7"}, "\xA4\xA2\x8E", "2"},
      {{"--option", "1", "7"}, "A\xA4", "1"},
      {{"10"}, "begin 644 cat.txt\r\n\r\nend\r\n", "19"},
      {{"10"}, "\x82\xA0\r\nbegin 644 a\r\n\r\nend\r\n", "17"},
  };
  const std::string input = (folder_ / "input").string();
  for (const Row& row : rows) {
    WriteFile(input, row.input);
    std::vector<std::string> arguments = row.options;
    arguments.push_back(input);
    const Outcome warned = Convert(arguments);
    EXPECT_EQ(warned.status, 0) << row.offset;
    EXPECT_NE(warned.err.find("stopped at byte " + row.offset + ";"), std::string::npos)
        << warned.err;
    arguments.insert(arguments.begin(), "--strict");
    const Outcome strict = Convert(arguments);
    EXPECT_EQ(strict.status, 3) << row.offset;
    EXPECT_EQ(strict.out, warned.out) << row.offset;
  }
  const Outcome whole = Convert({"--strict", "1", Sample("jis_mail.txt")});
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(whole.err, "");
}

TEST_F(CliTest, StatusesAndMessages) {
  const std::string jis = Sample("jis_mail.txt");
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::string input = "/dev/null";
    std::string output = "";
  };
  const Row rows[] = {
      {{}, 2},
      {{"one", jis}, 2},
      {{"--to", "latin1", "1", jis}, 2},
      {{"1", (folder_ / "missing").string()}, 1},
      {{"1", "-"}, 1, "/"},
      {{"1", jis}, 1, "/dev/null", "/dev/full"},
      {{"-o", (folder_ / "no-folder" / "x.txt").string(), "1", jis}, 1},
      {{"--help"}, 0},
      {{"--version"}, 0},
  };
  for (const Row& row : rows) {
    const Outcome outcome = Convert(row.arguments, "", row.input, row.output);
    const std::string shown = row.arguments.empty() ? "" : row.arguments[0];
    EXPECT_EQ(outcome.status, row.status) << shown;
    EXPECT_EQ(outcome.err.starts_with("quillora-convert: "), row.status != 0) << outcome.err;
    EXPECT_EQ(outcome.out.empty(), row.status != 0) << shown;
  }
  EXPECT_EQ(Listing(), (std::vector<std::string>{"err", "out"}));
}

// Numbered lines around the reader's 64 KiB steps show a chunk lost or read twice; mode 1 gives
// text without ESC $ B back as it is.
TEST_F(CliTest, StandardInputIsReadWhole) {
  std::string lines;
  for (int k = 0; lines.size() < 3 * 65536 + 17; ++k) {
    lines += "line " + std::to_string(k) + "\r\n";
  }
  for (const std::size_t size : {std::size_t{0}, std::size_t{65536}, lines.size()}) {
    WriteFile(folder_ / "input.txt", lines.substr(0, size));
    const Outcome piped = Convert({"1", "-"}, "", (folder_ / "input.txt").string());
    EXPECT_EQ(piped.status, 0) << size;
    EXPECT_TRUE(piped.out == lines.substr(0, size)) << size;
  }
}

TEST_F(CliTest, OutputOptionReplacesWholeOrLeavesTheOldFile) {
  const std::string jis = Sample("jis_mail.txt");
  const fs::path target = folder_ / "result.txt";
  WriteFile(target, "old content");
  const Outcome replaced = Convert({"-o", target.string(), "1", jis});
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.out, "");
  const std::string converted = ReadFile(target);
  EXPECT_EQ(converted, Convert({"1", jis}).out);

  const Outcome dashed = Convert({"-o", "-", "1", jis}, "cd " + Quoted(folder_.string()) + ";");
  EXPECT_EQ(dashed.out, converted);
  EXPECT_FALSE(fs::exists(folder_ / "-"));

  // A file size limit of zero makes every write fail, even for root.
  EXPECT_EQ(Convert({"-o", target.string(), "11", Sample("utf16le_bom.txt")},
                    "trap '' XFSZ; ulimit -f 0;")
                .status,
            1);
  EXPECT_EQ(ReadFile(target), converted);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"err", "out", "result.txt"}));
}

}  // namespace
}  // namespace quillora_test
