#include "uuencode_blocks.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace quillora::mail {
namespace {

struct Line {
  std::size_t begin;
  std::size_t end;   // before the line end
  std::size_t next;  // after the line end
};

Line LineAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  const auto newline =
      std::find(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), std::uint8_t{'\n'});
  const std::size_t next =
      newline == bytes.end() ? bytes.size() : static_cast<std::size_t>(newline - bytes.begin()) + 1;
  std::size_t end = newline == bytes.end() ? bytes.size() : next - 1;
  if (end > at && bytes[end - 1] == '\r') {
    --end;
  }
  return {at, end, next};
}

bool IsOctal(std::uint8_t b) {
  return b >= '0' && b <= '7';
}

// "begin" and a mode of three or four octal digits, then the name.
std::optional<std::size_t> NameStart(std::span<const std::uint8_t> line) {
  constexpr std::uint8_t kBegin[] = {'b', 'e', 'g', 'i', 'n', ' '};
  if (line.size() < 11 || !std::equal(std::begin(kBegin), std::end(kBegin), line.begin())) {
    return std::nullopt;
  }
  std::size_t i = 6;
  while (i < line.size() && IsOctal(line[i])) {
    ++i;
  }
  if (i - 6 < 3 || i - 6 > 4 || i + 1 >= line.size() || line[i] != ' ') {
    return std::nullopt;
  }
  return i + 1;
}

// A line that uuencode writes: its length character, then as many characters as that length
// needs (some encoders pad, some drop trailing blanks).
bool IsDataLine(std::span<const std::uint8_t> line) {
  if (line.empty()) {
    return false;
  }
  if (!std::all_of(line.begin(), line.end(), [](auto b) { return b >= 0x20 && b <= 0x60; })) {
    return false;
  }
  const std::size_t length = (line[0] - 0x20u) & 0x3F;
  const std::size_t needed = (length + 2) / 3 * 4;
  return line.size() - 1 <= needed + 2 && line.size() - 1 + 2 >= needed;
}

bool IsEndLine(std::span<const std::uint8_t> line) {
  return line.size() == 3 && line[0] == 'e' && line[1] == 'n' && line[2] == 'd';
}

}  // namespace

std::vector<UuencodeBlock> FindUuencodeBlocks(std::span<const std::uint8_t> bytes) {
  std::vector<UuencodeBlock> blocks;
  // Only a line that starts "begin " can open a block: found by searching, not line by line.
  const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t begin = all.find("begin ", at);
    if (begin == std::string_view::npos) {
      break;
    }
    if (begin > 0 && bytes[begin - 1] != '\n') {
      at = begin + 1;
      continue;
    }
    const Line line = LineAt(bytes, begin);
    const auto row = bytes.subspan(line.begin, line.end - line.begin);
    const auto name = NameStart(row);
    if (!name) {
      at = line.next;
      continue;
    }
    UuencodeBlock block;
    block.begin = line.begin;
    block.data_begin = line.next;
    block.name_begin = line.begin + *name;
    block.name.assign(row.begin() + static_cast<std::ptrdiff_t>(*name), row.end());
    std::size_t data = line.next;
    block.end = data;
    while (data < bytes.size()) {
      const Line next = LineAt(bytes, data);
      const auto text = bytes.subspan(next.begin, next.end - next.begin);
      if (IsEndLine(text)) {
        block.end = next.next;
        break;
      }
      if (!IsDataLine(text)) {
        break;
      }
      data = next.next;
      block.end = data;
    }
    blocks.push_back(std::move(block));
    at = blocks.back().end;
  }
  return blocks;
}

}  // namespace quillora::mail
