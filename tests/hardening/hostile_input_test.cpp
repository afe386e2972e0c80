// The hostile-input matrix, run as processes: quillora-convert and the quillora batch run given
// empty, unreadable, vanishing, huge, binary and oddly named files, and outputs that cannot be
// written. Nothing may crash, hang, write a wrong file or report a failure as success.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdlib>

#include "process.h"

namespace quillora::hardening {
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

// Status 1, and one line on standard error that says why.
::testing::AssertionResult FailedWithAMessage(const Outcome& outcome) {
  const std::string& err = outcome.err;
  if (!EndedWith(outcome, 1) || err.empty() || err.find('\n') != err.size() - 1) {
    return ::testing::AssertionFailure()
           << EndedWith(outcome, 1).message() << "; standard error \"" << err << "\"";
  }
  return ::testing::AssertionSuccess();
}

std::string Sample(const char* name) {
  return ReadBytes(fs::path(QUILLORA_SAMPLES_DIR) / name);
}

using HostileInput = Processes;

TEST_F(HostileInput, AnInputThatCannotBeReadFailsWithAMessage) {
  fs::create_directory(Path("folder"));
  fs::create_symlink(Path("nowhere"), Path("dangling"));
  // A Shift_JIS file name, as old mail archives have them: not UTF-8, so the engine cannot name it.
  const std::string sjis_name = "\x83\x81\x81\x5B\x83\x8B.txt";
  WriteBytes(Path(sjis_name), Sample("jis_mail.txt"));
  for (const std::string input : {"missing.txt", "folder", "dangling", sjis_name.c_str()}) {
    const Outcome converted = Convert({"1", Path(input)});
    EXPECT_TRUE(FailedWithAMessage(converted)) << input;
    EXPECT_EQ(converted.out, "") << input;
#ifdef QUILLORA_EXE
    const Outcome batch = Batch({Path(input), Path("out.txt")});
    EXPECT_TRUE(FailedWithAMessage(batch)) << input;
    EXPECT_FALSE(fs::exists(Path("out.txt"))) << input;
#endif
  }
}

TEST_F(HostileInput, AFileThatVanishesAfterOpeningIsStillReadWhole) {
  WriteBytes(Path("mail.txt"), LargeJis(100000));
  const std::string expected = Reference(1, Path("mail.txt"));
  for (const bool truncate : {false, true}) {
    WriteBytes(Path("mail.txt"), LargeJis(100000));
    Watch watch(Path("mail.txt"), IN_OPEN);
    Child child(ConvertCall({"1", "mail.txt"}));
    ASSERT_TRUE(watch.WaitFor(IN_OPEN, std::chrono::seconds(60)));
    truncate ? fs::resize_file(Path("mail.txt"), 1000) : (void)fs::remove(Path("mail.txt"));
    const Outcome outcome = Finish(child, std::chrono::seconds(300));
    EXPECT_TRUE(EndedWith(outcome, 0)) << truncate;
    EXPECT_TRUE(truncate || outcome.out == expected);  // an open file outlives its name
  }
}

#ifdef QUILLORA_EXE
// The batch run reads its input twice: to show it, and again to decode it. When it has vanished in
// between, the run must fail rather than save the undecoded source as if it were the result.
TEST_F(HostileInput, ABatchInputThatVanishesBeforeDecodingFails) {
  const std::string mail = LargeJis(60000);
  WriteBytes(Path("mail.txt"), mail);
  const std::string expected = Reference(1, Path("mail.txt"));
  int won = 0;
  for (int attempt = 0; attempt < 5 && won == 0; ++attempt) {
    WriteBytes(Path("mail.txt"), mail);
    fs::remove(Path("out.txt"));
    Watch watch(Path("mail.txt"), IN_OPEN | IN_CLOSE_NOWRITE);
    Child child(BatchCall({Path("mail.txt"), Path("out.txt")}));
    ASSERT_TRUE(watch.WaitFor(IN_CLOSE_NOWRITE, std::chrono::seconds(120)));
    child.Kill(SIGSTOP);
    // The race is lost when the second open already happened.
    bool reopened = false;
    while (const auto event = watch.Next(std::chrono::milliseconds(200))) {
      reopened = reopened || (*event & IN_OPEN) != 0;
    }
    if (!reopened) {
      fs::remove(Path("mail.txt"));
    }
    child.Kill(SIGCONT);
    const Outcome outcome = Finish(child, std::chrono::seconds(300));
    if (reopened) {
      EXPECT_TRUE(EndedWith(outcome, 0));
      EXPECT_TRUE(ReadBytes(Path("out.txt")) == expected);
    } else {
      ++won;
      EXPECT_TRUE(FailedWithAMessage(outcome));
      EXPECT_FALSE(fs::exists(Path("out.txt")));
    }
  }
  EXPECT_EQ(won, 1) << "the input was never removed in time";
}
#endif

// Random bytes, 32 MB unless QUILLORA_RANDOM_MB says otherwise (the "large" ctest runs 512).
std::size_t RandomInputBytes() {
  const char* megabytes = std::getenv("QUILLORA_RANDOM_MB");
  return std::size_t{megabytes == nullptr ? 32 : std::stoul(megabytes)} << 20;
}

// Linear in the input: no mode holds more than a dozen copies of it at once.
long PeakBoundKib(std::size_t input_bytes) {
  const long bound = static_cast<long>(12 * input_bytes / 1024) + 96 * 1024;
  return kSanitized ? 3 * bound + 1024 * 1024 : bound;
}

using RandomInput = Processes;

// With memory enough, bounded memory; under a 160 MB address-space limit (not with the sanitizer,
// whose shadow memory does not fit one), a status and a reason, never a signal.
TEST_F(RandomInput, EveryModeEndsWithBoundedMemoryOrAMessage) {
  const std::size_t size = RandomInputBytes();
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
    EXPECT_TRUE(EndedWith(outcome, 0)) << "decode type " << type;
    EXPECT_TRUE(fs::exists(Path("out.bin"))) << "decode type " << type;
    EXPECT_LE(outcome.ended.peak_kib, PeakBoundKib(size)) << "decode type " << type;
    RecordProperty("peak_mib_decode_type_" + std::to_string(type),
                   std::to_string(outcome.ended.peak_kib / 1024));
    fs::remove(Path("out.bin"));
  }
#endif
}

