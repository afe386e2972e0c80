#include "app/paths.h"

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

TEST(paths_test, splits_at_the_last_separator) {
  const struct {
    PathStyle style;
    Text path, current, folder;
  } cases[] = {
      {kWin, u"C:/m/a.txt", u"x", u"C:\\m"},   {kWin, u"C:\\a.txt", u"x", u"C:"},
      {kWin, u"\\a.txt", u"x", u""},           {kWin, u"a.txt", u"C:\\", u"C:"},
      {kPosix, u"/a.txt", u"/cur", u"/"},      {kPosix, u"a.txt", u"/", u"/"},
      {kPosix, u"C:\\m\\a", u"/cur", u"/cur"}, {kPosix, u"/a\\b/c\\d.txt", u"/cur", u"/a\\b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FolderOfPath(c.path, c.style, c.current), c.folder) << testing::PrintToString(c.path);
  }
}

TEST(paths_test, appends_one_separator) {
  EXPECT_EQ(AddBackslash(u"", kWin), u"\\");
  EXPECT_EQ(AddBackslash(u"C:\\m\\", kWin), u"C:\\m\\");
  EXPECT_EQ(AddBackslash(u"/m/", kPosix), u"/m/");
  EXPECT_EQ(AddBackslash(u"m\\", kPosix), u"m\\/");
}

TEST(paths_test, puts_a_bare_name_beside_the_input) {
  const struct {
    PathStyle style;
    Text input, output, expected;
  } cases[] = {
      {kPosix, u"/mail/in.txt", u"out.txt", u"/mail/out.txt"},
      {kPosix, u"in.txt", u"out.txt", AddBackslash(CurrentFolder(), kPosix) + u"out.txt"},
      {kPosix, u"/mail/in.txt", u"sub/o.txt", u"sub/o.txt"},
      {kWin, u"C:\\in.txt", u"b.txt", u"C:\\b.txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BatchOutputPath(c.input, c.output, c.style), c.expected)
        << testing::PrintToString(c.input);
  }
}

TEST(paths_test, round_trips_and_survives_lone_surrogates) {
  EXPECT_EQ(TextFromNativePath(NativePath(u"/メール/a b.txt")), u"/メール/a b.txt");
  EXPECT_EQ(NativePath(u"/a\xD800").native(), "/a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quillora::test
