// The two path routines the program builds and splits paths with, and the bridge between path text
// and the file system's own names.
#pragma once

#include <filesystem>
#include <string_view>

#include "text/byte_buffer.h"
#include "text/utf8.h"

namespace quillora {

// Which separator rules apply. On POSIX the separator is "/" and a backslash is an ordinary
// file-name character; on Windows "/" counts as "\" where the routines say so.
enum class PathStyle { kPosix, kWindows };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

// The path with one separator appended unless it already ends with one; "" gives the separator
// alone. Windows: only "\" counts as the ending separator, and "\" is appended.
[[nodiscard]] Text AddBackslash(const Text& path, PathStyle style = kNativePathStyle);

// The folder part of a file path, without its trailing separator. A path without a separator gives
// current_folder (without a trailing separator). Windows: "/" turns into "\"; C:\a.txt gives C:
// and \a.txt gives "". POSIX: /mail/a.txt gives /mail; a file in the root gives "/" (the one
// folder that keeps its separator, as "C:\" would if the platform reported it), so
// AddBackslash(FolderOfPath(p)) + name always lands beside p.
[[nodiscard]] Text FolderOfPath(const Text& path, PathStyle style, const Text& current_folder);

// FolderOfPath with this platform's rules and the process's current folder.
[[nodiscard]] Text FolderOfPath(const Text& path);

// The process's current folder, or "" when it cannot be determined (it was removed, say).
[[nodiscard]] Text CurrentFolder();

// The batch run's output path: command_output unchanged when it holds a separator ("\" on
// Windows, "/" on POSIX); otherwise the file named command_output in the folder of command_file.
[[nodiscard]] Text BatchOutputPath(const Text& command_file, const Text& command_output,
                                   PathStyle style = kNativePathStyle);

}  // namespace quillora
