// A process killed (SIGKILL) while it saves leaves the old file or the complete new one, never a
// torn one: quillora-convert -o, the batch run, and the settings file writer. A killed writer may
// leave its temporary file beside the output; it is named apart and never taken for it.
#include <algorithm>

#include "platform/ini_file.h"
#include "process.h"

namespace quillora::hardening {
namespace {

class CrashSafeSave : public Processes {
 protected:
  // Kills runs of `call` at times spread over the second half of an unkilled run, where the output
  // is written, and checks the output after each.
  void KillWhileSaving(const Invocation& call, const fs::path& output) {
    const std::string old_text = "old result\r\n";
    WriteBytes(output, old_text);
    const Ended whole = Run(call, Seconds(600)).ended;
    ASSERT_EQ(whole.status, 0);
    const std::string new_text = ReadBytes(output);
    ASSERT_NE(new_text, old_text);

    int old_seen = 0;
    for (int k = 0; k < 12; ++k) {
      WriteBytes(output, old_text);
      Child child(call);
      const double at = whole.seconds * (0.5 + 0.8 * k / 12);
      while (child.Running() && child.SecondsSinceStart() < at) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      child.Kill(SIGKILL);
      child.Wait(std::chrono::seconds(60));
      const std::string left = ReadBytes(output);
      EXPECT_TRUE(left == old_text || left == new_text)
          << "kill " << k << " at " << at << " s left " << left.size() << " bytes";
      old_seen += left == old_text ? 1 : 0;
    }
    RecordProperty("kills_that_left_the_old_file", old_seen);
  }
};

TEST_F(CrashSafeSave, ConvertOutputIsOldOrNew) {
  WriteBytes(Path("mail.txt"), LargeJis(300000));
  KillWhileSaving(ConvertCall({"-o", "out.txt", "1", "mail.txt"}), Path("out.txt"));
}

#ifdef QUILLORA_EXE
TEST_F(CrashSafeSave, BatchOutputIsOldOrNew) {
  WriteBytes(Path("mail.txt"), LargeJis(100000));
  KillWhileSaving(BatchCall({Path("mail.txt"), Path("out.txt")}), Path("out.txt"));
}
#endif

TEST_F(CrashSafeSave, SettingsFileIsOldOrNew) {
  const fs::path file = Path("Quillora.ini");
  // A long section first, so that each write takes a while.
  std::string filler = "[Fonts]\r\n";
  for (int k = 0; k < 100000; ++k) {
    filler += "Font" + std::to_string(k) + "=MS UI Gothic\r\n";
  }
  const std::string values[] = {"500", std::string(300000, 'a'), std::string(200000, 'b')};
  std::vector<std::string> contents;
  for (const std::string& value : values) {
    contents.push_back(filler + "[View]\r\nLeft=" + value + "\r\n");
  }
  // The write works when left alone.
  WriteBytes(file, contents[0]);
  ASSERT_TRUE(ini::WritePrivateProfileStringA("View", "Left", values[1], file));
  ASSERT_TRUE(ReadBytes(file) == contents[1]);

  for (int k = 0; k < 12; ++k) {
    WriteBytes(file, contents[0]);
    const pid_t writer = ::fork();
    if (writer == 0) {
      for (int n = 1;; ++n) {
        ini::WritePrivateProfileStringA("View", "Left", values[1 + n % 2], file);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + 25 * k));
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    const std::string left = ReadBytes(file);
    EXPECT_TRUE(std::find(contents.begin(), contents.end(), left) != contents.end())
        << "kill " << k << " left " << left.size() << " bytes";
  }
}

}  // namespace
}  // namespace quillora::hardening
