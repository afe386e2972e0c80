// What the whole-mail reader repaired on its way, each repair tied to its bytes in the input and to
// the text it produced.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora::mail {

enum class RepairKind {
  replaced_invalid_byte,  // a byte (or pair) that is no character of its charset gave U+FFFD
  unmappable_in_cp932,    // a character code page 932 cannot hold; written there as "?"
  repaired_escape,        // an ISO-2022-JP kanji run ended by a line end or the data's end
  charset_override,       // the content contradicted its label and was read as what it is
  truncated_encoding,     // Base64 or uuencode data that stops before its end
  unknown_charset,        // a label no decoder knows; the content was read by detection
};
inline constexpr std::size_t kRepairKindCount = 6;

// The name the JSON report uses ("replaced_invalid_byte", ...).
[[nodiscard]] std::string_view RepairKindName(RepairKind kind) noexcept;

struct RepairEvent {
  RepairKind kind = RepairKind::replaced_invalid_byte;
  // The bytes concerned in the input file. Exact where the part is not transfer-encoded; inside
  // Base64 it is the four-character group, inside quoted-printable or an encoded word the line or
  // the word that holds them.
  std::size_t input_offset = 0;
  std::size_t input_length = 0;
  std::string part;  // "1.2" (a body part), "1.header" or "header" (its message's header)
  ByteBuffer bytes;  // the bytes as the charset decoder saw them (after transfer decoding)
  Text produced;     // what the reader wrote in their place
  std::size_t text_offset = 0;  // where `produced` starts in the reading's text
  std::size_t text_length = 0;
  std::string detail;  // for overrides and labels: "labelled ISO-2022-JP, read as UTF-8"
  // In a part with thousands of repairs, the later ones are listed one per kind: this event then
  // spans them all and stands for `more` besides its first; `produced` is empty.
  std::size_t more = 0;
};

// How many repairs the events stand for.
[[nodiscard]] std::size_t RepairCount(std::span<const RepairEvent> events) noexcept;

}  // namespace quillora::mail
