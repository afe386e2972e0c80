// ICU's windows-31j mapping as the code page 932 tables are made from it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace quillora::tables {

struct Windows31j {
  // What ICU decodes each byte alone to and, after each lead byte, what it decodes that byte with
  // each trail byte to, in byte order; U+30FB where ICU gives anything but one UTF-16 unit.
  std::vector<char16_t> decoded;
  // Each BMP unit ICU encodes, with its code (one byte, or lead << 8 | trail), in unit order.
  std::vector<std::pair<char16_t, std::uint16_t>> encoded;
};

// Throws std::runtime_error when ICU has no windows-31j converter.
Windows31j ReadWindows31j();

}  // namespace quillora::tables
