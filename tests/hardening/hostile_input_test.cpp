// Hostile inputs, run as processes: quillora-convert and the quillora batch run given empty,
// unreadable, vanishing, huge, binary and oddly named files, and outputs that cannot be written.
// Nothing may crash, hang, write a wrong file or report a failure as success.
#include <cstdlib>

#include "hostile_inputs.h"
#include "support/process.h"

namespace quillora::test {
namespace {

// Every mode that converts, one that converts nothing, and the option for each.
struct ModeCase {
  int mode;
  int option;
};
constexpr ModeCase kModeCases[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1},  {5, 0}, {5, 1},
                                   {7, 0}, {7, 1}, {8, 0}, {9, 0}, {10, 0}, {11, 0}};
// The modes of the batch run's five decode types.
constexpr int kModeOfDecodeType[] = {1, 8, 10, 9, 11};

std::vector<std::string> ModeArguments(const ModeCase& c, const std::string& file) {
  return {"--option", std::to_string(c.option), std::to_string(c.mode), file};
}
std::string Describe(const ModeCase& c) {
  return "mode " + std::to_string(c.mode) + " option " + std::to_string(c.option);
}

using hostile_input_test = Processes;

TEST_F(hostile_input_test, an_input_that_cannot_be_read_fails_with_a_message) {
  fs::create_directory(Path("folder"));
  fs::create_symlink(Path("nowhere"), Path("dangling"));
  for (const std::string input : {"missing.txt", "folder", "dangling"}) {
    const Outcome converted = Convert({"1", Path(input)});
    EXPECT_TRUE(FailedWithAMessage(converted, input));
    EXPECT_EQ(converted.out, "") << input;
#ifdef QUILLORA_EXE
    EXPECT_TRUE(FailedWithAMessage(Batch({Path(input), Path("out.txt")}), input));
    EXPECT_FALSE(fs::exists(Path("out.txt"))) << input;
#endif
  }
}

#ifdef QUILLORA_EXE
// The batch run reads its input once: what it decodes is what it read, and a file that changes or
// vanishes afterwards cannot make it save anything else.
TEST_F(hostile_input_test, a_batch_run_opens_its_input_once) {
  WriteBytes(Path("mail.txt"), LargeJis(60000));
  const std::string expected = Reference(1, Path("mail.txt"));
  Watch watch(Path("mail.txt"), IN_OPEN);
  const Outcome outcome = Batch({Path("mail.txt"), Path("out.txt")});
  EXPECT_TRUE(EndedWith(outcome, 0)) << outcome.err;
  EXPECT_EQ(watch.Until(0, std::chrono::milliseconds(200)).size(), 1U);
  EXPECT_TRUE(ReadBytes(Path("out.txt")) == expected);
}
#endif

// Linear in the input: no mode needs more than four times the input and 100 MB.
long PeakBoundKib(std::size_t input_bytes) {
  const long bound = static_cast<long>(4 * input_bytes / 1024) + 100L * 1024;
  return kSanitized ? 3 * bound + 1024L * 1024 : bound;
}

using random_input_test = Processes;

// Random bytes, 32 MB unless QUILLORA_RANDOM_MB says otherwise (the "large" ctest runs 512). With
// memory enough, bounded memory; under a 160 MB address-space limit (not with the sanitizer, whose
// shadow memory does not fit one), a status and a reason, never a signal.
TEST_F(random_input_test, every_mode_ends_with_bounded_memory_or_a_message) {
  const char* megabytes = std::getenv("QUILLORA_RANDOM_MB");
  const std::size_t size = std::size_t{megabytes == nullptr ? 32 : std::stoul(megabytes)} << 20;
  WriteBytes(Path("random.bin"), RandomBytes(size, 20260406));
  for (const ModeCase& c : kModeCases) {
    std::vector<std::string> arguments = ModeArguments(c, "random.bin");
    arguments.insert(arguments.begin(), {"-o", "/dev/null"});
    const Outcome outcome = Convert(arguments, std::chrono::seconds(1200));
    EXPECT_TRUE(EndedWith(outcome, 0)) << Describe(c);
    EXPECT_LE(outcome.ended.peak_kib, PeakBoundKib(size)) << Describe(c);
    RecordProperty("peak_mib_" + Describe(c), std::to_string(outcome.ended.peak_kib / 1024));
    if (!kSanitized) {
      Invocation call = ConvertCall(arguments);
      call.address_space = 160u << 20;
      const Outcome limited = Run(call, std::chrono::seconds(1200));
      EXPECT_TRUE(limited.ended.status == 0 ? EndedWith(limited, 0) : FailedWithAMessage(limited))
          << Describe(c);
    }
  }
#ifdef QUILLORA_EXE
  for (int type = 0; type < 5; ++type) {
    const Outcome outcome =
        Batch({Path("random.bin"), Path("out.bin")}, type, std::chrono::seconds(1200));
    EXPECT_TRUE(EndedWith(outcome, 0) && fs::exists(Path("out.bin"))) << "decode type " << type;
    EXPECT_LE(outcome.ended.peak_kib, PeakBoundKib(size)) << "decode type " << type;
    RecordProperty("peak_mib_decode_type_" + std::to_string(type),
                   std::to_string(outcome.ended.peak_kib / 1024));
    fs::remove(Path("out.bin"));
  }
#endif
}

TEST_F(hostile_input_test, empty_files_long_lines_and_nul_bytes_convert_in_every_mode) {
  constexpr std::size_t kLong = 1u << 20;
  std::string base64 = "Content-Transfer-Encoding: base64\r\n\r\n";
  std::string kanji = "\x1B$B";
  for (std::size_t k = 0; k < kLong / 4; ++k) {
    base64 += "gqCC";
    kanji += "0!0!";
  }
  // What each mode makes of them is the front door's (front_door_test): here, that every run ends
  // well and the batch run writes what quillora-convert prints.
  const struct {
    const char* name;
    std::string bytes;
  } shapes[] = {
      {"empty", ""},
      {"NUL bytes", std::string(kLong, '\0')},
      {"one JIS line of kanji, never shifted out", kanji},
      {"a Base64 body on one line", base64},
      {"a uuencoded line far too long", "begin 644 a\nM" + std::string(kLong, '!') + "\n`\nend\n"},
      {"a UTF-16 byte-order mark and an odd byte", "\xFF\xFE" + std::string(kLong + 1, 'x')},
  };
  for (const auto& shape : shapes) {
    WriteBytes(Path("shape.bin"), shape.bytes);
    std::map<int, std::string> printed;  // by mode, without the option
    for (const ModeCase& c : kModeCases) {
      const Outcome outcome = Convert(ModeArguments(c, "shape.bin"), std::chrono::seconds(600));
      EXPECT_TRUE(EndedWith(outcome, 0) && outcome.err.empty())
          << shape.name << ", " << Describe(c);
      if (c.option == 0) {
        printed[c.mode] = outcome.out;
      }
    }
#ifdef QUILLORA_EXE
    // The batch run writes what quillora-convert prints, whatever the decode type.
    for (int type = 0; type < 5; ++type) {
      fs::remove(Path("out.bin"));
      const Outcome batch =
          Batch({Path("shape.bin"), Path("out.bin")}, type, std::chrono::seconds(600));
      EXPECT_TRUE(EndedWith(batch, 0) && batch.err.empty() && batch.out.empty())
          << shape.name << ", decode type " << type;
      EXPECT_TRUE(ReadBytes(Path("out.bin")) == printed[kModeOfDecodeType[type]])
          << shape.name << ", decode type " << type;
    }
#endif
  }
}

// Names a shell or a command-line parser could take for something else, and names that are not
// UTF-8 (Shift_JIS names of old mail archives, a lone 0xFF) beside what a lossy reading would make
// of them. A double quote once made the batch run write "out a" for "out a\"quote.txt".
TEST_F(hostile_input_test, odd_file_names_are_taken_as_their_bytes) {
  const std::string names[] = {
      "メール 添付.txt", "-leading-dash.txt",    "trailing blank ",          "-d",
      "a\"quote.txt",    "semi;colon & amp.txt", "\x83\x81\x81\x5B\x83\x8B", "\xFF"};
  // Names near the length limit: atomic_file_regression_test.
  const std::string mail = ReadBytes(SamplePath("jis_mail.txt"));
  const std::string expected = Reference(1, SamplePath("jis_mail.txt"));
  WriteBytes(Path("\xEF\xBF\xBD"), "not this one");  // U+FFFD
  WriteBytes(Path("(out) \xEF\xBF\xBD"), "keep me");
  for (const std::string& name : names) {
    const std::string output = "(out) " + name;
    WriteBytes(Path(name), mail);
    // "--" ends the options, so that a name with a leading "-" is a file.
    EXPECT_TRUE(EndedWith(Convert({"-o", output, "1", "--", name}), 0)) << name;
    EXPECT_TRUE(ReadBytes(Path(output)) == expected) << name;
#ifdef QUILLORA_EXE
    fs::remove(Path(output));
    std::vector<std::string> arguments{name, output};
    if (name == "-d") {
      arguments.insert(arguments.begin(), "-d");  // "-d" as a name needs the switch first
    }
    EXPECT_TRUE(EndedWith(Batch(arguments), 0)) << name;
    EXPECT_TRUE(ReadBytes(Path(output)) == expected) << name;
#endif
    fs::remove(Path(name));
    fs::remove(Path(output));
  }
  EXPECT_EQ(Listing().size(), 2U) << "nothing under another name";
  EXPECT_EQ(ReadBytes(Path("(out) \xEF\xBF\xBD")), "keep me");
}

// Outputs that are not a new plain file: refused with a message, or written into (the input
// itself, a link to it), never replaced by a file. Devices and pipes: atomic_file_regression_test.
TEST_F(hostile_input_test, odd_outputs_are_written_into_or_refused_with_a_message) {
  const std::string mail = ReadBytes(SamplePath("jis_mail.txt"));
  const std::string expected = Reference(1, SamplePath("jis_mail.txt"));
  fs::create_directory(Path("folder"));
  fs::create_symlink("mail.txt", Path("link.txt"));
  const std::pair<std::string, int> outputs[] = {
      {Path("missing") / "out.txt", 1},
      {Path("folder"), 1},
      {Path("mail.txt"), 0},
      {"mail.txt", 0},  // for the batch run, a bare name lands beside the input
      {Path("link.txt"), 0}};
  for (const auto& [output, status] : outputs) {
    WriteBytes(Path("mail.txt"), mail);
    const Outcome converted = Convert({"-o", output, "1", "mail.txt"});
    const std::string named = fs::path(output).filename();
    EXPECT_TRUE(status == 0 ? EndedWith(converted, 0) : FailedWithAMessage(converted, named))
        << output;
    EXPECT_TRUE(ReadBytes(Path("mail.txt")) == (status == 0 ? expected : mail)) << output;
#ifdef QUILLORA_EXE
    WriteBytes(Path("mail.txt"), mail);
    const Outcome batch = Batch({Path("mail.txt"), output});
    EXPECT_TRUE(status == 0 ? EndedWith(batch, 0) : FailedWithAMessage(batch, named)) << output;
    EXPECT_TRUE(ReadBytes(Path("mail.txt")) == (status == 0 ? expected : mail)) << output;
#endif
  }
  EXPECT_FALSE(fs::exists(Path("missing")));
  EXPECT_TRUE(fs::is_empty(Path("folder")));
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
}

}  // namespace
}  // namespace quillora::test
