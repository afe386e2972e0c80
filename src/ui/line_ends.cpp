// Line ends of edited text.
#include "ui/line_ends.h"

#include <algorithm>

namespace quillora {

LineEnd LineEndOf(std::span<const std::uint8_t> cp932) {
  const auto end = std::find_if(cp932.begin(), cp932.end(),
                                [](std::uint8_t byte) { return byte == '\r' || byte == '\n'; });
  if (end == cp932.end()) {
    return LineEnd::crlf;
  }
  if (*end == '\n') {
    return LineEnd::lf;
  }
  return end + 1 != cp932.end() && end[1] == '\n' ? LineEnd::crlf : LineEnd::cr;
}

Text ForTextArea(std::u16string_view text) {
  Text area_text;
  area_text.reserve(text.size());
  int lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n') {
      area_text += c;
      continue;
    }
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      ++i;
    }
    area_text += ++lines % kLinesPerParagraph == 0 ? u'\u2029' : u'\u2028';
  }
  return area_text;
}

Text WithLineEnds(std::u16string_view area_text, LineEnd line_end) {
  const std::u16string_view separator = line_end == LineEnd::crlf ? u"\r\n"
                                        : line_end == LineEnd::lf ? u"\n"
                                                                  : u"\r";
  Text text;
  text.reserve(area_text.size() + area_text.size() / 32);
  for (const char16_t c : area_text) {
    if (c == u'\u2029' || c == u'\u2028') {
      text += separator;
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace quillora
