// Faults that hostile inputs and fuzzing found, each kept fixed by the input that found it.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "app/command_line.h"
#include "hostile_inputs.h"
#include "io/atomic_file.h"
#include "support/process.h"

namespace quillora::test {
namespace {

std::string Write(const fs::path& path, std::string_view text) {
  return WriteFileAtomically(path,
                             {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}
std::ptrdiff_t Entries(const fs::path& folder) {
  return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

// Saving onto a device or a pipe once renamed a regular file over it: as root, an output of
// /dev/full replaced the device and reported success. A folder is refused, not filled.
TEST(atomic_file_regression_test, devices_and_pipes_are_written_into) {
  TempFolder temp;
  const fs::path pipe = temp.path / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadBytes(pipe); });
  EXPECT_EQ(Write(pipe, "through the pipe"), "");
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(pipe));

  fs::create_directory(temp.path / "folder");
  EXPECT_NE(Write(temp.path / "folder", "text").find("Is a directory"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(temp.path / "folder"));

  const fs::path full = temp.path / "full";
  const fs::path null = temp.path / "null";
  if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0 ||
      ::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "no right to make device nodes";
  }
  EXPECT_NE(Write(full, "text").find("No space left"), std::string::npos);
  EXPECT_EQ(Write(null, "text"), "");
  EXPECT_EQ(Write(null, ""), "");
  EXPECT_TRUE(fs::is_character_file(full) && fs::is_character_file(null));
  EXPECT_EQ(Entries(temp.path), 4) << "nothing may be left beside them";
}

// A linked output had the link replaced by a plain file while the file it named kept the old text.
TEST(atomic_file_regression_test, a_link_is_followed_and_kept) {
  TempFolder temp;
  fs::create_directory(temp.path / "real");
  WriteBytes(temp.path / "real" / "target.txt", "old");
  fs::create_symlink("real/target.txt", temp.path / "link.txt");
  fs::create_symlink("nowhere.txt", temp.path / "dangling.txt");
  EXPECT_EQ(Write(temp.path / "link.txt", "new"), "");
  EXPECT_TRUE(fs::is_symlink(temp.path / "link.txt"));
  EXPECT_EQ(ReadBytes(temp.path / "real" / "target.txt"), "new");
  EXPECT_EQ(Entries(temp.path / "real"), 1);
  EXPECT_EQ(Write(temp.path / "dangling.txt", "new"), "");
  EXPECT_EQ(ReadBytes(temp.path / "dangling.txt"), "new");
}

// The temporary file's name was the target's plus about 20 bytes, so a target name near the
// 255-byte limit (80 Japanese characters and ".txt" is 244) could not be saved at all.
TEST(atomic_file_regression_test, names_up_to_the_limit_can_be_written) {
  std::string japanese;
  for (int k = 0; k < 80; ++k) {
    japanese += "あ";
  }
  for (const std::string& name :
       {japanese + ".txt", std::string(255, 'n'), "x" + japanese + ".txt"}) {
    TempFolder temp;
    EXPECT_EQ(Write(temp.path / name, "text"), "") << name.size();
    EXPECT_EQ(ReadBytes(temp.path / name), "text") << name.size();
    EXPECT_EQ(Entries(temp.path), 1);
  }
}

// A file name holding a double quote cannot pass through the command-line text: "out a\"b.txt"
// came back as "out a", and the batch run wrote its result to that other file.
TEST(command_argv_regression_test, arguments_with_quotes_are_taken_whole) {
  const struct {
    std::vector<const char*> argv;
    const char16_t* file;
    const char16_t* output;
  } cases[] = {
      {{"quillora", "a\"quote.txt", "out a\"quote.txt"}, u"a\"quote.txt", u"out a\"quote.txt"},
      {{"quillora", "\"quoted\".txt", "out.txt"}, u"\"quoted\".txt", u"out.txt"},
      {{"quillora", "-d", "in.txt", "\"", "ignored"}, u"in.txt", u"\""},
      {{"quillora", "-D", "\"x y\""}, u"\"x y\"", u""},
      // Without a quote anywhere the text form stands, as before.
      {{"quillora", "-d", "/My Mail/a.txt", "b c.txt"}, u"/My Mail/a.txt", u"b c.txt"},
      {{"quillora", "-dx", "o.txt"}, u"-dx", u"o.txt"},
      {{"quillora"}, u"kept", u""},
  };
  for (const auto& c : cases) {
    AppState state;
    state.CommandFile = u"kept";
    ParseCommandArgv(static_cast<int>(c.argv.size()), c.argv.data(), state);
    EXPECT_EQ(state.CommandFile, c.file) << c.argv.back();
    EXPECT_EQ(state.CommandOutput.value_or(Text()), c.output) << c.argv.back();
  }
}

}  // namespace
}  // namespace quillora::test
