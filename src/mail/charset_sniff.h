// Which charset bytes are in, judged from the bytes, and whether a label can be believed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "icu_charsets.h"
#include "mail/charset.h"

namespace quillora::mail {

struct Sniffed {
  Charset charset = Charset::us_ascii;
  std::string evidence;  // "ESC $ B at byte 212; 3 NEC row-13 characters"
};

// The charset the bytes read best in.
[[nodiscard]] Sniffed SniffCharset(std::span<const std::uint8_t> bytes);

struct CharsetChoice {
  Charset charset = Charset::us_ascii;
  std::optional<IcuCharset> icu;  // set: read by ICU in the labelled charset instead
  // Set when the content was not read by its label: the repair kind (charset_override or
  // unknown_charset) and why.
  std::optional<RepairKind> repair;
  std::string detail;
};

// The charset to read content with that is labelled `label` (empty: no label).
[[nodiscard]] CharsetChoice ChooseCharset(std::string_view label,
                                          std::span<const std::uint8_t> bytes);

}  // namespace quillora::mail
