// Replacing a file as a whole, so that a crash or a full disk never leaves half of it.
#include "io/atomic_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

namespace quillora {
namespace {

std::string Reason(std::string_view path, int error) {
  std::string reason = "cannot write '";
  reason += path;
  reason += "': ";
  reason += std::generic_category().message(error);
  return reason;
}

std::string Reason(std::string_view path, std::string_view why) {
  std::string reason = "cannot write '";
  reason += path;
  reason += "': ";
  reason += why;
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

// Temporary files being written, removed by the handler of a signal that ends the process, so
// that an interrupted save leaves the old file or the new one and nothing beside them. A few
// writes at once are covered (the desktop program may save while it writes its settings).
class PendingFiles {
  static constexpr std::size_t kSlots = 8;

 public:
  static PendingFiles& Instance() {
    static PendingFiles pending;
    return pending;
  }

  static constexpr std::size_t kNone = kSlots;

  // The slot that now holds path, or kNone when none is free or the path is too long.
  std::size_t Hold(const std::string& path) {
    if (path.size() >= kMaxPath) {
      return kNone;
    }
    for (std::size_t k = 0; k < kSlots; ++k) {
      int expected = kFree;
      if (slots_[k].state.compare_exchange_strong(expected, kFilling)) {
        std::memcpy(slots_[k].path.data(), path.c_str(), path.size() + 1);
        slots_[k].state.store(kHeld);
        return k;
      }
    }
    return kNone;
  }
  void Release(std::size_t slot) {
    if (slot != kNone) {
      slots_[slot].state.store(kFree);
    }
  }

 private:
  static constexpr std::size_t kMaxPath = 4096;
  static constexpr int kFree = 0;
  static constexpr int kFilling = 1;
  static constexpr int kHeld = 2;
  struct Slot {
    std::atomic<int> state{kFree};
    std::array<char, kMaxPath> path{};
  };

  PendingFiles() {
    // Only where the signal would end the process anyway: a handler of the program's own stays.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        struct sigaction removing {};
        removing.sa_handler = &PendingFiles::RemoveAndEnd;
        removing.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER);
        sigemptyset(&removing.sa_mask);
        ::sigaction(signal, &removing, nullptr);
      }
    }
  }

  // Async-signal-safe: unlink, then the signal again with its default action.
  static void RemoveAndEnd(int signal) {
    for (Slot& slot : Instance().slots_) {
      if (slot.state.load() == kHeld) {
        ::unlink(slot.path.data());
      }
    }
    ::raise(signal);
  }

  std::array<Slot, kSlots> slots_;
};

struct TemporaryFile {
  std::string path;
  int fd = -1;
  std::size_t pending_slot = PendingFiles::kNone;
};

// Blocks the ending signals for its life, so that a file is never created without being held.
class EndingSignalsBlocked {
 public:
  EndingSignalsBlocked() {
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      sigaddset(&ending, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &ending, &before_);
  }
  ~EndingSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
  EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

 private:
  sigset_t before_{};
};

