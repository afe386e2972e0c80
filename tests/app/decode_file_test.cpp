#include "app/decode_file.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace quillora::test
