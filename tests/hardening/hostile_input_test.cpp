// The hostile-input matrix, run as processes: quillora-convert and the quillora batch run given
// empty, unreadable, vanishing, huge, binary and oddly named files, and outputs that cannot be
// written. Nothing may crash, hang, write a wrong file or report a failure as success.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "inotify_watch.h"
#include "process.h"

namespace quillora::hardening {
namespace {

const fs::path kSamples = QUILLORA_SAMPLES_DIR;

// Every mode that converts, one that converts nothing, and the option for each.
struct ModeCase {
  int mode;
  int option;
};
constexpr ModeCase kModeCases[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1},  {5, 0}, {5, 1},
                                   {7, 0}, {7, 1}, {8, 0}, {9, 0}, {10, 0}, {11, 0}};

std::string Describe(const ModeCase& c) {
  return "mode " + std::to_string(c.mode) + " option " + std::to_string(c.option);
}

struct Outcome {
  Ended ended;
  std::string out;
  std::string err;
};

class Processes : public testing::Test {
 protected:
  Processes() { fs::create_directory(io_); }

  [[nodiscard]] fs::path Path(const std::string& name) const { return temp_.path / name; }

  Outcome Finish(Child& child, std::chrono::duration<double> deadline) const {
    Outcome outcome{child.Wait(deadline), ReadFile(io_ / "out"), ReadFile(io_ / "err")};
    return outcome;
  }

  [[nodiscard]] Invocation ConvertCall(const std::vector<std::string>& arguments) const {
    Invocation call{QUILLORA_CONVERT_EXE, arguments};
    call.working_folder = temp_.path;
    call.out = io_ / "out";
    call.err = io_ / "err";
    return call;
  }

  Outcome Convert(const std::vector<std::string>& arguments,
                  std::chrono::duration<double> deadline = std::chrono::seconds(300)) const {
    Child child(ConvertCall(arguments));
    return Finish(child, deadline);
  }

  // What quillora-convert prints for a file: the reference the other runs are held to.
  std::string Reference(int mode, const fs::path& file) const {
    const Outcome outcome = Convert({std::to_string(mode), "--", file.string()});
    EXPECT_EQ(outcome.ended.status, 0) << outcome.err;
    return outcome.out;
  }

#ifdef QUILLORA_EXE
  // The batch run with its own settings file and registry, and no display.
  [[nodiscard]] Invocation BatchCall(const std::vector<std::string>& arguments, int decode_type,
                                     const fs::path& working_folder) const {
    WriteFile(io_ / "Quillora.ini",
              "[Option]\r\nDefaultDecodeType=" + std::to_string(decode_type) + "\r\n");
    Invocation call{QUILLORA_EXE, arguments};
    call.environment = {{"QUILLORA_SETTINGS", (io_ / "Quillora.ini").string()},
                        {"QUILLORA_REGISTRY", (io_ / "registry.sqlite3").string()},
                        {"QUILLORA_MACHINE_REGISTRY", (io_ / "machine.sqlite3").string()},
                        {"XDG_RUNTIME_DIR", io_.string()},
                        {"DISPLAY", std::nullopt},
                        {"WAYLAND_DISPLAY", std::nullopt},
                        {"QT_QPA_PLATFORM", std::nullopt}};
    call.working_folder = working_folder;
    call.out = io_ / "out";
    call.err = io_ / "err";
    return call;
  }

  Outcome Batch(const std::vector<std::string>& arguments, int decode_type = 0,
                const fs::path& working_folder = "/",
                std::chrono::duration<double> deadline = std::chrono::seconds(300)) const {
    Child child(BatchCall(arguments, decode_type, working_folder));
    return Finish(child, deadline);
  }
#endif

