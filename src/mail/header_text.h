// A raw header value (folded, RFC 2047 words intact, perhaps raw 8-bit) made readable.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "mail/repair_event.h"

namespace quillora::mail {

struct HeaderText {
  Text text;
  // Offsets relative to the raw value and to `text`; the part is left to the caller.
  std::vector<RepairEvent> events;
};

// Unfolds the value and decodes its encoded words, joining adjacent words of one charset as
// bytes (a word may end inside a character or an escape run); text outside the words is read by
// what it is.
[[nodiscard]] HeaderText DecodeHeaderValue(std::span<const std::uint8_t> raw);

}  // namespace quillora::mail
