// Replacing a file as a whole, so that a crash or a full disk never leaves half of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace quillora {

// A file replaced whole by what is written to it: the bytes go to a temporary file in the same
// folder, which is flushed to the disk and renamed over the path at Commit, so a crash, a signal
// or a full disk never leaves half of it. Without Commit the old file stays as it was and the
// temporary file is removed. A symbolic link is followed: the file it names is replaced and the
// link stays. An existing device or pipe is written into instead (nothing to replace atomically),
// and any other file that is not a regular one is refused.
class AtomicFile {
 public:
  explicit AtomicFile(const std::filesystem::path& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Appends bytes; false once anything has failed.
  bool Write(std::span<const std::uint8_t> bytes);
  // Whether Restart can be used: a file being written beside the target, not a device or pipe.
  [[nodiscard]] bool CanRestart() const { return !temporary_.empty() && fd_ >= 0; }
  // Empties the file being written and forgets a write that failed; false (and a problem for
  // Commit) when it cannot be emptied or something else failed before.
  bool Restart();
  // Puts the file in place. The empty string on success, otherwise a one-line reason naming the
  // path (in its own bytes); the old file is then untouched.
  [[nodiscard]] std::string Commit();

 private:
  void Fail(int error);
  void Abandon();

  std::string target_;
  std::string replaced_;   // the file the target names
  std::string folder_;     // its folder, with its final separator
  std::string temporary_;  // while it exists
  int fd_ = -1;
  std::size_t pending_slot_;
  std::string problem_;
  bool write_failed_ = false;  // the problem, if any, is a write's
};

// An AtomicFile written with bytes and committed.
[[nodiscard]] std::string WriteFileAtomically(const std::filesystem::path& path,
                                              std::span<const std::uint8_t> bytes);

}  // namespace quillora