  TempFolder temp_;
  fs::path io_ = temp_.path / ".io";
};

std::string Sample(const char* name) {
  return ReadFile(kSamples / name);
}

// Ended normally with this status, not by a signal or the deadline.
testing::AssertionResult EndedWith(const Outcome& outcome, int status) {
  if (outcome.ended.timed_out) {
    return testing::AssertionFailure() << "still running at the deadline";
  }
  if (outcome.ended.signal != 0) {
    return testing::AssertionFailure() << "killed by signal " << outcome.ended.signal << "\n"
                                       << outcome.err;
  }
  if (outcome.ended.status != status) {
    return testing::AssertionFailure() << "status " << outcome.ended.status << "\n" << outcome.err;
  }
  return testing::AssertionSuccess();
}

// One line on standard error that says why.
testing::AssertionResult OneLineMessage(const Outcome& outcome) {
  const std::string& err = outcome.err;
  if (err.empty() || err.back() != '\n' || err.find('\n') != err.size() - 1) {
    return testing::AssertionFailure() << "standard error: \"" << err << "\"";
  }
  return testing::AssertionSuccess();
}

using HostileInput = Processes;

TEST_F(HostileInput, AnEmptyFileGivesEmptyOutputInEveryMode) {
  WriteFile(Path("empty.txt"), "");
  for (const ModeCase& c : kModeCases) {
    const Outcome outcome =
        Convert({"--option", std::to_string(c.option), std::to_string(c.mode), "empty.txt"});
    EXPECT_TRUE(EndedWith(outcome, 0)) << Describe(c);
    EXPECT_EQ(outcome.out, "") << Describe(c);
    EXPECT_EQ(outcome.err, "") << Describe(c);
  }
#ifdef QUILLORA_EXE
  for (int type = 0; type < 5; ++type) {
    fs::remove(Path("out.txt"));
    const Outcome outcome = Batch({Path("empty.txt"), Path("out.txt")}, type);
    EXPECT_TRUE(EndedWith(outcome, 0)) << "decode type " << type;
    EXPECT_TRUE(fs::exists(Path("out.txt"))) << "decode type " << type;
    EXPECT_EQ(ReadFile(Path("out.txt")), "") << "decode type " << type;
  }
#endif
}

TEST_F(HostileInput, AnInputThatCannotBeReadFailsWithAMessage) {
  fs::create_directory(Path("folder"));
  fs::create_symlink(Path("nowhere"), Path("dangling"));
  // A Shift_JIS file name, as old mail archives have them: not UTF-8, so the engine cannot name it.
  const std::string sjis_name = "\x83\x81\x81\x5B\x83\x8B.txt";
  WriteFile(Path(sjis_name), Sample("jis_mail.txt"));
  const std::string inputs[] = {Path("missing.txt"), Path("folder"), Path("dangling"),
                                Path(sjis_name)};
  for (const std::string& input : inputs) {
    const Outcome converted = Convert({"1", input});
    EXPECT_TRUE(EndedWith(converted, 1)) << input;
    EXPECT_TRUE(OneLineMessage(converted)) << input;
    EXPECT_EQ(converted.out, "") << input;
#ifdef QUILLORA_EXE
    const Outcome batch = Batch({input, Path("out.txt")});
    EXPECT_TRUE(EndedWith(batch, 1)) << input;
    EXPECT_TRUE(OneLineMessage(batch)) << input;
    EXPECT_FALSE(fs::exists(Path("out.txt"))) << input;
#endif
  }
}

// A large JIS file: long enough to take a while to read, show and convert.
std::string LargeJis(std::size_t lines) {
  const std::string line = "\x1B$B$3$s$K$A$O!#\x1B(B Hello, JIS mail text.\r\n";
  std::string text;
  text.reserve(line.size() * lines);
  for (std::size_t k = 0; k < lines; ++k) {
    text += line;
  }
  return text;
}

TEST_F(HostileInput, AFileThatVanishesAfterOpeningIsStillReadWhole) {
  WriteFile(Path("mail.txt"), LargeJis(100000));
  const std::string expected = Reference(1, Path("mail.txt"));
  for (const bool truncate : {false, true}) {
    WriteFile(Path("mail.txt"), LargeJis(100000));
    Watch watch(Path("mail.txt"), IN_OPEN);
    Child child(ConvertCall({"1", "mail.txt"}));
    ASSERT_TRUE(watch.WaitFor(IN_OPEN, std::chrono::seconds(60)));
    if (truncate) {
      fs::resize_file(Path("mail.txt"), 1000);
    } else {
      fs::remove(Path("mail.txt"));
    }
    const Outcome outcome = Finish(child, std::chrono::seconds(300));
    EXPECT_TRUE(EndedWith(outcome, 0)) << truncate;
    if (!truncate) {
      EXPECT_TRUE(outcome.out == expected);  // an open file outlives its name
    }
  }
}

#ifdef QUILLORA_EXE
// The batch run reads its input twice: to show it, and again to decode it. When it has vanished in
// between, the run must fail rather than save the undecoded source as if it were the result.
TEST_F(HostileInput, ABatchInputThatVanishesBeforeDecodingFails) {
  const std::string mail = LargeJis(60000);
  WriteFile(Path("mail.txt"), mail);
  const std::string expected = Reference(1, Path("mail.txt"));
  int won = 0;
  for (int attempt = 0; attempt < 5 && won == 0; ++attempt) {
    WriteFile(Path("mail.txt"), mail);
    fs::remove(Path("out.txt"));
    Watch watch(Path("mail.txt"), IN_OPEN | IN_CLOSE_NOWRITE);
    Child child(BatchCall({Path("mail.txt"), Path("out.txt")}, 0, "/"));
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
      EXPECT_TRUE(ReadFile(Path("out.txt")) == expected);
      continue;
    }
    ++won;
    EXPECT_TRUE(EndedWith(outcome, 1));
    EXPECT_TRUE(OneLineMessage(outcome));
    EXPECT_FALSE(fs::exists(Path("out.txt")));
  }
  EXPECT_EQ(won, 1) << "the input was never removed in time";
}
#endif

