// The batch run, quillora [-d|-D] INPUT OUTPUT, as a process without a display: the output is
// byte for byte what quillora-convert prints, statuses and messages, and the settings file is never
// written.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Quoted(std::string_view word) {
  std::string quoted = "'";
  for (const char c : word) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class BatchTest : public testing::Test {
 protected:
  BatchTest() {
    std::string pattern = (fs::temp_directory_path() / "quillora-batch-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~BatchTest() override { fs::remove_all(folder_); }

  // The settings file the runs read: it holds the default decode type.
  void UseDefaultDecodeType(std::string_view type) const {
    WriteFile(Settings(), "[Option]\r\nDefaultDecodeType=" + std::string(type) + "\r\n");
  }
  fs::path Settings() const { return folder_ / "Quillora.ini"; }

  fs::path CopySample(const std::string& name) const {
    fs::copy_file(fs::path(QUILLORA_SAMPLES_DIR) / name, folder_ / name,
                  fs::copy_options::overwrite_existing);
    return folder_ / name;
  }

  // Runs a program from `working_folder` with no display at all.
  Outcome Run(const std::string& program, const std::vector<std::string>& arguments,
              const fs::path& working_folder = "/") const {
    std::string command =
        "cd " + Quoted(working_folder.string()) +
        " && unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && QUILLORA_SETTINGS=" +
        Quoted(Settings().string()) +
        " QUILLORA_REGISTRY=" + Quoted((folder_ / "registry.db").string()) + " exec " +
        Quoted(program);
    for (const std::string& argument : arguments) {
      command += " " + Quoted(argument);
    }
    command += " </dev/null >" + Quoted((folder_ / "stdout").string()) + " 2>" +
               Quoted((folder_ / "stderr").string());
    const int raw = std::system(("sh -c " + Quoted(command)).c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadFile(folder_ / "stdout");
    outcome.err = ReadFile(folder_ / "stderr");
    return outcome;
  }

  Outcome Batch(const std::vector<std::string>& arguments,
                const fs::path& working_folder = "/") const {
    return Run(QUILLORA_EXE, arguments, working_folder);
  }

  fs::path folder_;
};

struct SampleCase {
  const char* sample;
  const char* decode_type;
  const char* mode;
};

class BatchSampleTest : public BatchTest, public testing::WithParamInterface<SampleCase> {};

TEST_P(BatchSampleTest, WritesExactlyWhatTheConverterPrints) {
  const fs::path input = CopySample(GetParam().sample);
  UseDefaultDecodeType(GetParam().decode_type);
  const std::string settings = ReadFile(Settings());
  const fs::path output = folder_ / "decoded.txt";

  const Outcome batch = Batch({input.string(), output.string()});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(batch.err, "");
  EXPECT_EQ(batch.out, "");

  const Outcome converter = Run(QUILLORA_CONVERT_EXE, {GetParam().mode, input.string()});
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
                         [](const testing::TestParamInfo<SampleCase>& info) {
                           return std::string("type_") + info.param.decode_type;
                         });

TEST_F(BatchTest, ABareOutputNameLandsBesideTheInput) {
  const fs::path input = CopySample("jis_mail.txt");
  const fs::path elsewhere = folder_ / "elsewhere";
  fs::create_directory(elsewhere);
  for (const char* output_switch : {"", "-d", "-D"}) {
    std::vector<std::string> arguments{input.string(), "beside.txt"};
    if (*output_switch != '\0') {
      arguments.insert(arguments.begin(), output_switch);
    }
    fs::remove(folder_ / "beside.txt");
    const Outcome batch = Batch(arguments, elsewhere);
    ASSERT_EQ(batch.status, 0) << output_switch << batch.err;
    EXPECT_TRUE(fs::exists(folder_ / "beside.txt")) << output_switch;
    EXPECT_FALSE(fs::exists(elsewhere / "beside.txt")) << output_switch;
  }
}

TEST_F(BatchTest, AnOutputPathWithAFolderIsTakenAsItIs) {
  const fs::path input = CopySample("jis_mail.txt");
  fs::create_directory(folder_ / "out");
  const Outcome batch = Batch({input.string(), "out/relative.txt"}, folder_);
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_TRUE(fs::exists(folder_ / "out" / "relative.txt"));
}

TEST_F(BatchTest, AnExistingOutputIsReplaced) {
  const fs::path input = CopySample("jis_mail.txt");
  const fs::path output = folder_ / "old.txt";
  WriteFile(output, std::string(100000, 'x'));
  const Outcome batch = Batch({input.string(), output.string()});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(ReadFile(output), Run(QUILLORA_CONVERT_EXE, {"1", input.string()}).out);
}

TEST_F(BatchTest, AMissingInputEndsWithStatusOneAndOneLine) {
  const Outcome batch = Batch({(folder_ / "missing.txt").string(), "out.txt"});
  EXPECT_EQ(batch.status, 1);
  EXPECT_EQ(std::count(batch.err.begin(), batch.err.end(), '\n'), 1) << batch.err;
  EXPECT_NE(batch.err.find("missing.txt"), std::string::npos) << batch.err;
  EXPECT_FALSE(fs::exists(folder_ / "out.txt"));
}

TEST_F(BatchTest, AnOutputThatCannotBeWrittenEndsWithStatusOneAndOneLine) {
  const fs::path input = CopySample("jis_mail.txt");
  fs::create_directory(folder_ / "a folder");
  for (const fs::path& output : {folder_ / "no such folder" / "out.txt", folder_ / "a folder"}) {
    const Outcome batch = Batch({input.string(), output.string()});
    EXPECT_EQ(batch.status, 1) << output;
    EXPECT_EQ(std::count(batch.err.begin(), batch.err.end(), '\n'), 1) << batch.err;
    EXPECT_NE(batch.err.find(output.filename().string()), std::string::npos) << batch.err;
  }
}

TEST_F(BatchTest, NeverCreatesTheSettingsFile) {
  const fs::path input = CopySample("jis_mail.txt");
  const Outcome batch = Batch({input.string(), (folder_ / "out.txt").string()});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_FALSE(fs::exists(Settings()));
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
