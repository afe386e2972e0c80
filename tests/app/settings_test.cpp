#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/paths.h"
#include "support/temp_folder.h"

namespace quillora::test {
namespace {

using namespace std::string_literals;

// The settings file lives in a writable program folder of each test's own.
class settings_test : public ::testing::Test {
 protected:
  settings_test() {
    ::unsetenv(kSettingsFileVariable);
    SetProgramFolderForTesting(program_);
  }
  ~settings_test() override { SetProgramFolderForTesting(std::nullopt); }

  TempFolder folder_;
  Text program_ = TextFromNativePath(folder_.path);
  Text ini_ = program_ + u"/Quillora.ini";
};

TEST_F(settings_test, read_ini_string_trims_cuts_and_stops_at_nul) {
  WriteBytes(folder_.path / "Quillora.ini",
             "[V]\r\na=   lead\r\nq=\"  in quotes  \"\r\nlong=" + std::string(2000, 'x') +
                 "\r\njp=\x83\x81\x81\x5B\r\nzero=a\0b\r\n"s);
  EXPECT_EQ(ReadIniString(ini_, u"V", u"a"), u"lead");
  EXPECT_EQ(ReadIniString(ini_, u"V", u"q"), u"in quotes  ");
  EXPECT_EQ(ReadIniString(ini_, u"V", u"long"), Text(1023, u'x'));
  EXPECT_EQ(ReadIniString(ini_, u"V", u"zero"), u"a");
  EXPECT_EQ(ReadIniString(ini_, u"V", u"jp"), u"メー");
}

TEST_F(settings_test, write_ini_string_reports_failure_as_true) {
  EXPECT_FALSE(WriteIniString(ini_, u"Option", u"LastOpenFolder", u"/メ"));
  EXPECT_EQ(ReadBytes(folder_.path / "Quillora.ini"), "[Option]\r\nLastOpenFolder=/\x83\x81\r\n");
  EXPECT_TRUE(WriteIniString(program_, u"Option", u"Key", u"v"));  // a folder, not a file
}

TEST_F(settings_test, no_file_gives_defaults_and_saving_writes_all_eight_keys) {
  AppState state;
  LoadSettings(state);
  EXPECT_EQ(state.LastOpenFolder, program_);
  SaveSettings(state);
  EXPECT_EQ(ReadBytes(folder_.path / "Quillora.ini"),
            "[View]\r\nLeft=500\r\nTop=500\r\nWidth=7830\r\nHeight=5220\r\n[Option]\r\n"
            "LastOpenFolder=" +
                folder_.path.string() +
                "\r\nSelectFont=MS UI Gothic\r\nSelectFontsize=10\r\nDefaultDecodeType=0\r\n");
}

TEST_F(settings_test, load_and_save_keep_what_they_do_not_own) {
  WriteBytes(
      folder_.path / "Quillora.ini",
      "; notes\n[view]\nLEFT=  -20\nWidth=\n[Other]\nx=y\n[Option]\nDefaultDecodeType=abc\n");
  AppState state;
  LoadSettings(state);
  EXPECT_EQ(state.ViewLeft, u"-20");
  EXPECT_EQ(state.ViewWidth, u"7830");  // empty counts as missing
  EXPECT_EQ(state.DefaultDecodeType, u"abc");
  state.LastOpenFolder = u"/m";
  SaveSettings(state);
  EXPECT_EQ(ReadBytes(folder_.path / "Quillora.ini"),
            "; notes\n[view]\nLEFT=  -20\nWidth=7830\nTop=500\nHeight=5220\n[Other]\nx=y\n"
            "[Option]\nDefaultDecodeType=abc\nLastOpenFolder=/m\nSelectFont=MS UI Gothic\n"
            "SelectFontsize=10\n");
}

}  // namespace
}  // namespace quillora::test
