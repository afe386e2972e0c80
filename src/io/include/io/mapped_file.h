// A file read in place: its pages mapped from the system's cache rather than copied into memory of
// our own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace quillora {

// A regular file mapped read-only, followed by one zero byte (a converter's guard byte). Reading a
// file this way touches no fresh memory and copies nothing, which on a virtual machine is most of
// what reading a large file costs. A file that another program cuts short meanwhile raises SIGBUS
// when the lost part is read; see ExitWhenMappedFileShrinks.
class MappedFile {
 public:
  // nullopt when the file cannot be opened, is not a regular file, is empty or cannot be mapped:
  // the caller reads it the usual way.
  [[nodiscard]] static std::optional<MappedFile> Open(const std::filesystem::path& path);

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // The file's bytes; one zero byte follows them.
  [[nodiscard]] std::span<const std::uint8_t> bytes() const noexcept { return {data_, size_}; }

 private:
  MappedFile(const std::uint8_t* data, std::size_t size, std::size_t mapped) noexcept
      : data_(data), size_(size), mapped_(mapped) {}
  void Unmap() noexcept;

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t mapped_;  // the length of the whole mapping, guard page included
};

// Makes a read of a mapped file that was cut short end the process with `status` and `message` on
// standard error, rather than a crash.
void ExitWhenMappedFileShrinks(int status, const char* message) noexcept;

}  // namespace quillora
