// The files opened most recently, newest first, kept in the settings file under a section of
// their own ("RecentFiles", keys "File1" to "File8") beside the eight settings.
#pragma once

#include <cstddef>
#include <vector>

#include "text/byte_buffer.h"

namespace quillora {

inline constexpr std::size_t kRecentFilesKept = 8;

// The list as the settings file holds it; empty keys and repeats are skipped.
[[nodiscard]] std::vector<Text> ReadRecentFiles(const Text& settings_file);

// Writes every key, an empty value past the list's end. True when every write succeeded.
bool WriteRecentFiles(const Text& settings_file, const std::vector<Text>& files);

// The list with path in front, once, cut to kRecentFilesKept. A path the settings file cannot hold
// as it is (a character outside code page 932, longer than a value may be) is left out.
[[nodiscard]] std::vector<Text> WithOpened(std::vector<Text> files, const Text& path);

// The list without path.
[[nodiscard]] std::vector<Text> Without(std::vector<Text> files, const Text& path);

}  // namespace quillora
