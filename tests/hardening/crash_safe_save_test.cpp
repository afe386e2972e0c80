// A process killed (SIGKILL) while it saves leaves the old file or the complete new one, never a
// torn one. The batch run and the settings writer save through the same atomic writer as
// quillora-convert -o. A killed writer may leave its temporary file beside the output; it is named
// apart and never taken for it.
#include "hostile_inputs.h"
#include "support/process.h"

namespace quillora::test {
namespace {

using crash_safe_save_test = Processes;

// Kills at times spread over the second half of an unkilled run, where the output is written.
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
  for (int k = 0; k < 12; ++k) {
    WriteBytes(Path("out.txt"), old_text);
    Child child(call);
    const double at = whole.seconds * (0.5 + 0.8 * k / 12);
    while (child.Running() && child.SecondsSinceStart() < at) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    child.Kill(SIGKILL);
    child.Wait(std::chrono::seconds(60));
    const std::string left = ReadBytes(Path("out.txt"));
    EXPECT_TRUE(left == old_text || left == new_text)
        << "kill " << k << " at " << at << " s left " << left.size() << " bytes";
    old_seen += left == old_text ? 1 : 0;
  }
  RecordProperty("kills_that_left_the_old_file", old_seen);
}

}  // namespace
}  // namespace quillora::test
