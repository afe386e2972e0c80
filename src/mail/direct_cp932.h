// A part's bytes straight to code page 932 output, without the text in between, for the charsets
// whose clean text comes out of code page 932 as it went in: the reading of nearly every Japanese
// mail, where the text is only wanted as bytes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "mail/charset.h"
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

struct DirectResult {
  bool done = false;
  std::size_t characters = 0;  // done: the characters (UTF-16 units) of the text laid out
  // Not done: the bytes already handed on, which the text read instead must not lay out again.
  std::size_t handed = 0;
};

// Lays out the code page 932 encoding of what DecodeCharset makes of `bytes`, when that decoding
// would make no repair. Not done where it would, or where the bytes hold what only the decoders
// read (ISO-2022-JP kana and JIS X 0212, a lone CR, UTF-8 beyond ASCII, ...): the caller then reads
// the text. What was laid out is taken back then, but for what was handed on meanwhile, which is
// the start of that text's encoding.
[[nodiscard]] DirectResult AppendDirectCp932(Charset charset, std::span<const std::uint8_t> bytes,
                                             Cp932Output& out);

}  // namespace quillora::mail
