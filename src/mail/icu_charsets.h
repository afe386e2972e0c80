// Charsets beyond Japan's (windows-1252, GB2312, EUC-KR, KOI8-R, ...), decoded by ICU's converters:
// a mail from elsewhere reads as what it says it is, not as Japanese guessed from its bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mail/charset.h"

namespace quillora::mail {

struct IcuCharset {
  std::string label;         // as the mail names it
  bool single_byte = false;  // reads any byte as something, as Latin-1 does
};

// The charset ICU has for the label; nullopt when it has none.
[[nodiscard]] std::optional<IcuCharset> IcuCharsetFor(std::string_view label);

// As DecodeCharset: a byte sequence ICU finds illegal or unassigned costs one U+FFFD.
void DecodeWithIcu(const IcuCharset& charset, std::span<const std::uint8_t> bytes, Text& text,
                   std::vector<DecodeIssue>& issues);

}  // namespace quillora::mail