TEST_F(HostileInput, EmptyFilesLongLinesAndNulBytesConvertInEveryMode) {
  constexpr std::size_t kLong = 1u << 20;
  std::string uuencoded = "begin 644 a.bin\nM" + std::string(kLong, '!') + "\n`\nend\n";
  std::string base64 = "Content-Transfer-Encoding: base64\r\n\r\n";
  std::string kanji = "\x1B$B";
  for (std::size_t k = 0; k < kLong / 4; ++k) {
    base64 += "gqCC";
    kanji += "0!0!";
  }
  const struct {
    const char* name;
    std::string bytes;
    std::vector<int> modes_that_keep_it;  // the output is the input
  } shapes[] = {
      {"empty", "", {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}},
      // NUL is an ordinary character: mode 1 without kanji, EUC and non-UTF-16 keep it.
      {"NUL bytes", std::string(kLong, '\0'), {1, 8, 11}},
      {"one line without a line end", std::string(kLong, 'A'), {}},
      {"line ends only, LF", std::string(kLong, '\n'), {}},
      {"line ends only, CR", std::string(kLong, '\r'), {}},
      {"one JIS line of kanji, never shifted out", kanji, {}},
      {"a Base64 body on one line", base64, {}},
      {"a uuencoded line far too long", uuencoded, {}},
      {"escapes only", std::string(kLong / 3, '\x1B') + std::string(kLong / 3, '$'), {}},
      {"a UTF-16 byte-order mark and an odd byte", "\xFF\xFE" + std::string(kLong + 1, 'x'), {}},
  };
  for (const auto& shape : shapes) {
    WriteBytes(Path("shape.bin"), shape.bytes);
    std::map<int, std::string> printed;  // by mode, without the option
    for (const ModeCase& c : kModeCases) {
      const Outcome outcome = Convert(ModeArguments(c, "shape.bin"), std::chrono::seconds(600));
      EXPECT_TRUE(EndedWith(outcome, 0)) << shape.name << ", " << Describe(c);
      EXPECT_EQ(outcome.err, "") << shape.name << ", " << Describe(c);
      const auto& keep = shape.modes_that_keep_it;
      if (std::find(keep.begin(), keep.end(), c.mode) != keep.end()) {
        EXPECT_TRUE(outcome.out == shape.bytes) << shape.name << ", " << Describe(c);
      }
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
      EXPECT_TRUE(EndedWith(batch, 0)) << shape.name << ", decode type " << type;
      EXPECT_TRUE(ReadBytes(Path("out.bin")) == printed[kModeOfDecodeType[type]])
          << shape.name << ", decode type " << type;
    }
#endif
  }
}

