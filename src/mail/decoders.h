// One decoder per charset family, all writing to a DecodeSink.
#pragma once

#include <cstdint>
#include <span>

#include "decode_sink.h"

namespace quillora::mail {

void DecodeIso2022Jp(std::span<const std::uint8_t> bytes, DecodeSink& sink);
void DecodeEucJp(std::span<const std::uint8_t> bytes, DecodeSink& sink);
void DecodeShiftJis(std::span<const std::uint8_t> bytes, DecodeSink& sink);
void DecodeUtf8(std::span<const std::uint8_t> bytes, DecodeSink& sink);
// A byte-order mark, when there is one, decides the byte order over `big_endian`.
void DecodeUtf16(std::span<const std::uint8_t> bytes, bool big_endian, DecodeSink& sink);
void DecodeAscii(std::span<const std::uint8_t> bytes, DecodeSink& sink);
void DecodeLatin1(std::span<const std::uint8_t> bytes, DecodeSink& sink);

// The loop the ASCII-compatible decoders share: ASCII goes straight through, any other byte to
// `other(i)`, which reads one character (or gives one U+FFFD) there and returns how many bytes it
// took, at least one.
template <typename ReadOther>
void DecodeAsciiCompatible(std::span<const std::uint8_t> bytes, std::size_t from, DecodeSink& sink,
                           ReadOther other) {
  std::size_t i = from;
  while (i < bytes.size()) {
    if (bytes[i] < 0x80) {
      sink.Put(bytes[i], i, 1);
      ++i;
    } else {
      i += other(i);
    }
  }
}

// The half-width katakana of JIS X 0201 byte 0x21-0x5F (as in ESC ( I or after SO).
constexpr char16_t HalfwidthKana(std::uint8_t b) noexcept {
  return static_cast<char16_t>(0xFF61 + (b - 0x21));
}

}  // namespace quillora::mail
