#include "mail/charset.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <utility>

#include "decoders.h"

namespace quillora::mail {
namespace {

std::string Folded(std::string_view label) {
  std::string folded;
  folded.reserve(label.size());
  for (const char c : label) {
    if (c != '"' && c != ' ' && c != '\t') {
      folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return folded;
}

constexpr std::array<std::pair<std::string_view, Charset>, 39> kLabels{{
    {"us-ascii", Charset::us_ascii},
    {"ascii", Charset::us_ascii},
    {"ansi_x3.4-1968", Charset::us_ascii},
    {"iso-2022-jp", Charset::iso2022jp},
    {"iso-2022-jp-1", Charset::iso2022jp},
    {"iso-2022-jp-2", Charset::iso2022jp},
    {"iso-2022-jp-3", Charset::iso2022jp},
    {"csiso2022jp", Charset::iso2022jp},
    {"jis", Charset::iso2022jp},
    {"euc-jp", Charset::euc_jp},
    {"eucjp", Charset::euc_jp},
    {"x-euc-jp", Charset::euc_jp},
    {"cseucpkdfmtjapanese", Charset::euc_jp},
    {"euc-jp-ms", Charset::euc_jp},
    {"shift_jis", Charset::shift_jis},
    {"shift-jis", Charset::shift_jis},
    {"sjis", Charset::shift_jis},
    {"x-sjis", Charset::shift_jis},
    {"cp932", Charset::shift_jis},
    {"windows-31j", Charset::shift_jis},
    {"ms_kanji", Charset::shift_jis},
    {"csshiftjis", Charset::shift_jis},
    {"utf-8", Charset::utf8},
    {"utf8", Charset::utf8},
    {"utf-16", Charset::utf16be},
    {"utf-16le", Charset::utf16le},
    {"utf-16be", Charset::utf16be},
    {"iso-8859-1", Charset::iso8859_1},
    {"latin1", Charset::iso8859_1},
    {"ms932", Charset::shift_jis},
    {"windows-932", Charset::shift_jis},
    {"x-ms-cp932", Charset::shift_jis},
    {"sjis-win", Charset::shift_jis},
    {"cp50220", Charset::iso2022jp},
    {"cp50221", Charset::iso2022jp},
    {"cp50222", Charset::iso2022jp},
    {"cp51932", Charset::euc_jp},
    {"eucjp-ms", Charset::euc_jp},
    {"eucjp-win", Charset::euc_jp},
}};

}  // namespace

std::optional<Charset> CharsetFromLabel(std::string_view label) {
  const std::string folded = Folded(label);
  const auto found = std::find_if(kLabels.begin(), kLabels.end(),
                                  [&](const auto& entry) { return entry.first == folded; });
  return found == kLabels.end() ? std::nullopt : std::optional(found->second);
}

std::string_view CharsetName(Charset charset) noexcept {
  switch (charset) {
    case Charset::us_ascii:
      return "US-ASCII";
    case Charset::iso2022jp:
      return "ISO-2022-JP";
    case Charset::euc_jp:
      return "EUC-JP";
    case Charset::shift_jis:
      return "Shift_JIS";
    case Charset::utf8:
      return "UTF-8";
    case Charset::utf16le:
      return "UTF-16LE";
    case Charset::utf16be:
      return "UTF-16BE";
    case Charset::iso8859_1:
      return "ISO-8859-1";
  }
  return "US-ASCII";
}

void DecodeCharset(Charset charset, std::span<const std::uint8_t> bytes, Text& text,
                   std::vector<DecodeIssue>& issues) {
  DecodeSink sink(text, issues);
  switch (charset) {
    case Charset::us_ascii:
      DecodeAscii(bytes, sink);
      break;
    case Charset::iso2022jp:
      DecodeIso2022Jp(bytes, sink);
      break;
    case Charset::euc_jp:
      DecodeEucJp(bytes, sink);
      break;
    case Charset::shift_jis:
      DecodeShiftJis(bytes, sink);
      break;
    case Charset::utf8:
      DecodeUtf8(bytes, sink);
      break;
    case Charset::utf16le:
      DecodeUtf16(bytes, false, sink);
      break;
    case Charset::utf16be:
      DecodeUtf16(bytes, true, sink);
      break;
    case Charset::iso8859_1:
      DecodeLatin1(bytes, sink);
      break;
  }
}

}  // namespace quillora::mail
