// Sender-chosen attachment names made safe to write into a folder.
#include "mail/attachment_files.h"

#include <gtest/gtest.h>

#include <string>

namespace quillora::test {
using namespace mail;
namespace {

TEST(safe_file_name_test, cases) {
  const struct {
    std::u16string name;
    std::string safe;
  } cases[] = {
      {u"報告書.pdf", "報告書.pdf"},
      {u"../../etc/passwd", "_.._etc_passwd"},
      {u"..", "attachment"},
      {u"", "attachment"},
      {u" .hidden", "hidden"},
      {u"name. ", "name"},
      {u"a\\b:c*?\"<>|.txt", "a_b_c______.txt"},
      {u"tab\there\r\n", "tab_here__"},
      {u"lone\xD800surrogate", "lone_surrogate"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SafeFileName(c.name), c.safe);
  }
}

// A long name is cut on a character boundary with its extension kept.
TEST(safe_file_name_test, long_name_keeps_its_extension) {
  std::u16string name;
  for (int i = 0; i < 150; ++i) {
    name += u"長";
  }
  const std::string safe = SafeFileName(name + u".xlsx");
  EXPECT_LE(safe.size(), 200u);
  EXPECT_TRUE(safe.ends_with("長.xlsx")) << safe;
}

}  // namespace
}  // namespace quillora::test
