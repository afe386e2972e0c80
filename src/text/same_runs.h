// Runs of code page 932 bytes that re-encode to themselves, found a vector at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillora {

// Whether this build has a vector kernel for CopySameRuns.
#if defined(__x86_64__) || defined(_M_X64)
inline constexpr bool kHaveSameRunsVector = true;
#else
inline constexpr bool kHaveSameRunsVector = false;
#endif

// Copies from `in` (n bytes, starting at a character) to `to` the longest run, taken 16 bytes at
// a time, whose characters re-encode to themselves: every byte that starts no two-byte code (ASCII,
// half-width katakana, the single bytes 80, A0, FD-FF) and the pairs of the rows and cells where
// nearly all Japanese text lies. Stops earlier at any other pair, at a lead byte without its trail
// and 17 bytes before the end. Returns the length of the run; it ends between characters. May
// write up to 17 bytes past the run, within 2 * n of `to`.
std::size_t CopySameRuns(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept;

}  // namespace quillora
