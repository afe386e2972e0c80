// Line and case helpers shared by the mail decoders and the front door.
#include "mail_text.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace quillora {

namespace {

template <typename Char>
std::optional<LineSpan> NextLineIn(std::basic_string_view<Char> text, std::size_t start) noexcept {
  const std::size_t lf = text.find(Char{'\n'}, start);
  if (lf == std::basic_string_view<Char>::npos) {
    return std::nullopt;
  }
  const bool after_cr = lf > start && text[lf - 1] == Char{'\r'};
  return LineSpan{after_cr ? lf - 1 : lf, lf + 1};
}

template <typename Char>
bool OnlyBlanksIn(std::basic_string_view<Char> text, std::size_t start) noexcept {
  return start >= text.size() ||
         text.find_first_not_of(Char{' '}, start) == std::basic_string_view<Char>::npos;
}

}  // namespace

std::optional<LineSpan> NextLine(std::u16string_view text, std::size_t start) noexcept {
  return NextLineIn(text, start);
}

std::optional<LineSpan> NextLine(std::string_view ascii, std::size_t start) noexcept {
  return NextLineIn(ascii, start);
}

bool OnlyBlanksFrom(std::u16string_view text, std::size_t start) noexcept {
  return OnlyBlanksIn(text, start);
}

bool OnlyBlanksFrom(std::string_view ascii, std::size_t start) noexcept {
  return OnlyBlanksIn(ascii, start);
}

std::string LowerCase(std::string_view ascii) {
  std::string lowered(ascii);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + ('a' - 'A'));
    }
  }
  return lowered;
}

Text LowerCase(std::u16string_view text) {
  Text lowered;
  lowered.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (U16_IS_LEAD(c) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
    }
    c = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
    if (c < 0x10000) {
      lowered.push_back(static_cast<char16_t>(c));
    } else {
      lowered.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      lowered.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return lowered;
}

}  // namespace quillora
