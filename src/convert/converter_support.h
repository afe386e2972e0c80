// Pieces shared by the byte converters: Shift_JIS byte classes and their two output disciplines.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "byte_buffer.h"
#include "convert_result.h"

namespace quillora::detail {

// First byte of a two-byte Shift_JIS code.
constexpr bool IsSjisLeadByte(std::uint8_t b) noexcept {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

constexpr bool FitsByte(int v) noexcept {
  return v >= 0 && v <= 0xFF;
}

// Half-width katakana (Shift_JIS byte, or EUC-JP byte after 0x8E) that combine with a following
// semi-voiced mark (ﾊ to ﾎ), or voiced mark (ｶ to ﾄ, ﾊ to ﾎ), into the JIS X 0208 character whose
// code is the plain one plus 2, or plus 1.
constexpr bool TakesSemiVoicedMark(std::uint8_t b) noexcept {
  return b >= 0xCA && b <= 0xCE;
}
constexpr bool TakesVoicedMark(std::uint8_t b) noexcept {
  return (b >= 0xB6 && b <= 0xC4) || TakesSemiVoicedMark(b);
}

// Appends the 0x00 that lets a converter read one position past the input; the caller's buffer
// keeps it.
inline void AppendGuardByte(ByteBuffer& input) {
  input.push_back(0x00);
}

// An output sized once and zero-filled: after a failure it holds the bytes so far followed by the
// rest of the zeros. The size must be an upper bound of what the converter can emit.
class FixedOutput {
 public:
  FixedOutput(ByteBuffer& out, std::size_t size) : out_(out) { out_.assign(size, 0x00); }

  void Put(std::uint8_t b) {
    assert(count_ < out_.size());
    out_[count_++] = b;
  }

  ConvertResult Finish() {
    out_.resize(count_);
    return {ConvertError::none, count_};
  }

  [[nodiscard]] ConvertResult Fail(ConvertError error) const { return {error, count_}; }

 private:
  ByteBuffer& out_;
  std::size_t count_ = 0;
};

// An output that behaves as if grown before each emission to one position more than it needs:
// after a failure it holds the bytes so far and one zero byte, and the caller's buffer is untouched
// when nothing was emitted. The bytes are collected apart, in one allocation of the worst case.
class GrowingOutput {
 public:
  explicit GrowingOutput(std::size_t max_bytes) { bytes_.reserve(max_bytes + 1); }

  void Put(std::uint8_t b) { bytes_.push_back(b); }

  void Put(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    Put(b1);
    Put(b2);
    Put(b3);
  }

  ConvertResult Finish(ByteBuffer& out) {
    const std::size_t count = bytes_.size();
    out = std::move(bytes_);
    return {ConvertError::none, count};
  }

  ConvertResult Fail(ByteBuffer& out, ConvertError error) {
    const std::size_t count = bytes_.size();
    if (count > 0) {
      bytes_.push_back(0x00);
      out = std::move(bytes_);
    }
    return {error, count};
  }

 private:
  ByteBuffer bytes_;
};

}  // namespace quillora::detail
