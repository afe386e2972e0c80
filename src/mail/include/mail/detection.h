// Names what an input is — a mail, Base64, uuencode, or text in one of the Japanese charsets —
// and the decode type that reads it, with the evidence.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "mail/charset.h"

namespace quillora::mail {

enum class InputKind { mail, base64, uuencode, text };

struct Detection {
  InputKind kind = InputKind::text;
  // The text's charset; for a mail, Base64 or uuencode, that of the text inside (US-ASCII when
  // there is none).
  Charset charset = Charset::us_ascii;
  // The decode type that reads the input: "mail", "jis", "euc", "base64", "uuencode", "utf16";
  // "none" for Shift_JIS, US-ASCII and UTF-8, which need no decoding to be read.
  std::string decode_type;
  std::string evidence;  // "ESC $ B at byte 212; 3 NEC row-13 characters"
};

[[nodiscard]] Detection Detect(std::span<const std::uint8_t> input);

// "ISO-2022-JP", "mail (ISO-2022-JP)", "Base64 (Shift_JIS)".
[[nodiscard]] std::string DetectionName(const Detection& detection);

}  // namespace quillora::mail
