// Pieces shared by the byte converters: Shift_JIS byte classes and their two output disciplines.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "text/byte_buffer.h"
#include "convert/convert_result.h"
#include "io/large_buffer.h"
#include "text/sjis_bytes.h"

namespace quillora::detail {

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
  FixedOutput(ByteBuffer& out, std::size_t size) : out_(out) {
    out_.clear();
    ReserveLarge(out_, size);
    out_.resize(size);
  }

  void Put(std::uint8_t b) {
    assert(count_ < out_.size());
    out_[count_++] = b;
  }

  // Where the next n bytes go; Advance(n) once they are written. Hot loops write through it, as
  // stores through a byte pointer would otherwise make the compiler reload count_ after each one.
  std::uint8_t* Room([[maybe_unused]] std::size_t n) {
    assert(out_.size() - count_ >= n);
    return out_.data() + count_;
  }
  void Advance(std::size_t n) { count_ += n; }

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
// when nothing was emitted. The bytes are collected apart, in one reservation of the worst case
// that is sized (zero-filled) a stretch at a time, so that it is only touched where it is written.
class GrowingOutput {
 public:
  // max_bytes bounds what the converter can emit; expected is what it usually does.
  GrowingOutput(std::size_t max_bytes, std::size_t expected) {
    ReserveLarge(bytes_, max_bytes + 1, expected + 1);
  }

  void Put(std::uint8_t b) {
    *Room(1) = b;
    ++count_;
  }

  void Put(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    std::uint8_t* to = Room(3);
    to[0] = b1;
    to[1] = b2;
    to[2] = b3;
    count_ += 3;
  }

  // Where the next n bytes go (n within the bound); Advance(n) once they are written.
  std::uint8_t* Room(std::size_t n) {
    if (bytes_.size() - count_ < n) {
      Stretch(n);
    }
    return bytes_.data() + count_;
  }
  void Advance(std::size_t n) { count_ += n; }

  ConvertResult Finish(ByteBuffer& out) {
    bytes_.resize(count_);
    out = std::move(bytes_);
    return {ConvertError::none, count_};
  }

  ConvertResult Fail(ByteBuffer& out, ConvertError error) {
    if (count_ > 0) {
      bytes_.resize(count_);
      bytes_.push_back(0x00);
      out = std::move(bytes_);
    }
    return {error, count_};
  }

 private:
  void Stretch(std::size_t n) {
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    const std::size_t want = count_ + std::max(n, std::max(kStretch, count_ / 4));
    assert(count_ + n <= bytes_.capacity());
    bytes_.resize(std::min(want, bytes_.capacity()));
  }

  ByteBuffer bytes_;
  std::size_t count_ = 0;
};

}  // namespace quillora::detail
