// Runs of code page 932 bytes that re-encode to themselves, found a vector at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillora {

// Whether this build has the vector kernels (x86-64): SSE2 always, AVX2 where HaveAvx2().
#if defined(__x86_64__) || defined(_M_X64)
inline constexpr bool kHaveSameRunsVector = true;
#else
inline constexpr bool kHaveSameRunsVector = false;
#endif
[[nodiscard]] bool HaveAvx2() noexcept;

// Copy from `in` (n bytes, starting at a character) to `to` the longest run, taken 16 (SSE2) or
// 32 (AVX2) bytes at a time, whose characters re-encode to themselves: every byte that starts no
// two-byte code (ASCII, half-width katakana, the single bytes 80, A0, FD-FF) and the pairs of the
// rows and cells where nearly all Japanese text lies. They stop earlier at any other pair, at a
// lead byte without its trail and a block and a byte before the end. Return the length of the
// run; it ends between characters. May write up to a block and a byte past the run, within n of
// `to`.
std::size_t CopySameRunsSse2(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept;
std::size_t CopySameRunsAvx2(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept;

}  // namespace quillora
