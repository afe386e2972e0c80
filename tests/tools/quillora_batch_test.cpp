// The batch run, quillora [-d|-D] INPUT OUTPUT, as a process without a display: the output is
// byte for byte what quillora-convert prints, statuses and messages, and the settings file is never
// written.
#include <algorithm>
#include <string>
#include <vector>

#include "tools/process.h"

namespace quillora_test {
namespace {

class BatchTest : public ProcessTest {
 protected:
  [[nodiscard]] fs::path Settings() const { return folder_ / "Quillora.ini"; }

  [[nodiscard]] fs::path CopySample(const std::string& name) const {
    fs::copy_file(fs::path(QUILLORA_SAMPLES_DIR) / name, folder_ / name,
                  fs::copy_options::overwrite_existing);
    return folder_ / name;
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

struct SampleCase {
  const char* sample;
  const char* decode_type;
  const char* mode;
};

class BatchSampleTest : public BatchTest, public testing::WithParamInterface<SampleCase> {};

TEST_P(BatchSampleTest, WritesExactlyWhatTheConverterPrints) {
  const fs::path input = CopySample(GetParam().sample);
  const std::string settings =
      "[Option]\r\nDefaultDecodeType=" + std::string(GetParam().decode_type) + "\r\n";
  WriteFile(Settings(), settings);
  const fs::path output = folder_ / "decoded.txt";

  const Outcome batch = Batch({input.string(), output.string()});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(batch.err, "");
  EXPECT_EQ(batch.out, "");

  const Outcome converter = RunAway(QUILLORA_CONVERT_EXE, {GetParam().mode, input.string()});
  ASSERT_EQ(converter.status, 0) << converter.err;
  ASSERT_FALSE(converter.out.empty());
  EXPECT_TRUE(ReadFile(output) == converter.out);
  EXPECT_EQ(ReadFile(Settings()), settings);
}

INSTANTIATE_TEST_SUITE_P(Samples, BatchSampleTest,
                         testing::Values(SampleCase{"jis_mail.txt", "0", "1"},
                                         SampleCase{"euc_halfwidth.txt", "1", "8"},
                                         SampleCase{"uuencoded_message.txt", "2", "10"},
                                         SampleCase{"base64_mail.eml", "3", "9"},
                                         SampleCase{"utf16le_bom.txt", "4", "11"}),
                         [](const testing::TestParamInfo<SampleCase>& row) {
                           return std::string("type_") + row.param.decode_type;
                         });

// A bare output name lands beside the input, whatever the switch; a name with a folder in it is
// taken from the working folder.
TEST_F(BatchTest, OutputNamesAreTakenRelativeToTheRightFolder) {
  const std::string input = CopySample("jis_mail.txt").string();
  const fs::path elsewhere = folder_ / "elsewhere";
  fs::create_directories(elsewhere / "sub");
  const std::pair<std::vector<std::string>, fs::path> rows[] = {
      {{input, "beside.txt"}, folder_ / "beside.txt"},
      {{"-d", input, "beside.txt"}, folder_ / "beside.txt"},
      {{"-D", input, "beside.txt"}, folder_ / "beside.txt"},
      {{input, "sub/relative.txt"}, elsewhere / "sub" / "relative.txt"},
  };
  for (const auto& [arguments, lands] : rows) {
    fs::remove(lands);
    const Outcome batch = Batch(arguments, elsewhere);
    ASSERT_EQ(batch.status, 0) << arguments[0] << batch.err;
    EXPECT_TRUE(fs::exists(lands)) << arguments[0] << " " << lands;
  }
  EXPECT_FALSE(fs::exists(elsewhere / "beside.txt"));
}

TEST_F(BatchTest, AnExistingOutputIsReplacedAndNoSettingsFileIsMade) {
  const fs::path input = CopySample("jis_mail.txt");
  const fs::path output = folder_ / "old.txt";
  WriteFile(output, std::string(100000, 'x'));
  const Outcome batch = Batch({input.string(), output.string()});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_FALSE(fs::exists(Settings()));
  EXPECT_EQ(ReadFile(output), RunAway(QUILLORA_CONVERT_EXE, {"1", input.string()}).out);
}

TEST_F(BatchTest, FailuresEndWithStatusOneAndOneLineNamingTheFile) {
  const std::string input = CopySample("jis_mail.txt").string();
  fs::create_directory(folder_ / "a folder");
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{(folder_ / "missing.txt").string(), "never.txt"}, "missing.txt"},
      {{input, (folder_ / "no such folder" / "out.txt").string()}, "out.txt"},
      {{input, (folder_ / "a folder").string()}, "a folder"},
  };
  for (const auto& [arguments, named] : rows) {
    const Outcome batch = Batch(arguments);
    EXPECT_EQ(batch.status, 1) << named;
    EXPECT_EQ(std::count(batch.err.begin(), batch.err.end(), '\n'), 1) << batch.err;
    EXPECT_NE(batch.err.find(named), std::string::npos) << batch.err;
  }
  EXPECT_FALSE(fs::exists(folder_ / "never.txt"));
}

TEST_F(BatchTest, HelpAndVersionNeedNoInput) {
  const Outcome help = Batch({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("quillora [-d|-D] INPUT [OUTPUT]"), std::string::npos) << help.out;
  const Outcome version = Batch({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillora 1.0.1\n");
}

}  // namespace
}  // namespace quillora_test
