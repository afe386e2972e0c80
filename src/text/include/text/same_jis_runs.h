// JIS X 0208 codes converted to Shift_JIS a vector at a time, where the result re-encodes to
// itself in code page 932: the decoders' output for most of Japanese text, made without a table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/cp932_codec.h"

namespace quillora {

// ISO-2022-JP kanji-mode bytes from `in` (n bytes, starting at a pair: row then cell, 21-7E
// each) converted to Shift_JIS into `to`, 16 (SSE2) or 32 (AVX2) bytes at a time: the longest
// run of pairs whose Shift_JIS pair re-encodes to itself (those CopySameRuns copies). Stops at any
// other pair, at a byte outside 21-7E (an escape, a line end) and a block before n. Returns the
// bytes taken, which are the bytes made. Reads and writes up to a block past them, within n.
using SameJisPairs = std::size_t (*)(const std::uint8_t* in, std::size_t n,
                                     std::uint8_t* to) noexcept;

// The SameJisPairs of a kernel, looked up once by a decoder rather than for every run between
// escapes, which in Japanese mail is a line's worth. The plain kernel's takes nothing.
[[nodiscard]] SameJisPairs SameJisPairsOf(ReencodeKernel kernel) noexcept;

// EUC-JP from `in` (n bytes, starting at a character) converted to Shift_JIS into `to` the same
// way: the longest run of ASCII bytes and JIS X 0208 codes (two bytes A1-FE) whose Shift_JIS
// re-encodes to itself. Stops at any other byte or code and a block before n.
std::size_t ConvertSameEucRuns(ReencodeKernel kernel, const std::uint8_t* in, std::size_t n,
                               std::uint8_t* to) noexcept;

// Shift_JIS from `in` (n bytes, starting at a character) copied to `to` as the mail reader's
// strict decoding takes it: the longest run of ASCII (a CR only with its LF), half-width katakana
// A1-DF and pairs that re-encode to themselves; it never ends between a CR and its LF, nor starts
// with an LF. Stops at any other byte or pair, and a block and a byte
// before n. Writes up to a block and a byte past the run, within n. Adds the run's pairs to
// `pairs`: the run holds its length less that many characters.
std::size_t CopyStrictSjisRuns(ReencodeKernel kernel, const std::uint8_t* in, std::size_t n,
                               std::uint8_t* to, std::size_t& pairs) noexcept;

}  // namespace quillora