// Random bytes, 32 MB unless QUILLORA_RANDOM_MB says otherwise (the "large" ctest runs 512).
std::size_t RandomInputBytes() {
  const char* megabytes = std::getenv("QUILLORA_RANDOM_MB");
  return std::size_t{megabytes == nullptr ? 32 : std::stoul(megabytes)} << 20;
}

void WriteRandom(const fs::path& file, std::size_t size) {
  std::mt19937_64 generator(20260406);
  std::string bytes(size, '\0');
  for (std::size_t k = 0; k + 8 <= size; k += 8) {
    const std::uint64_t word = generator();
    std::memcpy(bytes.data() + k, &word, 8);
  }
  WriteFile(file, bytes);
}

// Linear in the input: no mode holds more than a dozen copies of it at once.
long PeakBoundKib(std::size_t input_bytes) {
  const long bound = static_cast<long>(12 * input_bytes / 1024) + 96 * 1024;
  return kSanitized ? 3 * bound + 1024 * 1024 : bound;
}

using RandomInput = Processes;

TEST_F(RandomInput, EveryModeEndsWithBoundedMemory) {
  const std::size_t size = RandomInputBytes();
  WriteRandom(Path("random.bin"), size);
  for (const ModeCase& c : kModeCases) {
    const Outcome outcome = Convert({"--option", std::to_string(c.option), "-o", "/dev/null",
                                     std::to_string(c.mode), "random.bin"},
                                    std::chrono::seconds(1200));
    EXPECT_TRUE(EndedWith(outcome, 0)) << Describe(c);
    EXPECT_LE(outcome.ended.peak_kib, PeakBoundKib(size)) << Describe(c);
    RecordProperty("peak_mib_" + Describe(c), std::to_string(outcome.ended.peak_kib / 1024));
  }
#ifdef QUILLORA_EXE
  for (int type = 0; type < 5; ++type) {
    const Outcome outcome =
        Batch({Path("random.bin"), Path("out.bin")}, type, "/", std::chrono::seconds(1200));
    EXPECT_TRUE(EndedWith(outcome, 0)) << "decode type " << type;
    EXPECT_TRUE(fs::exists(Path("out.bin"))) << "decode type " << type;
    EXPECT_LE(outcome.ended.peak_kib, PeakBoundKib(size)) << "decode type " << type;
    RecordProperty("peak_mib_decode_type_" + std::to_string(type),
                   std::to_string(outcome.ended.peak_kib / 1024));
    fs::remove(Path("out.bin"));
  }
#endif
}

TEST_F(RandomInput, TooLittleMemoryEndsWithAMessage) {
  if (kSanitized) {
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit an address-space limit";
  }
  const std::size_t size = RandomInputBytes();
  WriteRandom(Path("random.bin"), size);
  for (const ModeCase& c : kModeCases) {
    Invocation call =
        ConvertCall({"--option", std::to_string(c.option), std::to_string(c.mode), "random.bin"});
    call.address_space = 160u << 20;
    Child child(call);
    const Outcome outcome = Finish(child, std::chrono::seconds(1200));
    ASSERT_FALSE(outcome.ended.timed_out) << Describe(c);
    EXPECT_EQ(outcome.ended.signal, 0) << Describe(c) << outcome.err;
    // Too large to read in, or to convert: either way a status and a reason.
    if (outcome.ended.status != 0) {
      EXPECT_TRUE(EndedWith(outcome, 1)) << Describe(c);
      EXPECT_TRUE(OneLineMessage(outcome)) << Describe(c);
      EXPECT_EQ(outcome.out, "") << Describe(c);
    }
  }
}

