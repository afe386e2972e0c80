// Code page 932 output made straight from bytes and text, handed on a piece at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora {

// Collects what TextToBytes would make of a text, given the text's own pieces: bytes to be read
// as code page 932 (re-encoded without building the text), text, or finished bytes. Whenever a
// piece of the buffer's size is full it goes to `deliver`; a false from it is remembered and
// stops further delivery.
class Cp932Sink {
 public:
  using Deliver = std::function<bool(std::span<const std::uint8_t>)>;

  explicit Cp932Sink(Deliver deliver, std::size_t piece = std::size_t{1} << 20);

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
  [[nodiscard]] std::size_t Stretch() const { return buffer_.size() / 4; }
  std::uint8_t* Room(std::size_t n);
  void Advance(std::size_t n) { used_ += n; }
  // Hands on what is left; false when any delivery failed.
  bool Finish();

 private:
  void Flush();

  Deliver deliver_;
  ByteBuffer buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace quillora
