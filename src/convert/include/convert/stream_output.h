// A conversion's output, handed on a piece at a time: to standard output, a file being written or
// a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora {

// Takes the output as finished bytes, as bytes to be read as code page 932 and re-encoded (what
// TextToBytes makes of their text, without building the text), or as text. Whenever a piece of
// the buffer's size is full it goes to `deliver`; a false from it is remembered and stops further
// delivery. It is a ByteOutput: converters also write into it in place.
class StreamOutput {
 public:
  using Deliver = std::function<bool(std::span<const std::uint8_t>)>;
  // Removes everything delivered from the destination, a failed delivery's error included; false
  // when that failed.
  using TakeBack = std::function<bool()>;

  explicit StreamOutput(Deliver deliver, std::size_t piece = kPiece);
  // A destination that can take its output back.
  StreamOutput(Deliver deliver, TakeBack take_back, std::size_t piece = kPiece);

  // TextToBytes(BytesToText(bytes)): the bytes decoded as one text, then encoded. Unless `last`,
  // more bytes of the same text follow in the next call, and a lead byte at the very end is left
  // for it. Returns the number of bytes taken.
  std::size_t Reencode(std::span<const std::uint8_t> bytes, bool last = true);
  // TextToBytes(text); text that ends in half a surrogate pair is encoded as it stands.
  void Encode(std::u16string_view text);
  // Bytes that are already the output.
  void Copy(std::span<const std::uint8_t> bytes);
  // For output written in place: room for n bytes (n at most Stretch()), then how many of them
  // were written.
  [[nodiscard]] std::size_t Stretch() const { return size_ / 4; }
  // Inline: decoders ask for room once per run between escapes, often a few bytes long.
  std::uint8_t* Room(std::size_t n) {
    if (size_ - used_ < n) {
      Flush();
    }
    return buffer_.get() + used_;
  }
  void Advance(std::size_t n) { used_ += n; }
  // Hands on what is left; false when any delivery failed.
  bool Finish();

  // Whether WithdrawAll can be used: a converter that may fail after handing on output streams
  // only then, and otherwise collects its output until it knows.
  [[nodiscard]] bool CanWithdraw() const { return static_cast<bool>(take_back_); }
  // Everything output so far is gone, as if nothing had been written.
  void WithdrawAll();

  // A delivery that appends each piece to bytes, and taking that back.
  [[nodiscard]] static Deliver AppendTo(ByteBuffer& bytes);
  [[nodiscard]] static TakeBack TakeBackFrom(ByteBuffer& bytes);

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 20;

  void Flush();

  Deliver deliver_;
  // Not zero-filled: only what is written is read, and a small output then touches a page or two
  // of it instead of all 256.
  TakeBack take_back_;
  std::size_t size_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace quillora
