// UTF-8, UTF-16, US-ASCII and ISO-8859-1. A UTF-8 sequence that breaks off gives one U+FFFD for the
// bytes it had (its maximal subpart), and the byte that broke it is read again.
#include "decoders.h"

namespace quillora::mail {
namespace {

bool IsContinuation(std::uint8_t b) {
  return (b & 0xC0) == 0x80;
}

// The range the second byte of a sequence must lie in, which excludes overlong forms,
// surrogates and code points above U+10FFFF.
struct SecondByteRange {
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
};

SecondByteRange SecondRange(std::uint8_t lead) {
  switch (lead) {
    case 0xE0:
      return {0xA0, 0xBF};
    case 0xED:
      return {0x80, 0x9F};
    case 0xF0:
      return {0x90, 0xBF};
    case 0xF4:
      return {0x80, 0x8F};
    default:
      return {};
  }
}

std::size_t SequenceLength(std::uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return 4;
  }
  return 0;
}

}  // namespace

void DecodeUtf8(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  const std::size_t size = bytes.size();
  // A byte-order mark is no part of the text.
  const bool bom = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
  DecodeAsciiCompatible(bytes, bom ? 3 : 0, sink, [&](std::size_t i) -> std::size_t {
    const std::uint8_t b = bytes[i];
    const std::size_t length = SequenceLength(b);
    if (length == 0) {
      sink.Invalid(i, 1);
      return 1;
    }
    char32_t c = b & (0x7F >> length);
    std::size_t read = 1;
    const SecondByteRange second = SecondRange(b);
    while (read < length && i + read < size) {
      const std::uint8_t next = bytes[i + read];
      const bool fits =
          read == 1 ? next >= second.low && next <= second.high : IsContinuation(next);
      if (!fits) {
        break;
      }
      c = (c << 6) | (next & 0x3F);
      ++read;
    }
    if (read == length) {
      sink.Put(c, i, length);
    } else {
      sink.Invalid(i, read);
    }
    return read;
  });
}

void DecodeUtf16(std::span<const std::uint8_t> bytes, bool big_endian, DecodeSink& sink) {
  std::size_t i = 0;
  if (bytes.size() >= 2 &&
      ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
    big_endian = bytes[0] == 0xFE;
    i = 2;
  }
  auto unit = [&](std::size_t at) -> char16_t {
    return static_cast<char16_t>(big_endian ? bytes[at] << 8 | bytes[at + 1]
                                            : bytes[at + 1] << 8 | bytes[at]);
  };
  while (i + 1 < bytes.size()) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        sink.Put(0x10000 + ((char32_t{u} - 0xD800) << 10) + (low - 0xDC00u), i, 4);
        i += 4;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) {
      sink.Invalid(i, 2);
    } else {
      sink.Put(u, i, 2);
    }
    i += 2;
  }
  if (i < bytes.size()) {
    sink.Invalid(i, 1);  // an odd last byte
  }
}

void DecodeAscii(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  DecodeAsciiCompatible(bytes, 0, sink, [&](std::size_t i) -> std::size_t {
    sink.Invalid(i, 1);
    return 1;
  });
}

void DecodeLatin1(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    sink.Put(bytes[i], i, 1);
  }
}

}  // namespace quillora::mail
