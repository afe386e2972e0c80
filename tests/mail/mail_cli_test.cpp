// quillora-convert mail and guess as processes: attachments saved under hostile names, the JSON
// report read by Python's json module, statuses.
#include <algorithm>
#include <string>
#include <vector>

#include "support/process.h"

namespace quillora::test {
namespace {

std::string Attachment(const std::string& name, const std::string& content) {
  return "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; "
         "filename=\"" +
         name + "\"\r\n\r\n" + content + "\r\n";
}

class mail_cli_test : public Processes {
 protected:
  Outcome ConvertFrom(const std::vector<std::string>& arguments, const std::string& input) const {
    Invocation call = ConvertCall(arguments);
    call.in = input;
    return Run(call);
  }
  std::string WriteMail(const std::string& name, const std::string& body) const {
    return WriteBytes(
        Path(name),
        "Subject: files\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n" + body + "--b--\r\n");
  }
};

TEST_F(mail_cli_test, attachments_stay_in_the_folder_and_replace_nothing) {
  const fs::path target = Path("saved");
  fs::create_directories(target / "sub");
  WriteBytes(target / "same.txt", "already here");
  WriteBytes(Path("escape.txt"), "outside");
  const std::string mail = WriteMail(
      "hostile.eml",
      Attachment("../escape.txt", "1") + Attachment("/etc/passwd", "2") + Attachment("..", "3") +
          Attachment("same.txt", "4") + Attachment("same.txt", "5") + Attachment("sub", "6") +
          Attachment("a\\\\b:c.txt", "7") + Attachment(std::string(300, 'x') + ".pdf", "8"));
  const Outcome outcome = Convert({"mail", "--save-attachments", target.string(), mail});
  ASSERT_TRUE(EndedWith(outcome, 0)) << outcome.err;
  EXPECT_EQ(ReadBytes(Path("escape.txt")), "outside");
  EXPECT_EQ(ReadBytes(target / "same.txt"), "already here");
  std::vector<std::string> names;
  std::string contents;
  for (const auto& entry : fs::recursive_directory_iterator(Path(""))) {
    if (!entry.is_regular_file()) {
      continue;
    }
    const fs::path relative = fs::relative(entry.path(), target);
    if (relative.string().starts_with("..")) {
      continue;  // the mail and the outside file
    }
    names.push_back(relative.string());
    contents += ReadBytes(entry.path());
  }
  std::sort(names.begin(), names.end());
  std::string expected = "12345678already here";
  std::sort(contents.begin(), contents.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(contents, expected);
  for (const std::string& name : names) {
    EXPECT_EQ(name.find('/'), std::string::npos) << name;  // nothing in "sub" or deeper
    EXPECT_LE(name.size(), 200u) << name;
  }
  EXPECT_NE(std::find(names.begin(), names.end(), "same (2).txt"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "same (3).txt"), names.end());
}

TEST_F(mail_cli_test, report_is_json_that_locates_each_repair) {
  // EUC-JP with a lead byte before a line end, and a character code page 932 cannot hold.
  const fs::path mail = Path("broken.eml");
  WriteBytes(
      mail,
      "Subject: x\r\nContent-Type: text/plain; charset=EUC-JP\r\n\r\n\xb0\xa1\xa1\n\xa4\xa2\r\n");
  const fs::path report = Path("report.json");
  const Outcome outcome = Convert({"mail", "--report", report.string(), mail.string()});
  ASSERT_TRUE(EndedWith(outcome, 0)) << outcome.err;
  const std::string check =
      "import json,sys\n"
      "r=json.load(open(sys.argv[1]))\n"
      "data=open(sys.argv[2],'rb').read()\n"
      "[e]=r['events']\n"
      "assert e['kind']=='replaced_invalid_byte', e\n"
      "assert "
      "data[e['input_offset']:e['input_offset']+e['input_length']]==bytes.fromhex(e['bytes'])\n"
      "assert e['bytes']=='a1' and e['produced']=='\\ufffd' and e['part']=='1', e\n"
      "assert r['charsets']==['EUC-JP'] and r['output_encoding']=='cp932'\n";
  WriteBytes(Path("check.py"), check);
  const Outcome checked =
      Run(Call("/usr/bin/python3", {Path("check.py").string(), report.string(), mail.string()}));
  EXPECT_TRUE(EndedWith(checked, 0)) << checked.err;
  // The text as code page 932: the replacement became "?", the line end stayed.
  EXPECT_TRUE(outcome.out.ends_with("\x88\x9f?\r\n\x82\xa0\r\n")) << outcome.out;
}

TEST_F(mail_cli_test, statuses) {
  const fs::path clean = Path("clean.eml");
  WriteBytes(clean, "Subject: ok\r\n\r\nplain\r\n");
  const fs::path broken = Path("broken.eml");
  WriteBytes(broken, "Subject: x\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n\xff\r\n");
  const fs::path unmappable = Path("emoji.eml");
  WriteBytes(unmappable,
             "Subject: x\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n\xf0\x9f\x98\x80\r\n");
  struct Row {
    std::vector<std::string> arguments;
    int status;
  };
  const Row rows[] = {
      {{"mail", "--strict", clean.string()}, 0},
      {{"mail", "--", clean.string()}, 0},
      {{"mail", "--strict", broken.string()}, 3},
      {{"mail", broken.string()}, 0},
      {{"mail", "--strict", unmappable.string()}, 3},
      {{"mail", "--strict", "--to", "utf-8", unmappable.string()}, 0},
      {{"mail", Path("missing").string()}, 1},
      {{"mail", "--to", "latin1", clean.string()}, 2},
      {{"mail", "--report"}, 2},
      {{"mail", clean.string(), clean.string()}, 2},
      {{"mail", "--report", Path("no/r.json").string(), clean.string()}, 1},
      {{"mail", "--report", "/dev/stdout", clean.string()}, 2},
      {{"guess"}, 2},
      {{"guess", Path("missing").string()}, 1},
  };
  for (const Row& row : rows) {
    const Outcome outcome = Convert(row.arguments);
    EXPECT_TRUE(EndedWith(outcome, row.status)) << row.arguments.back();
    EXPECT_EQ(outcome.err.empty(), row.status == 0 || row.status == 3) << outcome.err;
  }
}

TEST_F(mail_cli_test, mail_from_standard_input_and_guess) {
  const std::string sample = SamplePath("jis_mail.txt");
  const Outcome from_file = Convert({"mail", "--to", "utf-8", sample});
  const Outcome from_input = ConvertFrom({"mail", "--to", "utf-8", "-"}, sample);
  EXPECT_TRUE(EndedWith(from_file, 0));
  EXPECT_EQ(from_file.out, from_input.out);
  EXPECT_NE(from_file.out.find("Subject: Picnic on Saturday"), std::string::npos);
  const Outcome guess = Convert({"guess", SamplePath("euc_halfwidth.txt")});
  EXPECT_TRUE(EndedWith(guess, 0));
  EXPECT_TRUE(guess.out.starts_with("EUC-JP\tdecode type: euc\t")) << guess.out;
}

}  // namespace
}  // namespace quillora::test
