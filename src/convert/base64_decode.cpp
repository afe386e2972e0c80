// MIME Base64 mail text to code page 932: the header as it is, an empty line, the decoded body.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "convert/sextets.h"
#include "convert/stream_output.h"
#include "io/large_buffer.h"
#include "mail_text.h"
#include "text/cp932_codec.h"

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

struct Decoded {
  std::size_t read = 0;
  std::size_t written = 0;
};

// Every symbol of body in order, four at a time, to `to`; groups span line ends and whatever else
// stands between the symbols. A final group of fewer than four is dropped. Writes at most
// body.size() / 4 * 3 bytes, and stops between groups before it would write more than `room`:
// the rest of the body then continues where it stopped. `to` may be where the body is or behind
// it, as the bytes of a group are written after its symbols are read and are fewer.
template <typename Char>
Decoded DecodeSymbols(View<Char> body, std::uint8_t* const start,
                      std::size_t room = static_cast<std::size_t>(-1)) {
  std::uint8_t* to = start;
  std::array<std::uint8_t, 4> s{};
  std::size_t held = 0;
  const Char* in = body.data();
  const Char* const end = in + body.size();
  const auto left = [&] { return room - static_cast<std::size_t>(to - start); };
  // The vector kernel is tried at the start and after each character that is no symbol (a line
  // end), where runs of whole blocks begin; once per line rather than once per group.
  bool blocks_may_follow = true;
  while (in != end) {
    if (held == 0 && left() < 3) {
      break;
    }
    if constexpr (std::is_same_v<Char, char>) {
      if (held == 0 && blocks_may_follow) {
        const std::size_t taken = DecodeBase64Blocks(
            in, std::min(static_cast<std::size_t>(end - in), left() / 3 * 4), to);
        in += taken;
        to += taken / 4 * 3;
        blocks_may_follow = false;
        continue;  // the room is looked at again
      }
    }
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
      blocks_may_follow = true;
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
  return {static_cast<std::size_t>(in - body.data()), static_cast<std::size_t>(to - start)};
}

// Where a mail's Base64 body starts, if it has one: the header runs up to the first empty line at
// or after the encoding header line; each line keeps its own line end. Without a further line end
// the rest is the body. The header's last line end comes out again between header and body.
template <typename Char>
struct MailParts {
  bool base64 = false;
  std::size_t body_start = 0;
  View<Char> last_line_end;
};

template <typename Char>
MailParts<Char> SplitMail(View<Char> record) {
  static constexpr Char kCrLf[] = {'\r', '\n'};
  MailParts<Char> parts{false, 0, View<Char>(kCrLf, 2)};
  if (!ContainsIgnoringCase(record, kEncodingHeader) || !ContainsIgnoringCase(record, kBase64)) {
    return parts;
  }
  parts.base64 = true;
  bool found = false;
  while (const auto line = NextLine(record, parts.body_start)) {
    const View<Char> text = record.substr(parts.body_start, line->end - parts.body_start);
    found = found || ContainsIgnoringCase(text, kEncodingHeader);
    if (found && text.empty()) {
      break;
    }
    parts.last_line_end = record.substr(line->end, line->next - line->end);
    parts.body_start = line->next;
    if (OnlyBlanksFrom(record, parts.body_start)) {
      break;
    }
  }
  return parts;
}

// Base64ToSJis; returns how much of the record the header took.
std::size_t DecodeMail(ByteBuffer& bytConvertStrings, std::u16string_view record) {
  const MailParts<char16_t> parts = SplitMail(record);
  bytConvertStrings.clear();
  if (!parts.base64) {
    AppendTextAsBytes(record, bytConvertStrings);
    return 0;
  }
  // The decoded body is read as code page 932 text and encoded again.
  const std::u16string_view body = record.substr(parts.body_start);
  ByteBuffer decoded;
  ReserveLarge(decoded, body.size() / 4 * 3 + 1);
  decoded.resize(body.size() / 4 * 3 + 1);
  decoded.resize(DecodeSymbols(body, decoded.data()).written);
  if (decoded.empty()) {
    decoded.push_back(0);  // the decoded bytes start as one zero byte that the first one replaces
  }
  // Room for the worst case, mapped for the usual one: the body's bytes coming back as many.
  ReserveLarge(bytConvertStrings, parts.body_start + 2 + 2 * decoded.size(),
               parts.body_start + 2 + decoded.size());
  AppendTextAsBytes(record.substr(0, parts.body_start), bytConvertStrings);
  AppendTextAsBytes(parts.last_line_end, bytConvertStrings);
  AppendReencodedBytes(decoded, bytConvertStrings);
  return parts.body_start;
}

}  // namespace

void clsConvert::Base64ToSJis(ByteBuffer& bytConvertStrings, Text& strRecord) {
  strRecord.erase(0, DecodeMail(bytConvertStrings, std::u16string_view(strRecord)));
}

std::size_t DecodeBase64Body(std::string_view body, std::uint8_t* to) {
  return DecodeSymbols(body, to).written;
}

void Base64AsciiToCp932(std::span<const std::uint8_t> mail, StreamOutput& sink) {
  const std::string_view record(reinterpret_cast<const char*>(mail.data()), mail.size());
  const auto bytes = [](std::string_view ascii) {
    return std::span(reinterpret_cast<const std::uint8_t*>(ascii.data()), ascii.size());
  };
  const MailParts<char> parts = SplitMail(record);
  if (!parts.base64) {
    sink.Copy(bytes(record));
    return;
  }
  sink.Copy(bytes(record.substr(0, parts.body_start)));
  sink.Copy(bytes(parts.last_line_end));
  // Decoded a piece at a time into a buffer that stays in the cache, and re-encoded from there:
  // no buffer of the body's size. A lead byte at a piece's end waits for the next piece.
  constexpr std::size_t kPiece = std::size_t{1} << 16;
  ByteBuffer piece(kPiece);
  std::string_view body = record.substr(parts.body_start);
  std::size_t kept = 0;
  std::size_t decoded = 0;
  do {
    const Decoded step = DecodeSymbols(body, piece.data() + kept, kPiece - kept);
    body.remove_prefix(step.read);
    decoded += step.written;
    const std::size_t held = kept + step.written;
    const std::size_t taken = sink.Reencode(std::span(piece).first(held), body.empty());
    std::memmove(piece.data(), piece.data() + taken, held - taken);
    kept = held - taken;
  } while (!body.empty());
  if (decoded == 0) {
    // As in Base64ToSJis, nothing decoded leaves the one zero byte the decoded bytes start as.
    static constexpr std::uint8_t kZero[] = {0};
    sink.Reencode(kZero);
  }
}

}  // namespace quillora
