// The settings file: where it lives, and the eight keys read and written in table order.
#include "app/settings.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>
#include <system_error>

#include "app/number_text.h"
#include "app/paths.h"
#include "convert/decode_types.h"
#include "io/user_folders.h"
#include "platform/ini_file.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora {

namespace {

struct Setting {
  std::u16string_view section;
  std::u16string_view key;
  Text AppState::*field;
  std::u16string_view default_value;  // empty for LastOpenFolder: the program's folder
};

constexpr std::array<Setting, 8> kSettings{{
    {u"View", u"Left", &AppState::ViewLeft, u"500"},
    {u"View", u"Top", &AppState::ViewTop, u"500"},
    {u"View", u"Width", &AppState::ViewWidth, u"7830"},
    {u"View", u"Height", &AppState::ViewHeight, u"5220"},
    {u"Option", u"LastOpenFolder", &AppState::LastOpenFolder, u""},
    {u"Option", u"SelectFont", &AppState::SelectFont, u"MS UI Gothic"},
    {u"Option", u"SelectFontsize", &AppState::SelectFontsize, u"10"},
    {u"Option", u"DefaultDecodeType", &AppState::DefaultDecodeType, u"0"},
}};

constexpr std::uint32_t kBufferSize = 1024;

std::optional<Text>& ProgramFolderOverride() {
  static std::optional<Text> folder;
  return folder;
}

std::string Cp932(const Text& text) {
  const ByteBuffer bytes = TextToBytes(text);
  return {bytes.begin(), bytes.end()};
}

Text FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? Text() : TextFromFileName(value);
}

}  // namespace

Text ReadIniString(const Text& strFileName, const Text& strSection, const Text& strKey) {
  std::string buffer(kBufferSize, ' ');
  const std::uint32_t count = ini::GetPrivateProfileStringA(
      Cp932(strSection), Cp932(strKey), "", buffer.data(), kBufferSize, NativePath(strFileName));
  if (count == 0) {
    return Text();
  }
  // Trimming the whole buffer, not just the value, is what cuts leading blanks that survived
  // inside quotes while keeping trailing ones: the NUL shields them.
  const std::size_t begin = buffer.find_first_not_of(' ');
  if (begin == std::string::npos) {
    return Text();
  }
  const std::string_view trimmed =
      std::string_view(buffer).substr(begin, buffer.find_last_not_of(' ') - begin + 1);
  const std::string_view value = trimmed.substr(0, trimmed.find('\0'));
  return BytesToText({reinterpret_cast<const std::uint8_t*>(value.data()), value.size()});
}

bool WriteIniString(const Text& strFileName, const Text& strSection, const Text& strKey,
                    const Text& strValue) {
  return !ini::WritePrivateProfileStringA(Cp932(strSection), Cp932(strKey), Cp932(strValue),
                                          NativePath(strFileName));
}

void LoadSettings(AppState& state) {
  const Text file = SettingsFilePath();
  for (const Setting& setting : kSettings) {
    Text value = ReadIniString(file, Text(setting.section), Text(setting.key));
    if (value.empty()) {
      value = setting.field == &AppState::LastOpenFolder ? ProgramFolder()
                                                         : Text(setting.default_value);
    }
    state.*setting.field = std::move(value);
  }
}

void SaveSettings(const AppState& state) {
  const Text file = SettingsFilePath();
  std::error_code ignored;
  std::filesystem::create_directories(NativePath(file).parent_path(), ignored);
  for (const Setting& setting : kSettings) {
    WriteIniString(file, Text(setting.section), Text(setting.key), state.*setting.field);
  }
}

bool SettingsFileTooLarge() {
  return ini::IsTooLargeToReadWhole(NativePath(SettingsFilePath()));
}

std::optional<int> DefaultDecodeTypeSetting(const AppState& state) {
  const std::optional<std::int16_t> index =
      WholeNumberFromText<std::int16_t>(state.DefaultDecodeType);
  if (!index || !DecodeTypeAt(*index)) {
    return std::nullopt;
  }
  return *index;
}

std::optional<double> FontSizeSetting(const AppState& state) {
  const std::optional<double> size = NumberFromText(state.SelectFontsize);
  if (!size || *size <= 0) {
    return std::nullopt;
  }
  return size;
}

Text ProgramFolder() {
  if (ProgramFolderOverride()) {
    return *ProgramFolderOverride();
  }
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? CurrentFolder() : FolderOfPath(TextFromNativePath(executable));
}

void SetProgramFolderForTesting(std::optional<Text> folder) {
  ProgramFolderOverride() = std::move(folder);
}

Text SettingsFilePath() {
  if (Text chosen = FromEnvironment(kSettingsFileVariable); !chosen.empty()) {
    return chosen;
  }
  const Text folder = ProgramFolder();
  Text beside = AddBackslash(folder) + Text(kSettingsFileName);
  std::error_code error;
  if (std::filesystem::exists(NativePath(beside), error) ||
      (!folder.empty() && ::access(NativePath(folder).c_str(), W_OK) == 0)) {
    return beside;
  }
  const std::optional<std::filesystem::path> config = UserConfigFolder();
  if (!config) {
    return beside;  // nowhere better; a write there fails silently
  }
  return TextFromNativePath(*config / "quillora" / NativePath(kSettingsFileName));
}

}  // namespace quillora
