// The batch run, quillora [-d|-D] INPUT OUTPUT, as a process without a display: it writes what
// quillora-convert prints, and never writes the settings file.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "tools/process.h"

namespace quillora_test {
namespace {

class BatchTest : public ProcessTest {
 protected:
  [[nodiscard]] fs::path Settings() const { return folder_ / "Quillora.ini"; }

  [[nodiscard]] std::string CopySample(const std::string& name) const {
    fs::copy_file(fs::path(QUILLORA_SAMPLES_DIR) / name, folder_ / name,
                  fs::copy_options::overwrite_existing);
    return (folder_ / name).string();
  }

  // From `working_folder`, with no display at all and the folder's settings and registry.
  Outcome RunAway(const std::string& program, const std::vector<std::string>& arguments,
                  const fs::path& working_folder = "/") const {
    return Run(program, arguments,
               "cd " + Quoted(working_folder.string()) +
                   " && unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && QUILLORA_SETTINGS=" +
                   Quoted(Settings().string()) +
                   " QUILLORA_REGISTRY=" + Quoted((folder_ / "registry.db").string()));
  }
  Outcome Batch(const std::vector<std::string>& arguments,
                const fs::path& working_folder = "/") const {
    return RunAway(QUILLORA_EXE, arguments, working_folder);
  }
};

// Each decode type of the settings picks its conversion mode.
TEST_F(BatchTest, WritesExactlyWhatTheConverterPrints) {
  const std::string output = (folder_ / "decoded.txt").string();
  for (const auto& [sample, decode_type, mode] :
       {std::tuple{"jis_mail.txt", "0", "1"}, std::tuple{"euc_halfwidth.txt", "1", "8"},
        std::tuple{"uuencoded_message.txt", "2", "10"}, std::tuple{"base64_mail.eml", "3", "9"},
        std::tuple{"utf16le_bom.txt", "4", "11"}}) {
    const std::string input = CopySample(sample);
    const std::string settings =
        "[Option]\r\nDefaultDecodeType=" + std::string(decode_type) + "\r\n";
    WriteFile(Settings(), settings);
    const Outcome batch = Batch({input, output});
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(batch.err + batch.out, "");
    const Outcome converter = RunAway(QUILLORA_CONVERT_EXE, {mode, input});
    ASSERT_FALSE(converter.out.empty());
    EXPECT_TRUE(ReadFile(output) == converter.out) << sample;
    EXPECT_EQ(ReadFile(Settings()), settings);
  }
}

// A bare output name lands beside the input, whatever the switch; a name with a folder in it is
// taken from the working folder. An existing output is replaced, and no settings file is made.
TEST_F(BatchTest, OutputLandsWhereItsNameSays) {
  const std::string input = CopySample("jis_mail.txt");
  const fs::path elsewhere = folder_ / "elsewhere";
  fs::create_directories(elsewhere / "sub");
  WriteFile(elsewhere / "sub" / "relative.txt", std::string(100000, 'x'));
  const std::pair<std::vector<std::string>, fs::path> rows[] = {
      {{"-d", input, "beside.txt"}, folder_ / "beside.txt"},
      {{"-D", input, "beside.txt"}, folder_ / "beside.txt"},
      {{input, "sub/relative.txt"}, elsewhere / "sub" / "relative.txt"},
  };
  for (const auto& [arguments, lands] : rows) {
    fs::remove(folder_ / "beside.txt");
    ASSERT_EQ(Batch(arguments, elsewhere).status, 0) << arguments[0];
    EXPECT_EQ(ReadFile(lands), RunAway(QUILLORA_CONVERT_EXE, {"1", input}).out) << lands;
  }
  EXPECT_FALSE(fs::exists(elsewhere / "beside.txt"));
  EXPECT_FALSE(fs::exists(Settings()));
}

TEST_F(BatchTest, FailuresEndWithStatusOneAndOneLineNamingTheFile) {
  const std::string input = CopySample("jis_mail.txt");
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{(folder_ / "missing.txt").string(), "never.txt"}, "missing.txt"},
      {{input, (folder_ / "no such folder" / "out.txt").string()}, "out.txt"},
  };
  for (const auto& [arguments, named] : rows) {
    const Outcome batch = Batch(arguments);
    EXPECT_EQ(batch.status, 1) << named;
    EXPECT_EQ(std::count(batch.err.begin(), batch.err.end(), '\n'), 1) << batch.err;
    EXPECT_NE(batch.err.find(named), std::string::npos) << batch.err;
  }
  EXPECT_FALSE(fs::exists(folder_ / "never.txt"));
}

// A stored default that is no decode type, or an empty output name, is a failure said in words:
// nothing is written, and the run does not pretend to have succeeded.
TEST_F(BatchTest, UnusableSettingOrOutputNameWritesNothing) {
  const std::string input = CopySample("jis_mail.txt");
  const std::string output = (folder_ / "decoded.txt").string();
  for (const std::string stored : {"9", "abc", "-1"}) {
    WriteFile(Settings(), "[Option]\r\nDefaultDecodeType=" + stored + "\r\n");
    const Outcome batch = Batch({input, output});
    EXPECT_EQ(batch.status, 1) << stored;
    EXPECT_NE(batch.err.find("DefaultDecodeType=" + stored), std::string::npos) << batch.err;
    EXPECT_FALSE(fs::exists(output)) << stored;
  }
  fs::remove(Settings());
  const std::vector<std::string> before = Listing();
  const Outcome empty_name = Batch({input, ""});
  EXPECT_EQ(empty_name.status, 1);
  EXPECT_EQ(std::count(empty_name.err.begin(), empty_name.err.end(), '\n'), 1) << empty_name.err;
  EXPECT_EQ(Listing(), before);
}

TEST_F(BatchTest, HelpAndVersionNeedNoInput) {
  const Outcome help = Batch({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("quillora [-d|-D] INPUT [OUTPUT]"), std::string::npos) << help.out;
  EXPECT_EQ(Batch({"--version"}).out, "quillora 1.0.1\n");
}

}  // namespace
}  // namespace quillora_test
