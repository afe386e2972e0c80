// quillora-convert run as a process: samples, statuses, standard input, -o and --to utf-8.
#include <string>
#include <string_view>
#include <vector>

#include "tools/process.h"

namespace quillora_test {
namespace {

std::string Sample(const char* name) {
  return std::string(QUILLORA_SAMPLES_DIR) + "/" + name;
}

class CliTest : public ProcessTest {
 protected:
  Outcome Convert(const std::vector<std::string>& arguments, const std::string& setup = "",
                  const std::string& input = "/dev/null", const std::string& output = "") const {
    return Run(QUILLORA_CONVERT_EXE, arguments, setup, input, output);
  }
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
  const std::string cp932 = (folder_ / "cp932").string();
  for (const SampleCase& c : kSampleCases) {
    const Outcome utf8 = Convert({"--to", "utf-8", c.mode, Sample(c.file)});
    EXPECT_EQ(utf8.status, 0) << c.file;
    EXPECT_EQ(utf8.out, c.utf8) << c.file;
    EXPECT_EQ(utf8.err, "") << c.file;
    EXPECT_EQ(Convert({"--to", "utf-8", c.mode, "-"}, "", Sample(c.file)).out, c.utf8) << c.file;
    // iconv's reading of the default output is an outside check of the code page.
    EXPECT_EQ(Convert({c.mode, Sample(c.file)}, "", "/dev/null", cp932).status, 0) << c.file;
    EXPECT_EQ(Run("iconv", {"-f", "CP932", "-t", "UTF-8"}, "", cp932).out, c.utf8) << c.file;
  }
}

TEST_F(CliTest, BytesAreTheConverterOutput) {
  const Outcome euc = Convert({"--bytes", "2", Sample("jis_mail.txt")});
  EXPECT_EQ(euc.status, 0);
  EXPECT_EQ(euc.out,
            Run("iconv", {"-f", "ISO-2022-JP", "-t", "EUC-JP", Sample("jis_mail.txt")}).out);
  EXPECT_EQ(Convert({"--bytes", "1", "--option", "1", Sample("base64_mail.eml")}).out,
            ReadFile(Sample("base64_mail.eml")));  // no ESC $ B: the file itself
  EXPECT_EQ(Convert({"--bytes", "3", Sample("jis_mail.txt")}).out, "");
}

TEST_F(CliTest, Statuses) {
  const std::string jis = Sample("jis_mail.txt");
  struct Row {
    std::vector<std::string> arguments;
    int status;
    bool complains;
    std::string input = "/dev/null";
    std::string output = "";
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
      {{"1", (folder_ / "missing").string()}, 1, true},
      {{"1", folder_.string()}, 1, true},
      {{"1", "-"}, 1, true, "/"},
      {{"1", jis}, 1, true, "/dev/null", "/dev/full"},
      {{"--to", "utf-8", "9", Sample("base64_mail.eml")}, 1, true, "/dev/null", "/dev/full"},
      {{"-o", (folder_ / "no-folder" / "x.txt").string(), "1", jis}, 1, true},
      {{"-o", folder_.string(), "1", jis}, 1, true},
      {{"--help"}, 0, false},
      {{"--version"}, 0, false},
      {{"3", jis}, 0, false},
      {{"-32768", jis}, 0, false},
      {{"--option", "-1", "4", jis}, 0, false},
      {{"--", "-5", jis}, 0, false},
  };
  for (const Row& row : rows) {
    const Outcome outcome = Convert(row.arguments, "", row.input, row.output);
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
  // The failed -o runs left nothing behind.
  EXPECT_EQ(Listing(), (std::vector<std::string>{"err", "out"}));
}

TEST_F(CliTest, StandardInputIsReadWhole) {
  // Sizes around the reader's 64 KiB steps. Mode 1 gives text without an ESC $ B back as it is,
  // and numbered lines show a chunk lost or read twice.
  std::string lines;
  for (int k = 0; lines.size() < 3 * 65536 + 17; ++k) {
    lines += "line " + std::to_string(k) + "\r\n";
  }
  const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 3 * 65536 + 17};
  for (const std::size_t size : sizes) {
    WriteFile(folder_ / "input.txt", lines.substr(0, size));
    const Outcome piped = Convert({"1", "-"}, "", (folder_ / "input.txt").string());
    EXPECT_EQ(piped.status, 0) << size;
    EXPECT_EQ(piped.out.size(), size);
    EXPECT_TRUE(piped.out == lines.substr(0, size)) << size;
  }
}

TEST_F(CliTest, OutputOption) {
  const std::string jis = Sample("jis_mail.txt");
  const fs::path target = folder_ / "result.txt";
  WriteFile(target, "old content");
  const Outcome replaced =
      Convert({"-o", target.string(), "--to", "utf-8", "11", Sample("utf16le_bom.txt")});
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.out, "");
  EXPECT_EQ(ReadFile(target), kSampleCases[4].utf8);

  // The default output is written a piece at a time, by its own path.
  EXPECT_EQ(Convert({"-o", (folder_ / "new.txt").string(), "1", jis}).status, 0);
  EXPECT_EQ(ReadFile(folder_ / "new.txt"), Convert({"1", jis}).out);

  const Outcome dashed =
      Convert({"-o", "-", "--to", "utf-8", "1", jis}, "cd " + Quoted(folder_.string()) + ";");
  EXPECT_EQ(dashed.status, 0);
  EXPECT_EQ(dashed.out, kSampleCases[0].utf8);
  EXPECT_FALSE(fs::exists(folder_ / "-"));

  // A file size limit of zero makes every write fail, even for root, and keeps the message from
  // its file as well.
  EXPECT_EQ(Convert({"-o", target.string(), "1", jis}, "trap '' XFSZ; ulimit -f 0;").status, 1);
  EXPECT_EQ(ReadFile(target), kSampleCases[4].utf8);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"err", "new.txt", "out", "result.txt"}));
}

}  // namespace
}  // namespace quillora_test
