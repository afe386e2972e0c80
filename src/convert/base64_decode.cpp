// MIME Base64 mail text to code page 932: the header as it is, an empty line, the decoded body.
#include <array>
#include <cstdint>
#include <string_view>

#include "clsConvert.h"
#include "cp932_codec.h"
#include "direct_cp932.h"
#include "large_buffer.h"
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

template <typename Char>
using View = std::basic_string_view<Char>;

// The symbol value of a character, or kNoSymbol.
constexpr std::uint8_t SymbolValue(char16_t c) noexcept {
  return c < kSymbolValues.size() ? kSymbolValues[c] : kNoSymbol;
}
constexpr std::uint8_t SymbolValue(char c) noexcept {
  return SymbolValue(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

template <typename Char>
constexpr Char AsciiLower(Char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + ('a' - 'A')) : c;
}

// Mail header names and the encoding's name are matched without regard to case: mailers write
// "base64" and "content-transfer-encoding" as often as not.
template <typename Char>
bool ContainsIgnoringCase(View<Char> text, std::string_view lower_word) noexcept {
  if (lower_word.size() > text.size()) {
    return false;
  }
  const std::size_t last = text.size() - lower_word.size();
  for (std::size_t at = 0; at <= last; ++at) {
    std::size_t k = 0;
    while (k < lower_word.size() && AsciiLower(text[at + k]) == static_cast<Char>(lower_word[k])) {
      ++k;
    }
    if (k == lower_word.size()) {
      return true;
    }
  }
  return false;
}

constexpr std::string_view kEncodingHeader = "content-transfer-encoding";
constexpr std::string_view kBase64 = "base64";

// Every symbol of body in order, four at a time; groups span line ends and whatever else stands
// between the symbols. A final group of fewer than four is dropped.
template <typename Char>
ByteBuffer DecodeSymbols(View<Char> body) {
  ByteBuffer decoded;
  ReserveLarge(decoded, body.size() / 4 * 3 + 1);
  decoded.resize(body.size() / 4 * 3 + 1);  // three bytes for four symbols at most
  std::uint8_t* const start = decoded.data();
  std::uint8_t* to = start;
  std::array<std::uint8_t, 4> s{};
  std::size_t held = 0;
  const Char* in = body.data();
  const Char* const end = in + body.size();
  while (in != end) {
    // Four symbols in a row without padding, as most of a body is.
    if (held == 0 && end - in >= 4) {
      const unsigned s0 = SymbolValue(in[0]);
      const unsigned s1 = SymbolValue(in[1]);
      const unsigned s2 = SymbolValue(in[2]);
      const unsigned s3 = SymbolValue(in[3]);
      if ((s0 | s1 | s2 | s3) < kPadding) {
        const unsigned v = s0 << 18 | s1 << 12 | s2 << 6 | s3;
        to[0] = static_cast<std::uint8_t>(v >> 16);
        to[1] = static_cast<std::uint8_t>(v >> 8);
        to[2] = static_cast<std::uint8_t>(v);
        to += 3;
        in += 4;
        continue;
      }
    }
    const std::uint8_t value = SymbolValue(*in++);
    if (value == kNoSymbol) {
      continue;
    }
    s[held++] = value;
    if (held < s.size()) {
      continue;
    }
    held = 0;
    *to++ = static_cast<std::uint8_t>(((s[0] & 0x3F) << 2) | ((s[1] & 0x30) >> 4));
    if (s[3] == kPadding && s[2] == kPadding) {
      continue;
    }
    *to++ = static_cast<std::uint8_t>(((s[1] & 0x0F) << 4) | ((s[2] & 0x3C) >> 2));
    if (s[3] == kPadding) {
      continue;
    }
    *to++ = static_cast<std::uint8_t>(((s[2] & 0x03) << 6) | (s[3] & 0x3F));
  }
  decoded.resize(static_cast<std::size_t>(to - start));
  if (decoded.empty()) {
    decoded.push_back(0);  // the decoded bytes start as one zero byte that the first one replaces
  }
  return decoded;
}

// Text as code page 932: encoded, or, for ASCII text given as its bytes, the bytes themselves.
void AppendAsBytes(std::u16string_view text, ByteBuffer& out) {
  AppendTextAsBytes(text, out);
}
void AppendAsBytes(std::string_view ascii, ByteBuffer& out) {
  out.insert(out.end(), ascii.begin(), ascii.end());
}

// Base64ToSJis on either kind of text; returns how much of the record the header took.
template <typename Char>
std::size_t DecodeMail(ByteBuffer& bytConvertStrings, View<Char> record) {
  if (!ContainsIgnoringCase(record, kEncodingHeader) || !ContainsIgnoringCase(record, kBase64)) {
    bytConvertStrings.clear();
    AppendAsBytes(record, bytConvertStrings);
    return 0;
  }

  // The header runs up to the first empty line at or after the encoding header line; each line
  // keeps its own line end. Without a further line end the rest is the body.
  static constexpr Char kCrLf[] = {'\r', '\n'};
  std::size_t body_start = 0;
  View<Char> last_line_end(kCrLf, 2);
  bool found = false;
  while (const auto line = NextLine(record, body_start)) {
    const View<Char> text = record.substr(body_start, line->end - body_start);
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

  // The decoded body is read as code page 932 text and encoded again.
  const ByteBuffer decoded = DecodeSymbols(record.substr(body_start));
  bytConvertStrings.clear();
  // Room for the worst case, mapped for the usual one: the body's bytes coming back as many.
  ReserveLarge(bytConvertStrings, body_start + 2 + 2 * decoded.size(),
               body_start + 2 + decoded.size());
  AppendAsBytes(record.substr(0, body_start), bytConvertStrings);
  AppendAsBytes(last_line_end, bytConvertStrings);
  AppendReencodedBytes(decoded, bytConvertStrings);
  return body_start;
}

}  // namespace

void clsConvert::Base64ToSJis(ByteBuffer& bytConvertStrings, Text& strRecord) {
  strRecord.erase(0, DecodeMail(bytConvertStrings, std::u16string_view(strRecord)));
}

void Base64AsciiToSJis(ByteBuffer& bytConvertStrings, std::string_view record) {
  DecodeMail(bytConvertStrings, record);
}

}  // namespace quillora
