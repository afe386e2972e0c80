// Line ends of edited text: a text area knows only paragraphs, the saved file keeps the line-end
// style the document came with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "text/byte_buffer.h"

namespace quillora {

enum class LineEnd { crlf, lf, cr };

// The style of the first line end in code page 932 bytes, whose trail bytes are never CR or LF;
// CR LF, the platform's own, when there is none.
[[nodiscard]] LineEnd LineEndOf(std::span<const std::uint8_t> cp932);

// Text as a text area is given it: each line end (CR LF, LF or a lone CR) as a line separator
// (U+2028) within a paragraph, and every kLinesPerParagraph-th as a paragraph end. The area lays
// out a few thousand paragraphs far faster than the hundreds of thousands a long mail has lines,
// and looks the same.
inline constexpr int kLinesPerParagraph = 64;
[[nodiscard]] Text ForTextArea(std::u16string_view text);

// Bytes from `offset`, `length` long.
struct ByteRange {
  std::size_t offset = 0;
  std::size_t length = 0;
};
// Characters of a text area from `from` up to `to`: positions in its document.
struct AreaRange {
  std::size_t from = 0;
  std::size_t to = 0;
};

// Where each byte range of code page 932 bytes is in ForTextArea(BytesToText(cp932)): every
// character one position, every line end one. A range that starts or ends inside a character or
// a CR LF takes all of it; one past the end ends at the end.
[[nodiscard]] std::vector<AreaRange> AreaRangesOf(std::span<const std::uint8_t> cp932,
                                                  std::span<const ByteRange> ranges);

// A text area's raw text with its paragraph and line separators (U+2029, U+2028) written as
// line_end.
[[nodiscard]] Text WithLineEnds(std::u16string_view area_text, LineEnd line_end);

}  // namespace quillora