struct ShapeCase {
  const char* name;
  std::string bytes;
};

std::vector<ShapeCase> Shapes() {
  constexpr std::size_t kLong = 1u << 20;
  std::string uuencoded = "begin 644 a.bin\n" + std::string(1, 'M');
  uuencoded.append(kLong, '!');
  uuencoded += "\n`\nend\n";
  std::string base64 = "Content-Transfer-Encoding: base64\r\n\r\n";
  for (std::size_t k = 0; k < kLong / 4; ++k) {
    base64 += "gqCC";
  }
  std::string kanji = "\x1B$B";
  for (std::size_t k = 0; k < kLong / 2; ++k) {
    kanji += "0!";
  }
  return {
      {"one line without a line end", std::string(kLong, 'A')},
      {"NUL bytes", std::string(1u << 20, '\0')},
      {"line ends only, LF", std::string(kLong, '\n')},
      {"line ends only, CR", std::string(kLong, '\r')},
      {"one JIS line of kanji, never shifted out", kanji},
      {"a Base64 body on one line", base64},
      {"a uuencoded line far too long", uuencoded},
      {"escapes only", std::string(kLong / 3, '\x1B') + std::string(kLong / 3, '$')},
      {"a UTF-16 byte-order mark and an odd byte",
       std::string("\xFF\xFE") + std::string(kLong + 1, 'x')},
  };
}

TEST_F(HostileInput, LongLinesAndNulBytesConvertInEveryMode) {
  for (const ShapeCase& shape : Shapes()) {
    WriteFile(Path("shape.bin"), shape.bytes);
    for (const ModeCase& c : kModeCases) {
      const Outcome outcome =
          Convert({"--option", std::to_string(c.option), std::to_string(c.mode), "shape.bin"},
                  std::chrono::seconds(600));
      EXPECT_TRUE(EndedWith(outcome, 0)) << shape.name << ", " << Describe(c);
      EXPECT_EQ(outcome.err, "") << shape.name << ", " << Describe(c);
      // NUL is an ordinary character: mode 1 without kanji, EUC and non-UTF-16 keep it.
      if (std::string_view(shape.name) == "NUL bytes" &&
          (c.mode == 1 || c.mode == 8 || c.mode == 11)) {
        EXPECT_TRUE(outcome.out == shape.bytes) << Describe(c);
      }
    }
#ifdef QUILLORA_EXE
    const Outcome batch =
        Batch({Path("shape.bin"), Path("out.bin")}, 0, "/", std::chrono::seconds(600));
    EXPECT_TRUE(EndedWith(batch, 0)) << shape.name;
    EXPECT_TRUE(ReadFile(Path("out.bin")) == Reference(1, Path("shape.bin"))) << shape.name;
#endif
  }
}

// Names a shell or a command-line parser could take for something else.
const char* const kOddNames[] = {
    "with blank.txt",
    "メール 添付.txt",
    "-leading-dash.txt",
    "(1) paren.txt",
    " leading blank",
    "trailing blank ",
    "tab\there.txt",
    "back\\slash.txt",
    "-d",
    "a\"quote.txt",
    "\"quoted\".txt",
    "semi;colon & amp.txt",
    // 244 bytes, the output 250: near the 255-byte limit of a name.
    "ああああああああああああああああああああああああああああああああああああああああ"
    "ああああああああああああああああああああああああああああああああああああああああ.txt",
};

