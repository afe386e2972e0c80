// The engine's one output contract, and the outputs its converters write to.
#pragma once

#include <algorithm>
#include <cassert>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "convert/convert_result.h"
#include "io/large_buffer.h"
#include "text/byte_buffer.h"

namespace quillora {

// Where a converter writes: Room(n) gives room for n more bytes (n within what the output was
// made for), Advance(n) takes the n bytes written there. Hot loops write through the pointer, as
// stores through a byte pointer would otherwise make the compiler reload a count after each one.
template <typename T>
concept ByteOutput = requires(T& out, std::size_t n) {
  { out.Room(n) } -> std::same_as<std::uint8_t*>;
  out.Advance(n);
};

template <ByteOutput Out, std::integral... Bytes>
void Put(Out& out, Bytes... bytes) {
  std::uint8_t* to = out.Room(sizeof...(bytes));
  ((*to++ = static_cast<std::uint8_t>(bytes)), ...);
  out.Advance(sizeof...(bytes));
}

// Copies bytes a stretch at a time, so that no single Room asks for more than `stretch`.
template <ByteOutput Out>
void Append(Out& out, std::span<const std::uint8_t> bytes, std::size_t stretch) {
  while (!bytes.empty()) {
    const std::size_t take = std::min(bytes.size(), stretch);
    std::copy_n(bytes.data(), take, out.Room(take));
    out.Advance(take);
    bytes = bytes.subspan(take);
  }
}

namespace detail {

// Room in a buffer reserved once for the worst case and sized (zero-filled) a stretch at a time,
// so that memory is only touched where it is written.
class StretchingBuffer {
 public:
  // max_bytes bounds what can be written; about `expected` usually is.
  StretchingBuffer(ByteBuffer& bytes, std::size_t max_bytes, std::size_t expected) : bytes_(bytes) {
    bytes_.clear();
    ReserveLarge(bytes_, max_bytes, expected);
  }

  std::uint8_t* Room(std::size_t n) {
    if (bytes_.size() - count_ < n) {
      constexpr std::size_t kStretch = std::size_t{1} << 16;
      const std::size_t want = count_ + std::max(n, std::max(kStretch, count_ / 4));
      assert(count_ + n <= bytes_.capacity());
      bytes_.resize(std::min(want, bytes_.capacity()));
    }
    return bytes_.data() + count_;
  }
  void Advance(std::size_t n) { count_ += n; }

  [[nodiscard]] std::size_t count() const { return count_; }
  ByteBuffer& bytes() { return bytes_; }

 private:
  ByteBuffer& bytes_;
  std::size_t count_ = 0;
};

// An output of a fixed size that starts zero-filled: after a failure it holds the bytes so far
// followed by the rest of the zeros. The size must be an upper bound of what the converter can
// emit. The zeros are only made when a failure shows them.
class FixedOutput {
 public:
  FixedOutput(ByteBuffer& out, std::size_t size, std::size_t expected)
      : size_(size), room_(out, size, expected) {}
  explicit FixedOutput(ByteBuffer& out, std::size_t size) : FixedOutput(out, size, size) {}

  std::uint8_t* Room(std::size_t n) { return room_.Room(n); }
  void Advance(std::size_t n) { room_.Advance(n); }

  ConvertResult Finish() {
    room_.bytes().resize(room_.count());
    return {ConvertError::none, room_.count()};
  }

  ConvertResult Fail(ConvertError error, std::size_t at) {
    ByteBuffer& bytes = room_.bytes();
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(room_.count()), bytes.end(), 0);
    bytes.resize(size_);
    return {error, room_.count(), at};
  }

 private:
  std::size_t size_;
  StretchingBuffer room_;
};

// An output that behaves as if grown before each emission to one position more than it needs:
// after a failure it holds the bytes so far and one zero byte, and the caller's buffer is untouched
// when nothing was emitted. The bytes are collected apart.
class GrowingOutput {
 public:
  // max_bytes bounds what the converter can emit; expected is what it usually does.
  GrowingOutput(std::size_t max_bytes, std::size_t expected)
      : room_(bytes_, max_bytes + 1, expected + 1) {}

  std::uint8_t* Room(std::size_t n) { return room_.Room(n); }
  void Advance(std::size_t n) { room_.Advance(n); }

  ConvertResult Finish(ByteBuffer& out) {
    bytes_.resize(room_.count());
    out = std::move(bytes_);
    return {ConvertError::none, out.size()};
  }

  ConvertResult Fail(ByteBuffer& out, ConvertError error, std::size_t at) {
    const std::size_t count = room_.count();
    if (count > 0) {
      bytes_.resize(count);
      bytes_.push_back(0x00);
      out = std::move(bytes_);
    }
    return {error, count, at};
  }

 private:
  ByteBuffer bytes_;
  StretchingBuffer room_;
};

}  // namespace detail
}  // namespace quillora
