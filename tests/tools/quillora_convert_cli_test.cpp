// quillora-convert run as a process: samples, statuses, standard input, -o and --to utf-8.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kSamples = QUILLORA_SAMPLES_DIR;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

class CliTest : public testing::Test {
 protected:
  CliTest() {
    std::string pattern = (fs::temp_directory_path() / "quillora-cli-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~CliTest() override { fs::remove_all(folder_); }

  // Runs the program through the shell: `setup` runs first (limits, signals), stdin comes from
  // `input`, stdout goes to `output` when given (and is then not captured).
  Outcome Run(const std::vector<std::string>& arguments, const std::string& input = "/dev/null",
              const std::string& setup = "", const std::string& output = "") const {
    std::string command = setup + " exec " + Quoted(QUILLORA_CONVERT_EXE);
    for (const std::string& argument : arguments) {
      command += " " + Quoted(argument);
    }
    command += " <" + Quoted(input) + " >" +
               Quoted(output.empty() ? (folder_ / "out").string() : output) + " 2>" +
               Quoted((folder_ / "err").string());
    const int raw = std::system(("sh -c " + Quoted(command)).c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadFile(folder_ / "out");
    outcome.err = ReadFile(folder_ / "err");
    return outcome;
  }

  // Runs a Python codec over texts, in one process since the interpreter is slow to start:
  // `recode` turns the bytes `data` into the bytes written back.
  std::vector<std::string> Python(const std::string& recode,
                                  const std::vector<std::string>& texts) {
    std::string command = "python3 -c " + Quoted(
                                              "import sys\nfor name in sys.argv[1:]:\n"
                                              "    data = open(name, 'rb').read()\n"
                                              "    open(name + '.out', 'wb').write(" +
                                              recode + ")\n");
    for (std::size_t k = 0; k < texts.size(); ++k) {
      const fs::path file = folder_ / ("py-" + std::to_string(k));
      std::ofstream(file, std::ios::binary) << texts[k];
      command += " " + Quoted(file.string());
    }
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::vector<std::string> recoded;
    for (std::size_t k = 0; k < texts.size(); ++k) {
      recoded.push_back(ReadFile(folder_ / ("py-" + std::to_string(k) + ".out")));
    }
    return recoded;
  }

  [[nodiscard]] std::string Sample(const char* name) const { return kSamples + "/" + name; }
  [[nodiscard]] fs::path Folder() const { return folder_; }

 private:
  fs::path folder_;
};

struct SampleCase {
  const char* file;
  const char* mode;
  std::string_view utf8;
};

// The texts the sample generator encoded, as the program should give them back.
const SampleCase kSampleCases[] = {
    {"jis_mail.txt", "1",
     "From: Hanako Sato <hanako@example.com>\r\nTo: Taro Suzuki <taro@example.com>\r\n"
     "Subject: Picnic on Saturday\r\nDate: Sat, 04 Apr 2026 09:30:00 +0900\r\n"
     "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
     "Content-Transfer-Encoding: 7bit\r\n\r\n太郎さん\r\n\r\n"
     "こんにちは。今週の土曜日、公園でお花見をしませんか。\r\n"
     "お弁当とお茶はこちらで用意します。\r\n"
     "午前十時に北口の大きな桜の木の下で待っています。\r\n\r\n花子\r\n"},
    {"euc_halfwidth.txt", "8",
     "お知らせ\nコーヒーハウス「キノコノモリ」は来週から新しいメニューを出します。\n"
     "ショートケーキとカフェラテをどうぞ。\n"},
    {"uuencoded_message.txt", "10",
     "抹茶クッキーの作り方\r\n"
     "材料：小麦粉百グラム、バター五十グラム、砂糖四十グラム、抹茶小さじ二杯\r\n"
     "一、バターと砂糖をよく混ぜる。\r\n二、小麦粉と抹茶をふるって加え、さっくり混ぜる。\r\n"
     "三、百七十度のオーブンで十二分焼く。\r\n"},
    {"base64_mail.eml", "9",
     "From: Aoi Kato <aoi@example.com>\r\nTo: Ren Nakamura <ren@example.com>\r\n"
     "Subject: Book club\r\nDate: Fri, 10 Apr 2026 18:05:00 +0900\r\nMIME-Version: 1.0\r\n"
     "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: Base64\r\n\r\n"
     "蓮さん\r\n\r\n来月の読書会の本が決まりました。\r\n宮沢賢治の「銀河鉄道の夜」です。\r\n"
     "感想を一つ持って、駅前の図書館に集まりましょう。\r\n\r\n葵\r\n"},
    {"utf16le_bom.txt", "11",
     "旅行のしおり\r\n一日目：京都駅に集合して清水寺を見学\r\n二日目：嵐山で竹林の小道を散歩\r\n"
     "持ち物：カメラ、傘、歩きやすい靴\r\n"},
};

TEST_F(CliTest, SamplesDecode) {
  std::vector<std::string> cp932_outputs;
  std::vector<std::string> utf8_outputs;
  for (const SampleCase& c : kSampleCases) {
    const Outcome utf8 = Run({"--to", "utf-8", c.mode, Sample(c.file)});
    EXPECT_EQ(utf8.status, 0) << c.file;
    EXPECT_EQ(utf8.out, c.utf8) << c.file;
    EXPECT_EQ(utf8.err, "") << c.file;
    utf8_outputs.push_back(utf8.out);

    const Outcome cp932 = Run({c.mode, Sample(c.file)});
    EXPECT_EQ(cp932.status, 0) << c.file;
    cp932_outputs.push_back(cp932.out);
  }
  // Python's cp932 codec is an outside reading of the default output.
  EXPECT_EQ(Python("data.decode('cp932').encode('utf-8')", cp932_outputs), utf8_outputs);
}

TEST_F(CliTest, BytesAreTheConverterOutput) {
  const Outcome euc = Run({"--bytes", "2", Sample("jis_mail.txt")});
  EXPECT_EQ(euc.status, 0);
  EXPECT_EQ(std::vector<std::string>{euc.out}, Python("data.decode('iso2022_jp').encode('euc_jp')",
                                                      {ReadFile(Sample("jis_mail.txt"))}));
  EXPECT_EQ(Run({"--bytes", "1", "--option", "1", Sample("base64_mail.eml")}).out,
            ReadFile(Sample("base64_mail.eml")));  // no ESC $ B: the file itself
  EXPECT_EQ(Run({"--bytes", "3", Sample("jis_mail.txt")}).out, "");
}

TEST_F(CliTest, Statuses) {
  const std::string jis = Sample("jis_mail.txt");
  struct Row {
    std::vector<std::string> arguments;
    int status;
    bool complains;
  };
  const Row rows[] = {
      {{}, 2, true},
      {{"1"}, 2, true},
      {{"1", jis, "extra"}, 2, true},
      {{"one", jis}, 2, true},
      {{"32768", jis}, 2, true},
      {{"--option", "x", "1", jis}, 2, true},
      {{"--to", "latin1", "1", jis}, 2, true},
      {{"--bytes", "--to", "utf-8", "1", jis}, 2, true},
      {{"--verbose", "1", jis}, 2, true},
      {{"1", (Folder() / "missing").string()}, 1, true},
      {{"1", Folder().string()}, 1, true},
      {{"--help"}, 0, false},
      {{"--version"}, 0, false},
      {{"3", jis}, 0, false},
      {{"-32768", jis}, 0, false},
      {{"--option", "-1", "4", jis}, 0, false},
      {{"--", "-5", jis}, 0, false},
  };
  for (const Row& row : rows) {
    const Outcome outcome = Run(row.arguments);
    std::string shown;
    for (const std::string& argument : row.arguments) {
      shown += argument + " ";
    }
    EXPECT_EQ(outcome.status, row.status) << shown;
    EXPECT_EQ(!outcome.err.empty(), row.complains) << shown << outcome.err;
    if (row.status != 0) {
      EXPECT_EQ(outcome.out, "") << shown;
    }
  }
}

TEST_F(CliTest, DashReadsStandardInput) {
  for (const SampleCase& c : kSampleCases) {
    const Outcome piped = Run({"--to", "utf-8", c.mode, "-"}, Sample(c.file));
    EXPECT_EQ(piped.status, 0) << c.file;
    EXPECT_EQ(piped.out, c.utf8) << c.file;
  }
}

TEST_F(CliTest, StandardInputIsReadWhole) {
  // Sizes around the reader's 64 KiB steps. Mode 1 gives text without an ESC $ B back as it is,
  // and numbered lines show a chunk lost or read twice.
  const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 3 * 65536 + 17};
  std::string lines;
  for (int k = 0; lines.size() < 3 * 65536 + 17; ++k) {
    lines += "line " + std::to_string(k) + "\r\n";
  }
  for (const std::size_t size : sizes) {
    const fs::path input = Folder() / "input.txt";
    std::ofstream(input, std::ios::binary) << lines.substr(0, size);
    const Outcome piped = Run({"1", "-"}, input.string());
    EXPECT_EQ(piped.status, 0) << size;
    EXPECT_EQ(piped.out.size(), size);
    EXPECT_TRUE(piped.out == lines.substr(0, size)) << size;
  }
}

TEST_F(CliTest, DashAsOutputIsStandardOutput) {
  const std::string in_folder = "cd " + Quoted(Folder().string()) + ";";
  const Outcome dashed =
      Run({"-o", "-", "--to", "utf-8", "1", Sample("jis_mail.txt")}, "/dev/null", in_folder);
  EXPECT_EQ(dashed.status, 0);
  EXPECT_EQ(dashed.out, kSampleCases[0].utf8);
  EXPECT_FALSE(fs::exists(Folder() / "-"));
}

TEST_F(CliTest, StreamFailuresEndWithStatusOne) {
  struct Row {
    const char* name;
    std::vector<std::string> arguments;
    std::string input;
    std::string output;
  };
  const Row rows[] = {
      {"standard input is a folder", {"1", "-"}, "/", ""},
      {"standard output is full", {"1", Sample("jis_mail.txt")}, "/dev/null", "/dev/full"},
      {"standard output is full, UTF-8",
       {"--to", "utf-8", "9", Sample("base64_mail.eml")},
       "/dev/null",
       "/dev/full"},
  };
  for (const Row& row : rows) {
    const Outcome outcome = Run(row.arguments, row.input, "", row.output);
    EXPECT_EQ(outcome.status, 1) << row.name;
    EXPECT_NE(outcome.err, "") << row.name;
  }
}

TEST_F(CliTest, OutputFileIsReplacedWhole) {
  const fs::path target = Folder() / "result.txt";
  std::ofstream(target) << "old content";
  const Outcome written =
      Run({"-o", target.string(), "--to", "utf-8", "11", Sample("utf16le_bom.txt")});
  EXPECT_EQ(written.status, 0);
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(ReadFile(target), kSampleCases[4].utf8);

  const Outcome fresh = Run({"-o", (Folder() / "new.txt").string(), "1", Sample("jis_mail.txt")});
  EXPECT_EQ(fresh.status, 0);
  EXPECT_EQ(ReadFile(Folder() / "new.txt"), Run({"1", Sample("jis_mail.txt")}).out);
}

TEST_F(CliTest, FailedOutputLeavesTheOldFile) {
  const fs::path target = Folder() / "result.txt";
  std::ofstream(target) << "old content";
  // A file size limit of zero makes every write fail, even for root.
  const Outcome limited = Run({"-o", target.string(), "1", Sample("jis_mail.txt")}, "/dev/null",
                              "trap '' XFSZ; ulimit -f 0;");
  EXPECT_EQ(limited.status, 1);  // the limit keeps the message from its file as well
  EXPECT_EQ(ReadFile(target), "old content");

  const Outcome nowhere =
      Run({"-o", (Folder() / "no-folder" / "x.txt").string(), "1", Sample("jis_mail.txt")});
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_NE(nowhere.err, "");

  const Outcome onto_folder = Run({"-o", Folder().string(), "1", Sample("jis_mail.txt")});
  EXPECT_EQ(onto_folder.status, 1);

  // Nothing but the old file and the captured streams is left behind.
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(Folder())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"err", "out", "result.txt"}));
}

}  // namespace
