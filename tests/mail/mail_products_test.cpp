// A mail read as code page 932 gives the bytes of its text read as text, and the same events, in
// every shape: clean parts that skip the text, broken parts around them, nested messages, mbox.
// Its attachments, counted but not kept, have the sizes of those kept.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mail/mail_reader.h"
#include "text/cp932_codec.h"

namespace quillora::test {
using namespace mail;
namespace {

void ExpectSameReading(std::span<const std::uint8_t> input, const std::string& name) {
  SCOPED_TRACE(name);
  const MailReading text = ReadMail(input);
  const ByteBuffer expected = TextToBytes(text.text);
  // Handed on a piece at a time, and kept whole.
  ByteBuffer handed;
  const MailReading cp932 =
      ReadMail(input, {MailProduct::cp932, false, [&handed](std::span<const std::uint8_t> piece) {
                         handed.insert(handed.end(), piece.begin(), piece.end());
                       }});
  EXPECT_TRUE(cp932.text.empty());
  EXPECT_TRUE(cp932.cp932.empty());
  EXPECT_EQ(handed, expected);
  EXPECT_EQ(ReadMail(input, {MailProduct::cp932, true, {}}).cp932, expected);
  EXPECT_EQ(cp932.charsets, text.charsets);
  EXPECT_EQ(cp932.transfer_encodings, text.transfer_encodings);
  ASSERT_EQ(cp932.attachments.size(), text.attachments.size());
  for (std::size_t i = 0; i < text.attachments.size(); ++i) {
    EXPECT_EQ(cp932.attachments[i].name, text.attachments[i].name);
    EXPECT_EQ(text.attachments[i].size, text.attachments[i].data.size());
    EXPECT_EQ(cp932.attachments[i].size, text.attachments[i].size) << "counted as kept";
    EXPECT_TRUE(cp932.attachments[i].data.empty());
  }
  ASSERT_EQ(cp932.events.size(), text.events.size());
  for (std::size_t i = 0; i < text.events.size(); ++i) {
    const RepairEvent& a = cp932.events[i];
    const RepairEvent& b = text.events[i];
    EXPECT_EQ(a.kind, b.kind) << i;
    EXPECT_EQ(a.part, b.part) << i;
    EXPECT_EQ(a.input_offset, b.input_offset) << i;
    EXPECT_EQ(a.input_length, b.input_length) << i;
    EXPECT_EQ(a.text_offset, b.text_offset) << i;
    EXPECT_EQ(a.text_length, b.text_length) << i;
    EXPECT_EQ(a.bytes, b.bytes) << i;
    EXPECT_EQ(a.produced, b.produced) << i;
    EXPECT_EQ(a.detail, b.detail) << i;
    EXPECT_EQ(a.more, b.more) << i;
  }
}

ByteBuffer ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(mail_products_test, every_fixture_and_sample_reads_the_same_both_ways) {
  const std::filesystem::path samples(QUILLORA_SAMPLES_DIR);
  std::size_t files = 0;
  for (const auto& folder : {samples, samples.parent_path() / "tests" / "mail" / "fixtures"}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().filename() != "expectations.txt") {
        ExpectSameReading(ReadFile(entry.path()), entry.path().filename().string());
        ++files;
      }
    }
  }
  EXPECT_GT(files, 25U);
}

ByteBuffer Mail(const std::string& text) {
  return {text.begin(), text.end()};
}

std::string Repeated(const std::string& text, std::size_t times) {
  std::string repeated;
  repeated.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) {
    repeated += text;
  }
  return repeated;
}

std::string Part(const std::string& headers, const std::string& body) {
  return "--b\r\n" + headers + "\r\n\r\n" + body + "\r\n";
}

