// Replacing a file as a whole, so that a crash or a full disk never leaves half of it.
#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <string_view>
#include <system_error>

#include "utf8.h"

namespace quillora {
namespace {

std::string Reason(std::string_view path, int error) {
  std::string reason = "cannot write '";
  reason += path;
  reason += "': ";
  reason += std::generic_category().message(error);
  return reason;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(wrote));
  }
  return true;
}

struct TemporaryFile {
  std::string path;
  int fd = -1;
};

// A fresh file in folder; O_EXCL keeps a stale or foreign file of the same name safe.
std::optional<TemporaryFile> CreateTemporary(const std::string& folder, const std::string& base) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    TemporaryFile temporary;
    temporary.path = folder;
    temporary.path += '.';
    temporary.path += base;
    temporary.path += '.';
    temporary.path += std::to_string(::getpid());
    temporary.path += '-';
    temporary.path += std::to_string(serial++);
    temporary.path += ".tmp";
    temporary.fd = ::open(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (temporary.fd >= 0) {
      return temporary;
    }
    if (errno != EEXIST) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// Fills the temporary file and closes it; errno tells why when it fails.
bool FillAndClose(const TemporaryFile& temporary, const std::string& target,
                  std::span<const std::uint8_t> bytes) {
  // A replaced file keeps its permissions; a new one gets 0666 less the umask.
  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  const bool filled = (!replacing || ::fchmod(temporary.fd, old.st_mode & 07777) == 0) &&
                      WriteAll(temporary.fd, bytes) && ::fsync(temporary.fd) == 0;
  const int error = errno;
  if (::close(temporary.fd) != 0) {
    return false;
  }
  errno = error;
  return filled;
}

}  // namespace

std::string WriteFileAtomically(const Text& path, std::span<const std::uint8_t> bytes) {
  const std::optional<std::string> target = FileNameToUtf8(path);
  if (!target) {
    return "cannot write a file whose name is not valid text";
  }
  if (target->empty() || target->back() == '/') {
    return Reason(*target, EISDIR);
  }
  const std::size_t slash = target->rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target->substr(0, slash + 1);
  const std::string base = target->substr(folder.size());

  errno = 0;
  const std::optional<TemporaryFile> temporary = CreateTemporary(folder, base);
  if (!temporary) {
    return Reason(*target, errno == 0 ? EEXIST : errno);
  }
  errno = 0;
  if (!FillAndClose(*temporary, *target, bytes) ||
      ::rename(temporary->path.c_str(), target->c_str()) != 0) {
    const int error = errno == 0 ? EIO : errno;
    ::unlink(temporary->path.c_str());
    return Reason(*target, error);
  }
  // Make the rename itself durable; the new file is in place whatever this reports.
  const int folder_fd =
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    ::fsync(folder_fd);
    ::close(folder_fd);
  }
  return {};
}

}  // namespace quillora
