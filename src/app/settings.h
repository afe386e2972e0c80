// The settings file: eight keys in sections "View" and "Option", read once at start and written
// when the main window closes.
//
// Where the file lives: the environment variable QUILLORA_SETTINGS, when set and not empty, names
// the file itself (tests and scripted runs use it). Otherwise it is Quillora.ini beside the
// executable when that file already exists or that folder is writable; otherwise
// $XDG_CONFIG_HOME/quillora/Quillora.ini (an absolute XDG_CONFIG_HOME only), falling back to
// $HOME/.config/quillora/Quillora.ini. SaveSettings creates the file's folder when it is missing.
#pragma once

#include <optional>
#include <string_view>

#include "app/modQuillora.h"
#include "text/byte_buffer.h"

namespace quillora {

inline constexpr std::u16string_view kSettingsFileName = u"Quillora.ini";
inline constexpr char kSettingsFileVariable[] = "QUILLORA_SETTINGS";

// The value of one key: surrounding blanks removed, at most 1023 bytes of code page 932, the text
// before a NUL; "" when the key is missing or empty or the file cannot be read.
[[nodiscard]] Text ReadIniString(const Text& strFileName, const Text& strSection,
                                 const Text& strKey);

// Writes one key atomically. Returns true when the write FAILED, false when it succeeded.
bool WriteIniString(const Text& strFileName, const Text& strSection, const Text& strKey,
                    const Text& strValue);

// Fills the eight settings strings from the settings file, a default for each that is missing or
// empty ("500", "500", "7830", "5220", the program's folder, "MS UI Gothic", "10", "0").
void LoadSettings(AppState& state = App());

// Writes the eight settings strings, one key at a time in table order, whatever their content.
// Failures are not reported. A settings file too large to be read whole is left as it is.
void SaveSettings(const AppState& state = App());

// The settings as the program acts on them, each read from its text by one rule, so that the
// menu, the dialog and the batch run agree; the text itself is kept for the file's round trip.
// The default decode type: the stored number rounded to a whole one, when that is a row of the
// decode-type table.
[[nodiscard]] std::optional<int> DefaultDecodeTypeSetting(const AppState& state = App());
// The font size in points, when the stored text is a positive number.
[[nodiscard]] std::optional<double> FontSizeSetting(const AppState& state = App());

// True when the settings file is too large to be read whole: only its first part was read, and it
// will not be written. The desktop program says so once at start.
[[nodiscard]] bool SettingsFileTooLarge();

// The folder of the running executable (from /proc/self/exe), without a trailing separator; the
// current folder when the platform does not say.
[[nodiscard]] Text ProgramFolder();

// Makes ProgramFolder() return folder until called again with nullopt. For tests.
void SetProgramFolderForTesting(std::optional<Text> folder);

// The settings file's full path, chosen as described at the top of this header.
[[nodiscard]] Text SettingsFilePath();

}  // namespace quillora
