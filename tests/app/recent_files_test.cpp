#include "app/recent_files.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "support/temp_folder.h"
#include "text/utf8.h"

namespace quillora::test {
namespace {


TEST(recent_files_test, opening_puts_a_path_in_front_once_and_keeps_eight) {
  std::vector<Text> files;
  for (const char16_t* path : {u"/a", u"/b", u"/c", u"/d", u"/e", u"/f", u"/g", u"/h", u"/i"}) {
    files = WithOpened(std::move(files), path);
  }
  EXPECT_EQ(files, (std::vector<Text>{u"/i", u"/h", u"/g", u"/f", u"/e", u"/d", u"/c", u"/b"}));
  files = WithOpened(std::move(files), u"/d");
  EXPECT_EQ(files, (std::vector<Text>{u"/d", u"/i", u"/h", u"/g", u"/f", u"/e", u"/c", u"/b"}));
  EXPECT_EQ(Without(files, u"/i").size(), 7u);
}

// What the settings file would change is left out rather than kept wrong.
TEST(recent_files_test, a_path_the_settings_file_cannot_hold_is_left_out) {
  const std::vector<Text> kept{u"/メール.txt"};
  for (const Text& path :
       {Text(u"/😀.txt"), Text(u"/trailing "), Text(u"/" + Text(1100, u'x')), Text()}) {
    EXPECT_EQ(WithOpened(kept, path), kept);
  }
}

TEST(recent_files_test, the_list_survives_the_settings_file_and_its_other_keys) {
  TempFolder folder;
  WriteBytes(folder.path / "Quillora.ini",
             "[View]\r\nLeft=1500\r\n[RecentFiles]\r\nFile9=/old\r\n");
  const Text ini = TextFromNativePath(folder.path / "Quillora.ini");
  const std::vector<Text> files{u"/home/花子/メール.txt", u"/tmp/b.eml"};
  ASSERT_TRUE(WriteRecentFiles(ini, files));
  EXPECT_EQ(ReadRecentFiles(ini), files);
  EXPECT_EQ(ReadIniString(ini, u"View", u"Left"), u"1500");
  ASSERT_TRUE(WriteRecentFiles(ini, {u"/tmp/b.eml"}));
  EXPECT_EQ(ReadRecentFiles(ini), std::vector<Text>{u"/tmp/b.eml"});
}

}  // namespace
}  // namespace quillora::test
