// The two path routines, with the separator rules of POSIX or Windows.
#include "app/paths.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "text/utf8.h"

namespace quillora {

namespace {

char16_t Separator(PathStyle style) {
  return style == PathStyle::kWindows ? u'\\' : u'/';
}

}  // namespace

Text AddBackslash(const Text& path, PathStyle style) {
  const char16_t separator = Separator(style);
  if (!path.empty() && path.back() == separator) {
    return path;
  }
  return path + separator;
}

Text FolderOfPath(const Text& path, PathStyle style, const Text& current_folder) {
  const char16_t separator = Separator(style);
  Text copy = path;
  if (style == PathStyle::kWindows) {
    std::replace(copy.begin(), copy.end(), u'/', u'\\');
  }
  std::size_t n = copy.size();
  const std::size_t first = copy.find(separator);
  if (first != Text::npos && first + 1 == copy.size()) {
    if (n > 1) {
      --n;
    }
  } else {
    const std::size_t last = copy.rfind(separator);
    n = last == Text::npos ? 0 : last + 1;
  }
  Text folder = n < 1 ? current_folder : copy.substr(0, n);
  // The POSIX root keeps its separator: without it, it would not name a folder at all.
  const bool posix_root = style == PathStyle::kPosix && folder.size() == 1;
  if (!folder.empty() && folder.back() == separator && !posix_root) {
    folder.pop_back();
  }
  return folder;
}

Text FolderOfPath(const Text& path) {
  return FolderOfPath(path, kNativePathStyle, CurrentFolder());
}

Text CurrentFolder() {
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  return error ? Text() : TextFromNativePath(current);
}

Text BatchOutputPath(const Text& command_file, const Text& command_output, PathStyle style) {
  if (command_output.find(Separator(style)) != Text::npos) {
    return command_output;
  }
  return AddBackslash(FolderOfPath(command_file, style, CurrentFolder()), style) + command_output;
}

}  // namespace quillora
