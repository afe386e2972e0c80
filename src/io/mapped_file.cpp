// A file read in place.
#include "io/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace quillora {

std::optional<MappedFile> MappedFile::Open(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
    ::close(fd);
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  // Zero pages past the file's own, so that the byte after its last is there and zero even when
  // the file ends at a page's end; the file is then mapped over the front of them.
  const std::size_t mapped = (size / page + 1) * page;
  void* const area = ::mmap(nullptr, mapped, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) {
    ::close(fd);
    return std::nullopt;
  }
  // MAP_POPULATE maps the cached pages in one call instead of a fault per page.
  void* const file = ::mmap(area, size, PROT_READ, MAP_PRIVATE | MAP_FIXED | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (file == MAP_FAILED) {
    ::munmap(area, mapped);
    return std::nullopt;
  }
  ::madvise(file, size, MADV_SEQUENTIAL);
  return MappedFile(static_cast<const std::uint8_t*>(file), size, mapped);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(other.data_), size_(other.size_), mapped_(other.mapped_) {
  other.mapped_ = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Unmap();
    data_ = other.data_;
    size_ = other.size_;
    mapped_ = other.mapped_;
    other.mapped_ = 0;
  }
  return *this;
}

MappedFile::~MappedFile() {
  Unmap();
}

void MappedFile::Unmap() noexcept {
  if (mapped_ > 0) {
    ::munmap(const_cast<std::uint8_t*>(data_), mapped_);  // NOLINT: munmap takes a void*
    mapped_ = 0;
  }
}

namespace {

int g_shrunk_status = 1;
const char* g_shrunk_message = "";

extern "C" void OnShrunkFile(int /*signal*/) {
  // Only async-signal-safe calls here.
  const ssize_t ignored = ::write(STDERR_FILENO, g_shrunk_message, std::strlen(g_shrunk_message));
  (void)ignored;
  ::_exit(g_shrunk_status);
}

}  // namespace

void ExitWhenMappedFileShrinks(int status, const char* message) noexcept {
  g_shrunk_status = status;
  g_shrunk_message = message;
  struct sigaction action {};
  action.sa_handler = OnShrunkFile;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, nullptr);
}

}  // namespace quillora