TEST_F(HostileInput, OddFileNamesAreTakenAsTheyAre) {
  // Names a shell or a command-line parser could take for something else.
  const std::string names[] = {
      "with blank.txt", "メール 添付.txt", "-leading-dash.txt", "(1) paren.txt", " leading blank",
      "trailing blank ", "tab\there.txt", "back\\slash.txt", "-d", "a\"quote.txt", "\"quoted\".txt",
      "semi;colon & amp.txt",
      // 244 bytes, the output 250: near the 255-byte limit of a name.
      "ああああああああああああああああああああああああああああああああああああああああ"
      "ああああああああああああああああああああああああああああああああああああああああ.txt"};
  const std::string mail = Sample("jis_mail.txt");
  WriteBytes(Path("plain.txt"), mail);
  const std::string expected = Reference(1, Path("plain.txt"));
  for (const std::string& name : names) {
    const std::string output = "(out) " + name;
    WriteBytes(Path(name), mail);
    // "--" ends the options, so that a name with a leading "-" is a file.
    EXPECT_TRUE(EndedWith(Convert({"-o", output, "1", "--", name}), 0)) << name;
    EXPECT_TRUE(ReadBytes(Path(output)) == expected) << name;
    if (name.front() != '-') {
      const Outcome plain = Convert({"1", name});
      EXPECT_TRUE(EndedWith(plain, 0)) << name;
      EXPECT_TRUE(plain.out == expected) << name;
    }
#ifdef QUILLORA_EXE
    // Relative names beside the input, and absolute ones; "-d" as a name needs the switch first.
    for (const bool absolute : {false, true}) {
      fs::remove(Path(output));
      std::vector<std::string> arguments{absolute ? Path(name).string() : name,
                                         absolute ? Path(output).string() : output};
      if (name == "-d") {
        arguments.insert(arguments.begin(), "-d");
      }
      EXPECT_TRUE(EndedWith(Batch(arguments), 0)) << name << ", " << absolute;
      EXPECT_TRUE(ReadBytes(Path(output)) == expected) << name << ", " << absolute;
    }
#endif
    fs::remove(Path(name));
    fs::remove(Path(output));
  }
  // Nothing was written under another name.
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(temp_.path)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".io", "plain.txt"}));
}

// A device node of this test's own, so that no test ever writes to the real /dev.
std::optional<fs::path> MakeDevice(const fs::path& path, unsigned minor) {
  if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0) {
    return path;
  }
  // Without the right to make one, /dev is not writable either, so nothing there can be replaced.
  if (::geteuid() != 0) {
    return fs::path(minor == 7 ? "/dev/full" : "/dev/null");
  }
  return std::nullopt;
}

// Outputs that are not a new plain file: refused with a message, or written into (a device, a
// pipe, the input itself, a link to it), never replaced by a file.
TEST_F(HostileInput, OddOutputsAreWrittenIntoOrRefusedWithAMessage) {
  const std::string mail = Sample("jis_mail.txt");
  WriteBytes(Path("mail.txt"), mail);
  const std::string expected = Reference(1, Path("mail.txt"));
  fs::create_directory(Path("folder"));
  fs::create_symlink("mail.txt", Path("link.txt"));
  std::vector<std::pair<std::string, int>> outputs{
      {Path("missing") / "out.txt", 1},
      {Path("folder"), 1},
      {Path("mail.txt"), 0},
      {"mail.txt", 0},  // for the batch run, a bare name lands beside the input
      {Path("link.txt"), 0}};
  const std::optional<fs::path> full = MakeDevice(Path("full"), 7);
  const std::optional<fs::path> null = MakeDevice(Path("null"), 3);
  if (full && null) {
    outputs.insert(outputs.end(), {{*full, 1}, {*null, 0}});
  }
  for (const auto& [output, status] : outputs) {
    std::vector<Outcome> runs;
    WriteBytes(Path("mail.txt"), mail);
    runs.push_back(Convert({"-o", output, "1", "mail.txt"}));
#ifdef QUILLORA_EXE
    const std::string converted = ReadBytes(Path("mail.txt"));
    WriteBytes(Path("mail.txt"), mail);
    runs.push_back(Batch({Path("mail.txt"), output}));
#endif
    for (const Outcome& run : runs) {
      EXPECT_TRUE(status == 0 ? EndedWith(run, 0) : FailedWithAMessage(run)) << output;
    }
    if (status == 0 && !fs::is_character_file(output)) {
      EXPECT_TRUE(ReadBytes(Path("mail.txt")) == expected) << output;
#ifdef QUILLORA_EXE
      EXPECT_TRUE(converted == expected) << output;
#endif
    }
  }
  EXPECT_FALSE(fs::exists(Path("missing")));
  EXPECT_TRUE(fs::is_empty(Path("folder")));
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_TRUE(!full || (fs::is_character_file(*full) && fs::is_character_file(*null)));

  Invocation to_full = ConvertCall({"1", "mail.txt"});
  to_full.out = "/dev/full";
  const Outcome standard_output = Run(to_full);
  EXPECT_TRUE(FailedWithAMessage(standard_output));

  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadBytes(Path("pipe")); });
  const Outcome piped = Convert({"-o", Path("pipe"), "1", "mail.txt"});
  reader.join();
  EXPECT_TRUE(EndedWith(piped, 0));
  EXPECT_TRUE(received == expected);
  EXPECT_TRUE(fs::is_fifo(Path("pipe")));
}

}  // namespace
}  // namespace quillora::hardening
