// MIME Base64 mail text to code page 932: the header as it is, an empty line, the decoded body.
#include <array>
#include <cstdint>
#include <string_view>

#include "clsConvert.h"
#include "cp932_codec.h"
#include "mail_text.h"

namespace quillora {
namespace {

constexpr std::uint8_t kNoSymbol = 0xFF;
constexpr std::uint8_t kPadding = 64;  // "=": zero bits, and marks the bytes a group lacks

// Symbol value of every character below 0x80; the symbols are ASCII, so no character above can
// be one. The text is already decoded, so the trail byte of a double-byte character never
// reaches this table.
constexpr std::array<std::uint8_t, 0x80> MakeSymbolValues() {
  std::array<std::uint8_t, 0x80> values{};
  values.fill(kNoSymbol);
  for (std::uint8_t k = 0; k < 26; ++k) {
    values[u'A' + k] = k;
    values[u'a' + k] = static_cast<std::uint8_t>(26 + k);
  }
  for (std::uint8_t k = 0; k < 10; ++k) {
    values[u'0' + k] = static_cast<std::uint8_t>(52 + k);
  }
  values[u'+'] = 62;
  values[u'/'] = 63;
  values[u'='] = kPadding;
  return values;
}
constexpr std::array<std::uint8_t, 0x80> kSymbolValues = MakeSymbolValues();

constexpr char16_t AsciiLower(char16_t c) noexcept {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// Mail header names and the encoding's name are matched without regard to case: mailers write
// "base64" and "content-transfer-encoding" as often as not.
bool ContainsIgnoringCase(std::u16string_view text, std::u16string_view lower_word) noexcept {
  if (lower_word.size() > text.size()) {
    return false;
  }
  const std::size_t last = text.size() - lower_word.size();
  for (std::size_t at = 0; at <= last; ++at) {
    std::size_t k = 0;
    while (k < lower_word.size() && AsciiLower(text[at + k]) == lower_word[k]) {
      ++k;
    }
    if (k == lower_word.size()) {
      return true;
    }
  }
  return false;
}

constexpr std::u16string_view kEncodingHeader = u"content-transfer-encoding";
constexpr std::u16string_view kBase64 = u"base64";

// Every symbol of body in order, four at a time; groups span line ends and whatever else stands
// between the symbols. A final group of fewer than four is dropped.
ByteBuffer DecodeSymbols(std::u16string_view body) {
  ByteBuffer decoded;
  decoded.reserve(body.size() / 4 * 3 + 1);
  std::array<std::uint8_t, 4> s{};
  std::size_t held = 0;
  for (const char16_t c : body) {
    if (c >= kSymbolValues.size() || kSymbolValues[c] == kNoSymbol) {
      continue;
    }
    s[held++] = kSymbolValues[c];
    if (held < s.size()) {
      continue;
    }
    held = 0;
    decoded.push_back(static_cast<std::uint8_t>(((s[0] & 0x3F) << 2) | ((s[1] & 0x30) >> 4)));
    if (s[3] == kPadding && s[2] == kPadding) {
      continue;
    }
    decoded.push_back(static_cast<std::uint8_t>(((s[1] & 0x0F) << 4) | ((s[2] & 0x3C) >> 2)));
    if (s[3] == kPadding) {
      continue;
    }
    decoded.push_back(static_cast<std::uint8_t>(((s[2] & 0x03) << 6) | (s[3] & 0x3F)));
  }
  if (decoded.empty()) {
    decoded.push_back(0);  // the decoded bytes start as one zero byte that the first one replaces
  }
  return decoded;
}

}  // namespace

void clsConvert::Base64ToSJis(ByteBuffer& bytConvertStrings, Text& strRecord) {
  const std::u16string_view record = strRecord;
  if (!ContainsIgnoringCase(record, kEncodingHeader) || !ContainsIgnoringCase(record, kBase64)) {
    bytConvertStrings = TextToBytes(record);
    return;
  }

  // The header runs up to the first empty line at or after the encoding header line; each line
  // keeps its own line end. Without a further line end the rest is the body.
  std::size_t body_start = 0;
  std::u16string_view last_line_end = u"\r\n";
  bool found = false;
  while (const auto line = NextLine(record, body_start)) {
    const std::u16string_view text = record.substr(body_start, line->end - body_start);
    found = found || ContainsIgnoringCase(text, kEncodingHeader);
    if (found && text.empty()) {
      break;
    }
    last_line_end = record.substr(line->end, line->next - line->end);
    body_start = line->next;
    if (OnlyBlanksFrom(record, body_start)) {
      break;
    }
  }

  bytConvertStrings.clear();
  AppendTextAsBytes(record.substr(0, body_start), bytConvertStrings);
  AppendTextAsBytes(last_line_end, bytConvertStrings);
  AppendTextAsBytes(BytesToText(DecodeSymbols(record.substr(body_start))), bytConvertStrings);
  strRecord.erase(0, body_start);
}

}  // namespace quillora