TEST_F(HostileInput, OddFileNamesAreTakenAsTheyAre) {
  const std::string mail = Sample("jis_mail.txt");
  WriteFile(Path("plain.txt"), mail);
  const std::string expected = Reference(1, Path("plain.txt"));
  for (const std::string name : kOddNames) {
    const std::string output = "(out) " + name;
    WriteFile(Path(name), mail);
    fs::remove(Path(output));
    // "--" ends the options, so that a name with a leading "-" is a file.
    const Outcome converted = Convert({"-o", output, "1", "--", name});
    EXPECT_TRUE(EndedWith(converted, 0)) << name;
    EXPECT_TRUE(ReadFile(Path(output)) == expected) << name;
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
      const Outcome batch = Batch(arguments, 0, temp_.path);
      EXPECT_TRUE(EndedWith(batch, 0)) << name << (absolute ? ", absolute" : ", relative");
      EXPECT_TRUE(ReadFile(Path(output)) == expected)
          << name << (absolute ? ", absolute" : ", relative");
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

// A device node of this machine's own, so that no test ever writes to the real /dev.
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

TEST_F(HostileInput, AnOutputThatCannotBeWrittenFailsWithAMessage) {
  WriteFile(Path("mail.txt"), Sample("jis_mail.txt"));
  fs::create_directory(Path("folder"));
  std::vector<std::string> outputs{Path("missing") / "out.txt", Path("folder")};
  const std::optional<fs::path> full = MakeDevice(Path("full"), 7);
  if (full) {
    outputs.push_back(*full);
  }
  for (const std::string& output : outputs) {
    const Outcome converted = Convert({"-o", output, "1", "mail.txt"});
    EXPECT_TRUE(EndedWith(converted, 1)) << output;
    EXPECT_TRUE(OneLineMessage(converted)) << output;
#ifdef QUILLORA_EXE
    const Outcome batch = Batch({Path("mail.txt"), output});
    EXPECT_TRUE(EndedWith(batch, 1)) << output;
    EXPECT_TRUE(OneLineMessage(batch)) << output;
#endif
  }
  // A full device stays a device: writing into it fails, it is never replaced by a file.
  if (full) {
    EXPECT_TRUE(fs::is_character_file(*full));
  }
  EXPECT_FALSE(fs::exists(Path("missing")));
  EXPECT_TRUE(fs::is_empty(Path("folder")));

  // Standard output on a full device.
  Invocation call = ConvertCall({"1", "mail.txt"});
  call.out = "/dev/full";
  Child child(call);
  const Outcome to_full = Finish(child, std::chrono::seconds(120));
  EXPECT_TRUE(EndedWith(to_full, 1));
  EXPECT_TRUE(OneLineMessage(to_full));
}

TEST_F(HostileInput, DevicesAndPipesAreWrittenIntoNotReplaced) {
  WriteFile(Path("mail.txt"), Sample("jis_mail.txt"));
  const std::string expected = Reference(1, Path("mail.txt"));
  if (const std::optional<fs::path> null = MakeDevice(Path("null"), 3)) {
    EXPECT_TRUE(EndedWith(Convert({"-o", *null, "1", "mail.txt"}), 0));
#ifdef QUILLORA_EXE
    EXPECT_TRUE(EndedWith(Batch({Path("mail.txt"), *null}), 0));
#endif
    EXPECT_TRUE(fs::is_character_file(*null));
  }
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile(Path("pipe")); });
  const Outcome converted = Convert({"-o", Path("pipe"), "1", "mail.txt"});
  reader.join();
  EXPECT_TRUE(EndedWith(converted, 0));
  EXPECT_TRUE(received == expected);
  EXPECT_TRUE(fs::is_fifo(Path("pipe")));
}

TEST_F(HostileInput, AnOutputThatIsTheInputIsConvertedInPlace) {
  const std::string mail = Sample("jis_mail.txt");
  WriteFile(Path("mail.txt"), mail);
  const std::string expected = Reference(1, Path("mail.txt"));

  EXPECT_TRUE(EndedWith(Convert({"-o", "mail.txt", "1", "mail.txt"}), 0));
  EXPECT_TRUE(ReadFile(Path("mail.txt")) == expected);
#ifdef QUILLORA_EXE
  // Both by the same path and by a bare name, which lands beside the input.
  for (const std::string output : {Path("mail.txt").string(), std::string("mail.txt")}) {
    WriteFile(Path("mail.txt"), mail);
    EXPECT_TRUE(EndedWith(Batch({Path("mail.txt"), output}), 0)) << output;
    EXPECT_TRUE(ReadFile(Path("mail.txt")) == expected) << output;
  }
#endif
  // A linked output replaces the file the link names, and the link stays.
  WriteFile(Path("mail.txt"), mail);
  fs::create_symlink("mail.txt", Path("link.txt"));
  EXPECT_TRUE(EndedWith(Convert({"-o", "link.txt", "1", "mail.txt"}), 0));
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_TRUE(ReadFile(Path("mail.txt")) == expected);
}

}  // namespace
}  // namespace quillora::hardening