// Clean parts, which go straight to code page 932, before and after parts that need repairs:
// the later events' text places count the clean parts' characters, half-width kana among them.
TEST(mail_products_test, repairs_after_clean_parts_keep_their_places) {
  const std::string head =
      "From: a@example.com\r\nSubject: =?ISO-2022-JP?B?GyRCJEgbKEI=?=\r\n"
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
  const std::string jis = "\x1B$B$3$s$K$A$O\x1B(B abc\r\n\x1B$B4A;z\x1B(B\n";
  const std::string sjis = "\x82\xB1\xB1\xB2\x82\xF1\r\nline\n\x8A\xBF\r";  // lone CR at the end
  const std::string euc = "\xA4\xB3\xA4\xF3\x8E\xB1\r\n";
  const std::string broken_euc = "\xA4\xB3\xA4\r\n\xFF";
  const std::string unmappable_utf8 = "caf\xC3\xA9 \xF0\x9F\x98\x80\r\n";
  const std::string cut_jis = "\x1B$B$3$s\r\nabc";
  const std::string nested =
      "Subject: inner\r\nContent-Type: text/plain; charset=Shift_JIS\r\n\r\n"
      "\x82\xB1\x82\xF1\r\n\x80\r\n";
  const std::vector<std::pair<std::string, std::string>> mails{
      {"clean only", head + Part("Content-Type: text/plain; charset=ISO-2022-JP", jis) +
                         Part("Content-Type: text/plain; charset=Shift_JIS", sjis) +
                         Part("Content-Type: text/plain; charset=EUC-JP", euc) + "--b--\r\n"},
      {"repairs after clean",
       head + Part("Content-Type: text/plain; charset=Shift_JIS", sjis) +
           Part("Content-Type: text/plain; charset=EUC-JP", broken_euc) +
           Part("Content-Type: text/plain; charset=ISO-2022-JP", jis) +
           Part("Content-Type: text/plain; charset=UTF-8", unmappable_utf8) +
           Part("Content-Type: text/plain; charset=ISO-2022-JP", cut_jis) +
           Part(
               "Content-Type: application/octet-stream; name=\"=?ISO-2022-JP?B?GyRCJTUbKEI=?=\"\r\n"
               "Content-Transfer-Encoding: base64",
               "QUJD\r\nRA") +
           "--b--\r\n"},
      {"nested after clean", head + Part("Content-Type: text/plain; charset=EUC-JP", euc) +
                                 Part("Content-Type: message/rfc822", nested) +
                                 Part("Content-Type: text/plain; charset=EUC-JP", broken_euc) +
                                 "--b--\r\n"},
      {"uuencode inside clean text",
       head +
           Part("Content-Type: text/plain; charset=Shift_JIS",
                sjis + "\r\nbegin 644 a.txt\r\n#86)C\r\n`\r\nend\r\n" + broken_euc) +
           "--b--\r\n"},
      {"mbox",
       "From a@example.com Mon Jan  1 00:00:00 2024\nSubject: one\n"
       "Content-Type: text/plain; charset=ISO-2022-JP\n\n" +
           jis +
           "\nFrom b@example.com Mon Jan  1 00:00:00 2024\nSubject: two\n"
           "Content-Type: text/plain; charset=EUC-JP\n\n" +
           broken_euc + "\n"},
      {"bare text", sjis + broken_euc},
      // Large bodies whose repair comes after pieces were handed on: the text read instead
      // lays out only the rest.
      {"large clean then repaired",
       head + Part("Content-Type: text/plain; charset=Shift_JIS", Repeated(sjis, 300000) + "\x80") +
           Part("Content-Type: text/plain; charset=ISO-2022-JP", Repeated(jis, 200000) + cut_jis) +
           Part("Content-Type: text/plain; charset=EUC-JP", Repeated(euc, 400000) + broken_euc) +
           "--b--\r\n"},
  };
  for (const auto& [name, mail] : mails) {
    ExpectSameReading(Mail(mail), name);
  }
}

// Control characters a sender writes into a header or a file name, line ends among them, are
// blanks in the text: its lines stay those of the layout, and no header line can be forged.
TEST(mail_products_test, names_and_headers_stay_on_their_lines) {
  const std::string uuencoded = "begin 644 a\rb.bin\r\n#86)C\r\n`\r\nend\r\n";
  const std::vector<std::pair<std::string, std::string>> mails{
      {"encoded line end in a subject",
       "Subject: =?UTF-8?Q?hello=0D=0AFrom:_forged@example.com?=\r\n\r\nbody\r\n"},
      {"lone CR in an attachment name",
       "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
       "Content-Type: application/octet-stream\r\n"
       "Content-Disposition: attachment; "
       "filename*=iso-2022-jp''a%0Db%0A%07c\r\n\r\nxyz\r\n--b--\r\n"},
      {"CR in a uuencoded file's name", "Subject: s\r\n\r\ntext\r\n" + uuencoded},
  };
  for (const auto& [name, mail] : mails) {
    SCOPED_TRACE(name);
    const MailReading reading = ReadMail(Mail(mail));
    const Text& text = reading.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r') {
        ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == u'\n') << i;
      }
      if (text[i] == u'\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == u'\r') << i;
      }
      ASSERT_TRUE(text[i] >= 0x20 || text[i] == u'\r' || text[i] == u'\n') << i;
    }
    EXPECT_EQ(text.find(u"\r\nFrom:"), Text::npos);
    ExpectSameReading(Mail(mail), name);
  }
  // The name kept for saving is the sender's; saving makes it safe (SafeFileName).
  const MailReading attached = ReadMail(Mail(mails[1].second));
  ASSERT_EQ(attached.attachments.size(), 1U);
  EXPECT_EQ(attached.attachments[0].name,
            u"a\rb\n\x07"
            u"c");
}

}  // namespace
}  // namespace quillora::test
