// An INI file reader and writer with the semantics of GetPrivateProfileStringA and
// WritePrivateProfileStringA. Section, key and value are code page 932 bytes, as the "A" calls take
// them; the file is code page 932 text, or UTF-8 when it starts with a UTF-8 byte-order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace quillora::ini {

// How much of a file is read. A settings file is a few hundred bytes; a huge one (a log written
// over it, a mistake) must not hold the program up, so only its first part is read, and a file
// that was not read whole is never rewritten.
inline constexpr std::size_t kMaxReadBytes = std::size_t{1} << 20;

// True when file is larger than what is read of it.
[[nodiscard]] bool IsTooLargeToReadWhole(const std::filesystem::path& file) noexcept;

// Copies the value of key in section into buffer (size bytes including the terminating NUL), or
// default_value when the file, the section or the key is missing. Sections and keys match without
// regard to ASCII case; the first matching section, and in it the first matching key, wins. The
// value loses its surrounding blanks and then one pair of matching surrounding quotes (' or ").
// Returns the number of bytes copied, not counting the NUL; a value that does not fit is cut to
// size - 1 bytes and size - 1 is returned. A size of 0 copies nothing and returns 0.
std::uint32_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                       std::string_view default_value, char* buffer,
                                       std::uint32_t size,
                                       const std::filesystem::path& file) noexcept;

// Sets key in section to value, replacing the first matching key line, else adding "key=value" at
// the end of the first matching section, else adding the section at the end of the file (which is
// created when missing). Every other byte of the file stays as it was; new lines take the file's
// own line end (CR LF in a new file). The file (the target, when it is a symbolic link) is replaced
// atomically, so a failed write leaves it untouched; a value already as asked is not rewritten.
// Returns true on success and false on failure, as the Win32 call's BOOL does; it fails for an
// empty key, a key holding "=", a section holding "]", a line end in any of the three, and a file
// that cannot be read or written, or is too large to read whole. Each argument ends at its first
// NUL, as a C string.
bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::string_view value, const std::filesystem::path& file) noexcept;

}  // namespace quillora::ini
