// Where a reading's code page 932 bytes go.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "text/byte_buffer.h"

namespace quillora::mail {

// Where a reading's code page 932 bytes are laid out: a buffer which, given somewhere to hand
// them on to, is handed on and reused a piece at a time, so that a large mail's text never needs
// memory of its size.
class Cp932Output {
 public:
  using Deliver = std::function<void(std::span<const std::uint8_t>)>;

  Cp932Output(ByteBuffer& buffer, Deliver deliver);

  // The bytes laid out and not yet handed on.
  [[nodiscard]] ByteBuffer& bytes() { return buffer_; }
  // All bytes laid out, handed on or not.
  [[nodiscard]] std::size_t total() const { return handed_ + buffer_.size(); }
  [[nodiscard]] std::size_t handed() const { return handed_; }
  // Hands on what is laid out once a piece has gathered; only called between characters.
  void Settle();
  // Hands on all that is left.
  void Finish();
  [[nodiscard]] bool EndsWithLineEnd() const;

 private:
  ByteBuffer& buffer_;
  Deliver deliver_;
  std::size_t handed_ = 0;
  std::array<std::uint8_t, 2> last_handed_{};  // the last two bytes handed on
};

}  // namespace quillora::mail
