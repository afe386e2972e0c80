// quillora-convert run as a process: statuses and messages, standard input and output, -o.
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/process.h"

namespace quillora::test {
namespace {

using quillora_convert_test = Processes;

// iconv reads the samples whose encodings it knows, and the default code page 932 output.
TEST_F(quillora_convert_test, samples_decode_as_iconv_reads_them) {
  for (const auto& [file, mode, encoding] : {std::tuple{"jis_mail.txt", "1", "ISO-2022-JP"},
                                             std::tuple{"utf16le_bom.txt", "11", "UTF-16"}}) {
    const std::string utf8 =
        Run(Call("/usr/bin/iconv", {"-f", encoding, "-t", "UTF-8", SamplePath(file)})).out;
    ASSERT_FALSE(utf8.empty());
    const Outcome direct = Convert({"--to", "utf-8", mode, SamplePath(file)});
    EXPECT_TRUE(EndedWith(direct, 0)) << file;
    EXPECT_EQ(direct.out, utf8) << file;
    EXPECT_EQ(direct.err, "") << file;
    Invocation iconv = Call("/usr/bin/iconv", {"-f", "CP932", "-t", "UTF-8"});
    iconv.in = WriteBytes(Path("cp932"), Convert({mode, SamplePath(file)}).out);
    EXPECT_EQ(Run(iconv).out, utf8) << file;
  }
}

// A conversion that stops early keeps the bytes it produced and says where it stopped, as a byte
// of the input (in bytes where the text has double-byte characters; of the widened input where
// half-width katakana are widened first); --strict ends with 3.
TEST_F(quillora_convert_test, early_stop_is_told_with_its_input_offset) {
  const struct {
    std::vector<std::string> options;
    std::string input;
    std::string offset;
  } rows[] = {
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
  for (const auto& row : rows) {
    std::vector<std::string> arguments = row.options;
    arguments.push_back(WriteBytes(Path("input"), row.input));
    const Outcome warned = Convert(arguments);
    EXPECT_TRUE(EndedWith(warned, 0)) << row.offset;
    EXPECT_NE(warned.err.find("stopped at byte " + row.offset + ";"), std::string::npos)
        << warned.err;
    arguments.insert(arguments.begin(), "--strict");
    const Outcome strict = Convert(arguments);
    EXPECT_TRUE(EndedWith(strict, 3)) << row.offset;
    EXPECT_EQ(strict.out, warned.out) << row.offset;
  }
  const Outcome whole = Convert({"--strict", "1", SamplePath("jis_mail.txt")});
  EXPECT_TRUE(EndedWith(whole, 0));
  EXPECT_EQ(whole.err, "");
}

TEST_F(quillora_convert_test, statuses_and_messages) {
  const std::string jis = SamplePath("jis_mail.txt");
  const struct {
    std::vector<std::string> arguments;
    int status;
    const char* in = "/dev/null";
    const char* out = nullptr;  // standard output captured
  } rows[] = {
      {{}, 2},
      {{"one", jis}, 2},
      {{"--to", "latin1", "1", jis}, 2},
      {{"1", "-"}, 1, "/"},
      {{"1", jis}, 1, "/dev/null", "/dev/full"},
      {{"-o", Path("no-folder") / "x.txt", "1", jis}, 1},
      {{"--help"}, 0},
      {{"--version"}, 0},
  };
  for (const auto& row : rows) {
    Invocation call = ConvertCall(row.arguments);
    call.in = row.in;
    call.out = row.out != nullptr ? row.out : call.out;
    const Outcome outcome = Run(call);
    const std::string shown = row.arguments.empty() ? "" : row.arguments[0];
    EXPECT_TRUE(EndedWith(outcome, row.status)) << shown;
    EXPECT_EQ(outcome.err.starts_with("quillora-convert: "), row.status != 0) << outcome.err;
    EXPECT_EQ(outcome.out.empty(), row.status != 0) << shown;
  }
  EXPECT_EQ(Listing(), std::vector<std::string>{});
}

// Numbered lines around the reader's 64 KiB steps show a chunk lost or read twice; mode 1 gives
// text without ESC $ B back as it is.
TEST_F(quillora_convert_test, standard_input_is_read_whole) {
  std::string lines;
  for (int k = 0; lines.size() < 3 * 65536 + 17; ++k) {
    lines += "line " + std::to_string(k) + "\r\n";
  }
  for (const std::size_t size : {std::size_t{0}, std::size_t{65536}, lines.size()}) {
    Invocation piped = ConvertCall({"1", "-"});
    piped.in = WriteBytes(Path("input.txt"), lines.substr(0, size));
    const Outcome outcome = Run(piped);
    EXPECT_TRUE(EndedWith(outcome, 0)) << size;
    EXPECT_TRUE(outcome.out == lines.substr(0, size)) << size;
  }
}

TEST_F(quillora_convert_test, output_option_replaces_whole_or_leaves_the_old_file) {
  const std::string jis = SamplePath("jis_mail.txt");
  const fs::path target = WriteBytes(Path("result.txt"), "old content");
  const Outcome replaced = Convert({"-o", target, "1", jis});
  EXPECT_TRUE(EndedWith(replaced, 0));
  EXPECT_EQ(replaced.out, "");
  const std::string converted = ReadBytes(target);
  EXPECT_EQ(converted, Convert({"1", jis}).out);

  EXPECT_EQ(Convert({"-o", "-", "1", jis}).out, converted);  // "-" is standard output
  // A file size limit of zero makes every write fail, even for root (and even the message's).
  Invocation limited = ConvertCall({"-o", target, "11", SamplePath("utf16le_bom.txt")});
  limited.file_size = 0;
  EXPECT_TRUE(EndedWith(Run(limited), 1));
  EXPECT_EQ(ReadBytes(target), converted);
  EXPECT_EQ(Listing(), std::vector<std::string>{"result.txt"});
}

// A uuencoded block goes out as it is decoded, and is taken back when it fails further on, as if
// nothing had been written: standard output appended to a file leaves the file as it was, a write
// that failed meanwhile is forgotten, and -o makes an empty file.
TEST_F(quillora_convert_test, failed_uuencoded_block_takes_its_output_back) {
  std::string block = "begin 644 a.bin\n";
  while (block.size() < (std::size_t{3} << 20)) {  // more than one piece of output
    block += "M" + std::string(60, static_cast<char>('0' + block.size() % 40)) + "\n";
  }
  const fs::path failing = WriteBytes(Path("failing.uu"), block + "M\t\n`\nend\n");
  const fs::path whole = WriteBytes(Path("whole.uu"), block + "`\nend\n");
  const fs::path kept = Path("kept.txt");
  const auto run = [&](const fs::path& input, bool append, std::optional<rlim_t> limit) {
    WriteBytes(kept, "kept\n");
    Invocation call = ConvertCall({"10", input});
    call.out = kept;
    call.append_out = append;
    call.file_size = limit;
    return std::pair{Run(call), ReadBytes(kept)};
  };
  const struct {
    const char* name;
    bool append;
    std::optional<rlim_t> limit;
    std::string out;
  } rows[] = {
      {"appended", true, std::nullopt, "kept\n"},
      {"replaced", false, std::nullopt, ""},
      {"a write failed", false, rlim_t{1} << 20, ""},
  };
  for (const auto& row : rows) {
    const auto [outcome, out] = run(failing, row.append, row.limit);
    EXPECT_TRUE(EndedWith(outcome, 0)) << row.name;
    EXPECT_NE(outcome.err.find("stopped at byte"), std::string::npos) << row.name;
    EXPECT_EQ(out, row.out) << row.name;
  }
  EXPECT_TRUE(EndedWith(run(whole, false, rlim_t{1} << 20).first, 1));
  EXPECT_EQ(run(whole, true, std::nullopt).second, "kept\n" + Convert({"10", whole}).out);

  const fs::path target = WriteBytes(Path("result.txt"), "old content");
  EXPECT_TRUE(EndedWith(Convert({"-o", target, "10", failing}), 0));
  EXPECT_EQ(ReadBytes(target), "");
}

}  // namespace
}  // namespace quillora::test