// A fresh file in folder; O_EXCL keeps a stale or foreign file of the same name safe.
std::optional<TemporaryFile> CreateTemporary(const std::string& folder, const std::string& base) {
  static std::atomic<unsigned> serial{0};
  // A name may take 255 bytes, and 80 Japanese characters nearly do: the temporary file keeps at
  // most 200 bytes of it, cut between characters, to leave room for what is added.
  constexpr std::size_t kKeep = 200;
  const auto continues = [&](std::size_t at) {
    return at < base.size() && (static_cast<unsigned char>(base[at]) & 0xC0) == 0x80;
  };
  std::size_t keep = std::min(base.size(), kKeep);
  while (keep > 0 && continues(keep)) {
    --keep;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    TemporaryFile temporary;
    temporary.path = folder;
    temporary.path += '.';
    temporary.path.append(base, 0, keep);
    temporary.path += '.';
    temporary.path += std::to_string(::getpid());
    temporary.path += '-';
    temporary.path += std::to_string(serial++);
    temporary.path += ".tmp";
    PendingFiles& pending = PendingFiles::Instance();
    const EndingSignalsBlocked blocked;
    temporary.fd = ::open(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (temporary.fd >= 0) {
      temporary.pending_slot = pending.Hold(temporary.path);
      return temporary;
    }
    if (errno != EEXIST) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// Through a symbolic link to the file it names, so that the link survives.
std::string Resolved(const std::string& target) {
  struct stat link {};
  if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
    return target;
  }
  char* real = ::realpath(target.c_str(), nullptr);
  if (real == nullptr) {  // dangling: the link itself is replaced
    return target;
  }
  std::string resolved = real;
  std::free(real);
  return resolved;
}

}  // namespace

AtomicFile::AtomicFile(const std::filesystem::path& path)
    : target_(path.native()), pending_slot_(PendingFiles::kNone) {
  if (target_.empty() || target_.back() == '/') {
    problem_ = Reason(target_, EISDIR);
    return;
  }
  struct stat existing {};
  if (::stat(target_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode)) {
      // A device or a pipe (/dev/null, /dev/full, a FIFO) is written into, as a shell's ">"
      // would: renaming a file over it would destroy the node and report a write that never
      // reached it.
      fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (fd_ < 0) {
        problem_ = Reason(target_, errno);
      }
      return;
    }
    problem_ =
        S_ISDIR(existing.st_mode) ? Reason(target_, EISDIR) : Reason(target_, "not a regular file");
    return;
  }
  replaced_ = Resolved(target_);
  const std::size_t slash = replaced_.rfind('/');
  folder_ = slash == std::string::npos ? std::string() : replaced_.substr(0, slash + 1);
  errno = 0;
  std::optional<TemporaryFile> temporary =
      CreateTemporary(folder_, replaced_.substr(folder_.size()));
  if (!temporary) {
    problem_ = Reason(target_, errno == 0 ? EEXIST : errno);
    return;
  }
  temporary_ = std::move(temporary->path);
  fd_ = temporary->fd;
  pending_slot_ = temporary->pending_slot;
  // A replaced file keeps its permissions; a new one gets 0666 less the umask.
  struct stat old {};
  if (::stat(replaced_.c_str(), &old) == 0 && ::fchmod(fd_, old.st_mode & 07777) != 0) {
    Fail(errno);
  }
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  Abandon();
}

void AtomicFile::Abandon() {
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  PendingFiles::Instance().Release(pending_slot_);
  pending_slot_ = PendingFiles::kNone;
}

void AtomicFile::Fail(int error) {
  if (problem_.empty()) {
    problem_ = Reason(target_, error == 0 ? EIO : error);
  }
}

bool AtomicFile::Write(std::span<const std::uint8_t> bytes) {
  if (!problem_.empty()) {
    return false;
  }
  errno = 0;
  if (!WriteAll(fd_, bytes)) {
    Fail(errno);
    write_failed_ = true;
    return false;
  }
  return true;
}

bool AtomicFile::Restart() {
  if (!problem_.empty() && !write_failed_) {
    return false;
  }
  problem_.clear();
  write_failed_ = false;
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
    Fail(errno);
    return false;
  }
  return true;
}

std::string AtomicFile::Commit() {
  // A device or pipe is written straight into: nothing to flush to a disk or to rename.
  if (problem_.empty() && !temporary_.empty() && ::fsync(fd_) != 0) {
    Fail(errno);
  }
  if (fd_ >= 0 && ::close(fd_) != 0) {
    Fail(errno);
  }
  fd_ = -1;
  if (!problem_.empty() || temporary_.empty()) {
    Abandon();
    return problem_;
  }
  if (::rename(temporary_.c_str(), replaced_.c_str()) != 0) {
    Fail(errno);
    Abandon();
    return problem_;
  }
  temporary_.clear();
  Abandon();
  // Make the rename itself durable; the new file is in place whatever this reports.
  const int folder_fd =
      ::open(folder_.empty() ? "." : folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    ::fsync(folder_fd);
    ::close(folder_fd);
  }
  return {};
}

std::string WriteFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes) {
  AtomicFile file(path);
  (void)file.Write(bytes);
  return file.Commit();
}

}  // namespace quillora
