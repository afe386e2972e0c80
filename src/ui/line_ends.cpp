// Line ends of edited text.
#include "ui/line_ends.h"

#include <algorithm>

#include "text/cp932_codec.h"

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

std::vector<AreaRange> AreaRangesOf(std::span<const std::uint8_t> cp932,
                                    std::span<const ByteRange> ranges) {
  // Each range's two ends, answered in the order of their bytes during one walk over cp932.
  struct End {
    std::size_t byte;
    std::size_t* position;
    bool to;  // a range's end takes the character it falls in, a start begins before it
  };
  std::vector<AreaRange> found(ranges.size());
  std::vector<End> ends;
  ends.reserve(2 * ranges.size());
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const std::size_t from = std::min(ranges[i].offset, cp932.size());
    const std::size_t length = std::min(ranges[i].length, cp932.size() - from);
    ends.push_back({from, &found[i].from, false});
    ends.push_back({from + length, &found[i].to, true});
  }
  std::sort(ends.begin(), ends.end(), [](const End& a, const End& b) { return a.byte < b.byte; });
  auto next = ends.begin();
  std::size_t position = 0;
  for (std::size_t at = 0; at < cp932.size() && next != ends.end(); ++position) {
    const bool crlf = cp932[at] == '\r' && at + 1 < cp932.size() && cp932[at + 1] == '\n';
    const std::size_t length =
        cp932[at] < 0x80 ? (crlf ? 2 : 1) : FirstCharacterLength(cp932.subspan(at), true);
    for (; next != ends.end() && next->byte < at + length; ++next) {
      *next->position = position + (next->to && next->byte > at ? 1 : 0);
    }
    at += length;
  }
  for (; next != ends.end(); ++next) {
    *next->position = position;
  }
  return found;
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
