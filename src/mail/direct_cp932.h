// A part's bytes straight to code page 932 output, without the text in between, for the charsets
// whose clean text comes out of code page 932 as it went in: the reading of nearly every Japanese
// mail, where the text is only wanted as bytes.
#pragma once

#include <cstdint>
#include <span>

#include "mail/charset.h"
#include "text/byte_buffer.h"

namespace quillora::mail {

// Appends to `out` the code page 932 encoding of what DecodeCharset makes of `bytes`, and returns
// true, when that decoding would make no repair. Returns false, with `out` as it was, when it
// would, or when the bytes hold what only the decoders read (ISO-2022-JP kana and JIS X 0212,
// a lone CR, UTF-8 beyond ASCII, ...): the caller then reads the text.
[[nodiscard]] bool AppendDirectCp932(Charset charset, std::span<const std::uint8_t> bytes,
                                     ByteBuffer& out);

// How many characters, each one UTF-16 unit, the code page 932 encoding of text without
// surrogates holds: the length of that text.
[[nodiscard]] std::size_t Cp932CharacterCount(std::span<const std::uint8_t> bytes) noexcept;

}  // namespace quillora::mail
