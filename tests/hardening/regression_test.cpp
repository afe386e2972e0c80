// Faults that hostile inputs and fuzzing found, each kept fixed by the input that found it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "convert/atomic_file.h"
#include "process.h"

namespace quillora::hardening {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Saving onto a device or a pipe once renamed a regular file over it: as root, an output of
// /dev/full replaced the device and reported success.
TEST(atomic_file_regression, devices_and_pipes_are_written_into) {
  TempFolder temp;
  const fs::path full = temp.path / "full";
  const fs::path null = temp.path / "null";
  if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0 ||
      ::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "no right to make device nodes";
  }
  EXPECT_NE(WriteFileAtomically(full.u16string(), Bytes("text")).find("No space left"),
            std::string::npos);
  EXPECT_EQ(WriteFileAtomically(null.u16string(), Bytes("text")), "");
  EXPECT_EQ(WriteFileAtomically(null.u16string(), {}), "");
  EXPECT_TRUE(fs::is_character_file(full));
  EXPECT_TRUE(fs::is_character_file(null));

  const fs::path pipe = temp.path / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile(pipe); });
  EXPECT_EQ(WriteFileAtomically(pipe.u16string(), Bytes("through the pipe")), "");
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(pipe));
  // Only what the device held: nothing was left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path), fs::directory_iterator()), 3);
}

// A linked output had the link replaced by a plain file while the file it named kept the old text.
TEST(atomic_file_regression, a_link_is_followed_and_kept) {
  TempFolder temp;
  fs::create_directory(temp.path / "real");
  WriteFile(temp.path / "real" / "target.txt", "old");
  fs::create_symlink("real/target.txt", temp.path / "link.txt");
  fs::create_symlink("nowhere.txt", temp.path / "dangling.txt");

  EXPECT_EQ(WriteFileAtomically((temp.path / "link.txt").u16string(), Bytes("new")), "");
  EXPECT_TRUE(fs::is_symlink(temp.path / "link.txt"));
  EXPECT_EQ(ReadFile(temp.path / "real" / "target.txt"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path / "real"), fs::directory_iterator()), 1);

  EXPECT_EQ(WriteFileAtomically((temp.path / "dangling.txt").u16string(), Bytes("new")), "");
  EXPECT_EQ(ReadFile(temp.path / "dangling.txt"), "new");
}

TEST(atomic_file_regression, a_folder_is_refused_and_left_alone) {
  TempFolder temp;
  const std::string reason = WriteFileAtomically(temp.path.u16string(), Bytes("text"));
  EXPECT_NE(reason.find("Is a directory"), std::string::npos) << reason;
  EXPECT_TRUE(fs::is_empty(temp.path));
}

// The temporary file's name was the target's plus about 20 bytes, so a target name near the
// 255-byte limit (80 Japanese characters and ".txt" is 244) could not be saved at all.
TEST(atomic_file_regression, names_up_to_the_limit_can_be_written) {
  std::string japanese;
  for (int k = 0; k < 80; ++k) {
    japanese += "\xE3\x81\x82";  // あ
  }
  const std::string names[] = {japanese + ".txt", std::string(255, 'n'), "x" + japanese + ".txt"};
  for (const std::string& name : names) {
    TempFolder temp;
    const fs::path target = temp.path / name;
    EXPECT_EQ(WriteFileAtomically(target.u16string(), Bytes("text")), "") << name.size();
    EXPECT_EQ(ReadFile(target), "text") << name.size();
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path), fs::directory_iterator()), 1);
  }
}

// A file name holding a double quote cannot pass through the command-line text: "out a\"b.txt"
// came back as "out a", and the batch run wrote its result to that other file.
TEST(command_argv_regression, arguments_with_quotes_are_taken_whole) {
  struct Case {
    std::vector<const char*> argv;
    const char16_t* file;
    const char16_t* output;
  };
  const Case cases[] = {
      {{"quillora", "a\"quote.txt", "out a\"quote.txt"}, u"a\"quote.txt", u"out a\"quote.txt"},
      {{"quillora", "\"quoted\".txt", "out.txt"}, u"\"quoted\".txt", u"out.txt"},
      {{"quillora", "-d", "in.txt", "\"", "ignored"}, u"in.txt", u"\""},
      {{"quillora", "-D", "\"x y\""}, u"\"x y\"", u""},
      // Without a quote anywhere the text form stands, as before.
      {{"quillora", "-d", "/My Mail/a.txt", "b c.txt"}, u"/My Mail/a.txt", u"b c.txt"},
      {{"quillora", "-dx", "o.txt"}, u"-dx", u"o.txt"},
  };
  for (const Case& c : cases) {
    AppState state;
    ParseCommandArgv(static_cast<int>(c.argv.size()), c.argv.data(), state);
    EXPECT_EQ(state.CommandFile, c.file) << c.argv[1];
    EXPECT_EQ(state.CommandOutput, c.output) << c.argv[1];
  }
  AppState state;
  state.CommandFile = u"kept";
  const char* alone[] = {"quillora"};
  ParseCommandArgv(1, alone, state);
  EXPECT_EQ(state.CommandFile, u"kept");
}

}  // namespace
}  // namespace quillora::hardening
