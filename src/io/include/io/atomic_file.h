// Replacing a file as a whole, so that a crash or a full disk never leaves half of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace quillora {

// Writes bytes to a temporary file in the same folder, flushes it to the disk and renames it over
// path. Returns the empty string on success, otherwise a one-line reason naming the path (UTF-8);
// the old file is then untouched and no temporary file is left behind. A symbolic link is followed:
// the file it names is replaced and the link stays. An existing device or pipe is written into
// instead (nothing to replace atomically), and any other file that is not a regular one is refused.
[[nodiscard]] std::string WriteFileAtomically(const std::filesystem::path& path,
                                              std::span<const std::uint8_t> bytes);

}  // namespace quillora
