// A process ended while it saves leaves the old file or the complete new one, never a torn one.
// The batch run and the settings writer save through the same atomic writer as
// quillora-convert -o. SIGKILL may leave the temporary file beside the output (named apart, never
// taken for it); a signal that can be handled (SIGTERM, SIGINT) leaves nothing beside it.
#include "hostile_inputs.h"
#include "support/process.h"

namespace quillora::test {
namespace {

using crash_safe_save_test = Processes;

// The names in the folder that are neither the input nor the output.
std::vector<std::string> Leftovers(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "mail.txt" && name != "out.txt" && name != ".io") {
      names.push_back(name);
    }
  }
  return names;
}

// Signals at times spread over the second half of an unended run, where the output is written.
TEST_F(crash_safe_save_test, convert_output_is_old_or_new) {
  WriteBytes(Path("mail.txt"), LargeJis(300000));
  const Invocation call = ConvertCall({"-o", "out.txt", "1", "mail.txt"});
  const std::string old_text = "old result\r\n";
  WriteBytes(Path("out.txt"), old_text);
  const Ended whole = Run(call, Seconds(600)).ended;
  ASSERT_EQ(whole.status, 0);
  const std::string new_text = ReadBytes(Path("out.txt"));
  ASSERT_NE(new_text, old_text);

  int old_seen = 0;
  for (int k = 0; k < 24; ++k) {
    const int signal = k % 3 == 0 ? SIGKILL : k % 3 == 1 ? SIGTERM : SIGINT;
    WriteBytes(Path("out.txt"), old_text);
    Child child(call);
    const double at = whole.seconds * (0.5 + 0.8 * k / 24);
    while (child.Running() && child.SecondsSinceStart() < at) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    child.Kill(signal);
    child.Wait(std::chrono::seconds(60));
    const std::string left = ReadBytes(Path("out.txt"));
    EXPECT_TRUE(left == old_text || left == new_text)
        << "signal " << signal << " at " << at << " s left " << left.size() << " bytes";
    old_seen += left == old_text ? 1 : 0;
    if (signal == SIGKILL) {
      for (const std::string& name : Leftovers(Path(""))) {
        fs::remove(Path(name));
      }
    } else {
      EXPECT_EQ(Leftovers(Path("")), std::vector<std::string>()) << "signal " << signal;
    }
  }
  RecordProperty("kills_that_left_the_old_file", old_seen);
}

}  // namespace
}  // namespace quillora::test
