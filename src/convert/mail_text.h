// Line and case helpers shared by the mail decoders and the front door.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora {

// One line of a text: its characters end at `end`; the next line starts at `next`.
struct LineSpan {
  std::size_t end = 0;
  std::size_t next = 0;
};

// The line starting at `start`, ended by CR LF or by a lone LF (mail saved on POSIX systems);
// nullopt when no line end follows.
[[nodiscard]] std::optional<LineSpan> NextLine(std::u16string_view text,
                                               std::size_t start) noexcept;

// True when text from `start` on is empty or holds blanks only.
[[nodiscard]] bool OnlyBlanksFrom(std::u16string_view text, std::size_t start) noexcept;

// The same for ASCII text given as its bytes, one byte for each character.
[[nodiscard]] std::optional<LineSpan> NextLine(std::string_view ascii, std::size_t start) noexcept;
[[nodiscard]] bool OnlyBlanksFrom(std::string_view ascii, std::size_t start) noexcept;

// Lower case by each character's simple case mapping, as a file name written in capitals is
// shown in lower case.
[[nodiscard]] Text LowerCase(std::u16string_view text);

// The same for ASCII text given as its bytes: its capitals lowered, as the simple case mapping
// lowers them.
[[nodiscard]] std::string LowerCase(std::string_view ascii);

// LowerCase(text).find(word) != npos for an ASCII word without NUL, without the lowered copy.
[[nodiscard]] bool LoweredContains(std::u16string_view text, std::u16string_view word);
[[nodiscard]] bool LoweredContains(std::string_view ascii, std::string_view word);

}  // namespace quillora
