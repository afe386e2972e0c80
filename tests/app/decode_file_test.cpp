#include "app/decode_file.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "mail/mail_reader.h"
#include "support/temp_folder.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora::test {
namespace {

// That each decode type gives what quillora-convert prints in its mode: the batch run in
// hostile_input_test, the desktop program in frmQuillora_test.
TEST(decode_file_test, only_the_six_exact_decode_types_read_anything) {
  for (const char16_t* type : {u"00", u"6", u" 1", u"", u"-1"}) {
    Text file = u"" QUILLORA_SAMPLES_DIR "/jis_mail.txt";
    EXPECT_EQ(DecodeTypeOf(type), std::nullopt);
    EXPECT_TRUE(DecodeFile(file, type).empty());
  }
}

// The hint after a decode type that changed nothing: the file is compared again a megabyte at a
// time, and a pair split between two pieces still counts as unchanged.
TEST(decode_file_test, a_type_that_changes_nothing_names_the_one_that_fits) {
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  std::string euc = "x";
  while (euc.size() < kPiece - 1) {
    euc += "\xA4\xA2";  // あ
  }
  euc += "\xE0\xA1\xA4\xA2\r\n";  // E0 is a lead byte in code page 932: it ends the first piece
  const TempFolder folder;
  for (const bool fits : {false, true}) {
    Text file = TextFromNativePath(WriteBytes(folder / "euc.txt", euc));
    DecodeNotes notes;
    const ByteBuffer decoded = DecodeFile(file, fits ? u"1" : u"0", &notes);
    ASSERT_FALSE(decoded.empty());
    EXPECT_EQ(notes.looks_like, fits ? std::nullopt : std::optional(1));
  }
}

// Each repair of a whole mail is found in the result's bytes as what it produced, code page 932
// lacking U+FFFD and emoji alike ("?"), and placing them leaves the bytes as they are.
TEST(decode_file_test, whole_mail_repairs_are_placed_in_the_result) {
  const std::string mail =
      "Subject: =?UTF-8?B?8J+YgA==?= x\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n"
      "\xE6\x97\xA5\xF0\x9F\x98\x80\xE6\x9C\xAC\r\nab\xFF\xC3\xA9"
      "c\r\n";
  const ByteBuffer input(mail.begin(), mail.end());
  Text name = u"mail.eml";
  DecodeNotes notes;
  const ByteBuffer result = DecodeBytes(input, name, 5, &notes);

  ByteBuffer whole;
  AppendTextAsBytes(mail::ReadMail(input).text, whole);
  EXPECT_EQ(result, whole);
  ASSERT_EQ(notes.repairs.size(), 4U);
  EXPECT_EQ(notes.repair_count, 4U);
  for (const Repair& repair : notes.repairs) {
    ASSERT_LE(repair.result_offset + repair.result_length, result.size());
    EXPECT_EQ(ByteBuffer(result.begin() + static_cast<std::ptrdiff_t>(repair.result_offset),
                         result.begin() + static_cast<std::ptrdiff_t>(repair.result_offset +
                                                                      repair.result_length)),
              ByteBuffer{'?'})
        << repair.event.text_offset;
  }
  const std::string text(result.begin(), result.end());
  EXPECT_EQ(notes.repairs.back().result_offset, text.find("ab??c") + 3);
}

}  // namespace
}  // namespace quillora::test
