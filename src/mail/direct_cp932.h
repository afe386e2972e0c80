// A part's bytes straight to code page 932 output, without the text in between, for the charsets
// whose clean text comes out of code page 932 as it went in: the reading of nearly every Japanese
// mail, where the text is only wanted as bytes.
#pragma once

#include <cstdint>
#include <span>

#include "cp932_output.h"
#include "mail/charset.h"

namespace quillora::mail {

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
