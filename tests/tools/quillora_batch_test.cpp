// The batch run, quillora [-d|-D] INPUT OUTPUT, as a process without a display or a platform
// plugin. That it writes what quillora-convert prints, in every decode type, and its failures:
// tests/hardening/hostile_input_test.cpp.
#include <regex>
#include <string>
#include <vector>

#include "support/process.h"

#ifdef QUILLORA_EXE
namespace quillora::test {
namespace {

using quillora_batch_test = Processes;

// A bare output name lands beside the input, whatever the switch; a name with a folder in it is
// taken from the working folder. An existing output is replaced.
TEST_F(quillora_batch_test, output_lands_where_its_name_says) {
  const fs::path input = CopySample("jis_mail.txt");
  const std::string expected = Reference(1, input);
  fs::create_directories(Path("elsewhere/sub"));
  WriteBytes(Path("elsewhere/sub/relative.txt"), std::string(100000, 'x'));
  const std::pair<std::vector<std::string>, fs::path> rows[] = {
      {{"-d", input, "beside.txt"}, Path("beside.txt")},
      {{"-D", input, "beside.txt"}, Path("beside.txt")},
      {{input, "sub/relative.txt"}, Path("elsewhere/sub/relative.txt")},
  };
  for (const auto& [arguments, lands] : rows) {
    fs::remove(Path("beside.txt"));
    Invocation call = BatchCall(arguments);
    call.working_folder = Path("elsewhere");
    EXPECT_TRUE(EndedWith(Run(call), 0)) << arguments[0];
    EXPECT_EQ(ReadBytes(lands), expected) << lands;
  }
  EXPECT_FALSE(fs::exists(Path("elsewhere/beside.txt")));
}

// A stored default that is no decode type, or an empty output name, is a failure said in words:
// nothing is written, and the run does not pretend to have succeeded.
TEST_F(quillora_batch_test, unusable_setting_or_output_name_writes_nothing) {
  const fs::path input = CopySample("jis_mail.txt");
  for (const std::string stored : {"9", "abc", "-1"}) {
    const fs::path settings =
        WriteBytes(Path("Quillora.ini"), "[Option]\r\nDefaultDecodeType=" + stored + "\r\n");
    const Outcome batch =
        Run(ProgramCall({input, Path("out.txt")}, settings, Path("registry.sqlite3")));
    EXPECT_TRUE(FailedWithAMessage(batch, "DefaultDecodeType=" + stored)) << stored;
    EXPECT_FALSE(fs::exists(Path("out.txt"))) << stored;
  }
  fs::remove(Path("Quillora.ini"));
  const std::vector<std::string> before = Listing();
  EXPECT_TRUE(FailedWithAMessage(Batch({input, ""})));
  EXPECT_EQ(Listing(), before);
}

// Decode type 5 writes the readable mail, as quillora-convert mail does.
TEST_F(quillora_batch_test, the_whole_mail_is_written_as_the_mail_command_writes_it) {
  for (const char* sample : {"multipart_mail.eml", "windows_jis_mail.eml"}) {
    const fs::path input = CopySample(sample);
    const Outcome mail = Convert({"mail", input});
    ASSERT_TRUE(EndedWith(mail, 0)) << sample;
    EXPECT_TRUE(EndedWith(Batch({input, Path("out.txt")}, 5), 0)) << sample;
    EXPECT_TRUE(ReadBytes(Path("out.txt")) == mail.out) << sample;
  }
}

TEST_F(quillora_batch_test, help_and_version_need_no_input) {
  const Outcome help = Batch({"--help"});
  EXPECT_TRUE(EndedWith(help, 0));
  EXPECT_NE(help.out.find("quillora [-d|-D] INPUT [OUTPUT]"), std::string::npos) << help.out;
  const std::string version = Batch({"--version"}).out;
  EXPECT_TRUE(std::regex_match(version, std::regex("quillora [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << version;
}

}  // namespace
}  // namespace quillora::test
#endif
