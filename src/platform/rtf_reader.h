// A small RTF reader: text, paragraphs, bold, italic, underline, font, size and colour.
// Widget-free; it reads any input in linear time without recursion and never reads outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "text/byte_buffer.h"

namespace quillora::rtf {

struct CharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int font = -1;                        // index into Document::fonts; -1: the reader's default font
  int half_points = 0;                  // font size in half points; 0: the reader's default size
  std::optional<std::uint32_t> colour;  // 0xRRGGBB; none: the reader's default colour

  friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

struct Run {
  Text text;  // a line break inside a paragraph is U+2028
  CharFormat format;
};

struct Paragraph {
  std::vector<Run> runs;  // adjacent runs differ in format; no run is empty
};

struct Document {
  std::vector<Text> fonts;            // font names, as CharFormat::font indexes them
  std::vector<Paragraph> paragraphs;  // at least one
};

// Reads an RTF document. Bytes written as \'hh and 8-bit text are code page 932; reading stops at
// the end of the outermost group or of the input, whichever comes first.
[[nodiscard]] Document ReadRtf(std::span<const std::uint8_t> bytes);

}  // namespace quillora::rtf
