// The charsets of Japanese mail, decoded tolerantly to Text: an invalid byte costs one U+FFFD and
// the byte after it is read again, so nothing that follows is lost.
//
// Why not ICU's or iconv's converters (or GMime's, which are iconv's): mail from Windows writes
// NEC row 13 and the IBM extensions into ISO-2022-JP, shifts half-width kana in with SO/SI or
// ESC ( I, forgets ESC ( B at line ends and labels UTF-8 or Shift_JIS as ISO-2022-JP. Those
// converters either fail the whole text or drop the rest of it on exactly such mail.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "mail/repair_event.h"
#include "text/byte_buffer.h"

namespace quillora::mail {

enum class Charset { us_ascii, iso2022jp, euc_jp, shift_jis, utf8, utf16le, utf16be, iso8859_1 };

// The charset a MIME label names (case-insensitive; "csISO2022JP", "x-sjis", "windows-31j",
// "cp932", "UTF-16" and the rest); nullopt for a label no decoder here knows.
[[nodiscard]] std::optional<Charset> CharsetFromLabel(std::string_view label);

// The label written in reports ("ISO-2022-JP", "Shift_JIS", ...).
[[nodiscard]] std::string_view CharsetName(Charset charset) noexcept;

// One repair inside bytes handed to DecodeCharset: positions are into those bytes and into the
// text appended to.
struct DecodeIssue {
  RepairKind kind = RepairKind::replaced_invalid_byte;
  std::size_t at = 0;
  std::size_t length = 0;
  std::size_t text_at = 0;
  std::size_t text_length = 0;
  std::size_t more = 0;  // further repairs of its kind it stands for, within its bytes and text
};

// Appends the decoding of bytes to text, line ends made CR LF, and the repairs to issues
// (unmappable characters included, for code page 932 output).
void DecodeCharset(Charset charset, std::span<const std::uint8_t> bytes, Text& text,
                   std::vector<DecodeIssue>& issues);

}  // namespace quillora::mail
