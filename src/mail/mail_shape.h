// What the first lines of an input say about it being a mail.
#pragma once

#include <cstdint>
#include <span>

namespace quillora::mail {

// A first line "From " as an mbox writes before each message.
[[nodiscard]] bool StartsWithMboxLine(std::span<const std::uint8_t> input);

// Whether the input starts with a header (after an mbox line): a field name and a colon, and a
// second header line or the empty line after the header (a lone "Re: ..." line is text).
[[nodiscard]] bool LooksLikeMail(std::span<const std::uint8_t> input);

}  // namespace quillora::mail
