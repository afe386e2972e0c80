// Bytes written in hex in test tables: "1B 24 42" or "1b2442".
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora::test {

// Pairs of hex digits; blanks between pairs are skipped.
inline ByteBuffer Hex(std::string_view hex) {
  const auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  ByteBuffer bytes;
  for (std::size_t i = 0; i < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    if (i + 1 < hex.size()) {
      bytes.push_back(static_cast<std::uint8_t>(digit(hex[i]) << 4 | digit(hex[i + 1])));
    }
    i += 2;
  }
  return bytes;
}

// "1B 24 42": for messages that show bytes.
inline std::string ToHex(std::span<const std::uint8_t> bytes) {
  std::string hex;
  for (const std::uint8_t b : bytes) {
    char word[4];
    std::snprintf(word, sizeof word, hex.empty() ? "%02X" : " %02X", b);
    hex += word;
  }
  return hex;
}

}  // namespace quillora::test
