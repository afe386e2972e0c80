#include "mail/attachment_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "io/atomic_file.h"
#include "text/utf8.h"

namespace quillora::mail {
namespace {

constexpr std::size_t kMaxNameBytes = 200;

bool IsForbidden(char16_t c) {
  return c < 0x20 || c == 0x7F || c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' ||
         c == u'"' || c == u'<' || c == u'>' || c == u'|' || (c >= 0xD800 && c <= 0xDFFF);
}

// Cuts UTF-8 to at most `limit` bytes without splitting a character.
std::string CutUtf8(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) {
    return text;
  }
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
    --end;
  }
  return text.substr(0, end);
}

std::pair<std::string, std::string> StemAndExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || name.size() - dot > 16) {
    return {name, ""};
  }
  return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

std::string SafeFileName(std::u16string_view name) {
  Text safe;
  for (const char16_t c : name) {
    safe += IsForbidden(c) ? u'_' : c;
  }
  // Surrogate pairs were replaced above one unit at a time; a name keeps its other characters.
  const auto first = safe.find_first_not_of(u". ");
  safe = first == Text::npos ? Text() : safe.substr(first);
  while (!safe.empty() && (safe.back() == u'.' || safe.back() == u' ')) {
    safe.pop_back();
  }
  if (safe.empty()) {
    return "attachment";
  }
  const std::string utf8 = Utf8FromText(safe);
  const auto [stem, extension] = StemAndExtension(utf8);
  return CutUtf8(stem, kMaxNameBytes - extension.size()) + extension;
}

std::filesystem::path SaveAttachment(const std::filesystem::path& folder, const std::string& name,
                                     const ByteBuffer& bytes, std::string& problem) {
  const auto [stem, extension] = StemAndExtension(name);
  for (int number = 1; number < 10000; ++number) {
    const std::string candidate =
        number == 1 ? name : stem + " (" + std::to_string(number) + ")" += extension;
    std::filesystem::path path = folder / candidate;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) {
        continue;
      }
      problem = path.string() + ": " + std::generic_category().message(errno);
      return {};
    }
    ::close(fd);
    problem = WriteFileAtomically(path, bytes);
    if (!problem.empty()) {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
      return {};
    }
    return path;
  }
  problem = (folder / name).string() + ": no free name";
  return {};
}

}  // namespace quillora::mail
