// Base64 and uuencoded characters to bytes 16 at a time, where the processor allows it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillora {

// Whether the vector kernels below run on this processor (x86-64 with SSSE3, chosen at run time);
// without them they take nothing and the scalar loops do all the work.
[[nodiscard]] bool HaveSextetVectors() noexcept;

// From n characters at `in`, 16 at a time while all 16 are Base64 symbols (no padding, no line
// end), then the whole groups of four symbols that open the next block of 16: three bytes for
// each four to `to`. Returns how many characters were taken, a multiple of 4. `to` may be `in`
// or behind it: each block is read before its bytes are written.
std::size_t DecodeBase64Blocks(const char* in, std::size_t n, std::uint8_t* to) noexcept;

// The same for uuencoded data characters: each from a blank (0x20) to 0x7F stands for its
// value less 32, of which the low six bits count.
std::size_t DecodeUuBlocks(const char* in, std::size_t n, std::uint8_t* to) noexcept;

// A whole uuencoded line of the usual kind at `line`, with `available` characters from there on:
// "M", 60 data characters from a blank to a backquote (0x20-0x60, so none can begin "end"), then
// LF or CR LF. Writes its 45 bytes to `to` and returns the length of the line with its line end;
// 0, and nothing written, for any other line or fewer than 65 characters available. `to` may be
// `line` or behind it.
std::size_t DecodeUuLine(const char* line, std::size_t available, std::uint8_t* to) noexcept;

}  // namespace quillora
