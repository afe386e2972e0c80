// A process killed (SIGKILL) while it saves leaves the old file or the complete new one, never a
// torn one: quillora-convert -o, the batch run, and the settings file writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "process.h"

namespace quillora::hardening {
namespace {

std::string LargeJis(std::size_t lines) {
  const std::string line = "\x1B$B$3$s$K$A$O!#\x1B(B Hello, JIS mail text.\r\n";
  std::string text;
  text.reserve(line.size() * lines);
  for (std::size_t k = 0; k < lines; ++k) {
    text += line;
  }
  return text;
}

// Temporary files a killed writer left beside the output; they are named apart from it and never
// taken for it. Removes them and says how many there were.
int RemoveLeftovers(const fs::path& folder, const std::vector<std::string>& keep) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(keep.begin(), keep.end(), name) == keep.end()) {
      fs::remove_all(entry.path());
      ++count;
    }
  }
  return count;
}

class CrashSafeSave : public testing::Test {
 protected:
  // Kills runs of `call` at times spread over the last part of an unkilled run, where the output
  // is written, and checks the output after each.
  void KillWhileSaving(const Invocation& call, const fs::path& output,
                       const std::string& old_text) {
    WriteFile(output, old_text);
    const Ended whole = RunToEnd(call, std::chrono::seconds(600));
    ASSERT_EQ(whole.status, 0);
    const std::string new_text = ReadFile(output);
    ASSERT_NE(new_text, old_text);

    constexpr int kKills = 12;
    int old_seen = 0;
    for (int k = 0; k < kKills; ++k) {
      WriteFile(output, old_text);
      Child child(call);
      const double at = whole.seconds * (0.5 + 0.8 * k / kKills);
      while (child.Running() && child.SecondsSinceStart() < at) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      child.Kill(SIGKILL);
      child.Wait(std::chrono::seconds(60));
      const std::string left = ReadFile(output);
      EXPECT_TRUE(left == old_text || left == new_text)
          << "kill " << k << " at " << at << " s left " << left.size() << " bytes";
      old_seen += left == old_text ? 1 : 0;
    }
    RecordProperty("kills_that_left_the_old_file", old_seen);
  }

  TempFolder temp_;
};

TEST_F(CrashSafeSave, ConvertOutputIsOldOrNew) {
  WriteFile(temp_.path / "mail.txt", LargeJis(300000));
  Invocation call{QUILLORA_CONVERT_EXE, {"-o", "out.txt", "1", "mail.txt"}};
  call.working_folder = temp_.path;
  KillWhileSaving(call, temp_.path / "out.txt", "old result\r\n");
  RemoveLeftovers(temp_.path, {"mail.txt", "out.txt"});
}

#ifdef QUILLORA_EXE
TEST_F(CrashSafeSave, BatchOutputIsOldOrNew) {
  WriteFile(temp_.path / "mail.txt", LargeJis(100000));
  WriteFile(temp_.path / "Quillora.ini", "[Option]\r\nDefaultDecodeType=0\r\n");
  Invocation call{QUILLORA_EXE, {"mail.txt", "out.txt"}};
  call.working_folder = temp_.path;
  call.environment = {{"QUILLORA_SETTINGS", (temp_.path / "Quillora.ini").string()},
                      {"QUILLORA_REGISTRY", (temp_.path / "registry.sqlite3").string()},
                      {"XDG_RUNTIME_DIR", temp_.path.string()},
                      {"QT_QPA_PLATFORM", "offscreen"}};
  KillWhileSaving(call, temp_.path / "out.txt", "old result\r\n");
  RemoveLeftovers(temp_.path, {"mail.txt", "out.txt", "Quillora.ini"});
}
#endif

TEST_F(CrashSafeSave, SettingsFileIsOldOrNew) {
  const fs::path file = temp_.path / "Quillora.ini";
  // A long section first, so that each write takes a while.
  std::string filler = "[Fonts]\r\n";
  for (int k = 0; k < 100000; ++k) {
    filler += "Font" + std::to_string(k) + "=MS UI Gothic\r\n";
  }
  const auto content = [&](const std::string& left) {
    return filler + "[View]\r\nLeft=" + left + "\r\n";
  };
  const std::string values[] = {"500", std::string(300000, 'a'), std::string(200000, 'b')};

  for (int k = 0; k < 12; ++k) {
    WriteFile(file, content(values[0]));
    const pid_t writer = ::fork();
    if (writer == 0) {
      for (int n = 1;; ++n) {
        ini::WritePrivateProfileStringA("View", "Left", values[1 + n % 2], file);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + 25 * k));
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    const std::string left = ReadFile(file);
    EXPECT_TRUE(left == content(values[0]) || left == content(values[1]) ||
                left == content(values[2]))
        << "kill " << k << " left " << left.size() << " bytes";
  }
  RemoveLeftovers(temp_.path, {"Quillora.ini"});
}

}  // namespace
}  // namespace quillora::hardening
