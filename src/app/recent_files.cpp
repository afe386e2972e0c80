// The recently opened files in the settings file.
#include "app/recent_files.h"

#include <algorithm>
#include <string>

#include "app/settings.h"
#include "text/cp932_codec.h"

namespace quillora {

namespace {

constexpr std::u16string_view kSection = u"RecentFiles";
// The settings reader returns at most this many bytes of a value.
constexpr std::size_t kLongestValue = 1023;

Text Key(std::size_t number) {
  const std::string digits = std::to_string(number);
  return u"File" + Text(digits.begin(), digits.end());
}

bool SettingsFileCanHold(const Text& path) {
  const ByteBuffer bytes = TextToBytes(path);
  return !path.empty() && bytes.size() <= kLongestValue && BytesToText(bytes) == path &&
         path.front() != u' ' && path.back() != u' ';
}

}  // namespace

std::vector<Text> ReadRecentFiles(const Text& settings_file) {
  std::vector<Text> files;
  for (std::size_t number = 1; number <= kRecentFilesKept; ++number) {
    Text path = ReadIniString(settings_file, Text(kSection), Key(number));
    if (!path.empty() && std::find(files.begin(), files.end(), path) == files.end()) {
      files.push_back(std::move(path));
    }
  }
  return files;
}

bool WriteRecentFiles(const Text& settings_file, const std::vector<Text>& files) {
  bool written = true;
  for (std::size_t number = 1; number <= kRecentFilesKept; ++number) {
    const Text value = number <= files.size() ? files[number - 1] : Text();
    // WriteIniString says true when it failed.
    written = !WriteIniString(settings_file, Text(kSection), Key(number), value) && written;
  }
  return written;
}

std::vector<Text> WithOpened(std::vector<Text> files, const Text& path) {
  files = Without(std::move(files), path);
  if (SettingsFileCanHold(path)) {
    files.insert(files.begin(), path);
  }
  if (files.size() > kRecentFilesKept) {
    files.resize(kRecentFilesKept);
  }
  return files;
}

std::vector<Text> Without(std::vector<Text> files, const Text& path) {
  files.erase(std::remove(files.begin(), files.end(), path), files.end());
  return files;
}

}  // namespace quillora
