// Reading a whole input into memory.
#include "io/file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <stdexcept>

#include "io/large_buffer.h"

namespace quillora {
namespace {

using ByteBuffer = std::vector<std::uint8_t>;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  [[nodiscard]] int get() const noexcept { return fd_; }

 private:
  int fd_;
};

// Reads into bytes[filled, size) until it is full or the file ends; nullopt on a read error.
std::optional<std::size_t> ReadInto(int fd, ByteBuffer& bytes, std::size_t filled) {
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

constexpr std::size_t kStreamChunk = std::size_t{64} * 1024;

std::optional<ByteBuffer> ReadOpenFile(int fd, const struct stat& status) {
  const bool sized = S_ISREG(status.st_mode) && status.st_size > 0;
  ByteBuffer bytes;
  const std::size_t length = sized ? static_cast<std::size_t>(status.st_size) : kStreamChunk;
  ReserveLarge(bytes, length + 1);
  bytes.resize(length);
  std::size_t filled = 0;
  for (;;) {
    const auto now = ReadInto(fd, bytes, filled);
    if (!now) {
      return std::nullopt;
    }
    if (sized || *now < bytes.size()) {
      bytes.resize(*now);  // a file that shrank meanwhile gives what it still holds
      break;
    }
    filled = *now;
    ReserveLarge(bytes, bytes.size() * 2 + 1);
    bytes.resize(bytes.size() * 2);
  }
  bytes.reserve(bytes.size() + 1);
  return bytes;
}

}  // namespace

std::optional<ByteBuffer> ReadWholeFile(const std::filesystem::path& path) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || S_ISDIR(status.st_mode)) {
    return std::nullopt;
  }
  try {
    return ReadOpenFile(file.get(), status);
  } catch (const std::bad_alloc&) {  // larger than the memory there is
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
}

std::optional<ByteBuffer> ReadStandardInput() {
  struct stat status {};
  if (::fstat(STDIN_FILENO, &status) != 0) {
    return std::nullopt;
  }
  try {
    // Standard input may be a file of known length; read it like one.
    return ReadOpenFile(STDIN_FILENO, status);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
}

}  // namespace quillora
