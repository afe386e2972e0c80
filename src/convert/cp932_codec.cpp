// Code page 932 text codec: Microsoft's mapping, read once from ICU's windows-31j converter with
// Microsoft's departures from it applied, then used as plain lookup tables.
#include "cp932_codec.h"

#include <unicode/ucnv.h>

#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

namespace quillora {
namespace {

// What Windows decodes a byte sequence without a mapping to.
constexpr char16_t kUndecodable = u'\u30FB';
constexpr std::uint8_t kQuestionMark = 0x3F;

constexpr bool IsLeadByte(unsigned b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsTrailByte(unsigned b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
constexpr std::size_t kLeadByteCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);

struct SingleByteFix {
  std::uint8_t byte;
  char16_t unit;
};
// Single bytes that map differently from ICU, in both directions: ICU rotates the controls 1A, 1C
// and 7F among themselves and leaves 80, A0, FD, FE and FF unmapped.
constexpr std::array<SingleByteFix, 8> kSingleByteFixes{{
    {0x1A, u'\u001A'},
    {0x1C, u'\u001C'},
    {0x7F, u'\u007F'},
    {0x80, u'\u0080'},
    {0xA0, u'\uF8F0'},
    {0xFD, u'\uF8F1'},
    {0xFE, u'\uF8F2'},
    {0xFF, u'\uF8F3'},
}};

struct EncodeFix {
  char16_t unit;
  std::uint16_t code;
};
// Characters that encode differently from ICU while decoding stays as it is. ICU's one-way
// U+F86F -> 87 82 is not Microsoft's. The JIS X 0208 forms of characters that Microsoft maps to
// other code points take their JIS codes, as glibc's CP932 does, so that text written elsewhere
// (a wave dash, a yen sign) keeps them.
constexpr std::array<EncodeFix, 10> kEncodeFixes{{
    {u'\uF86F', kQuestionMark},
    {u'\u301C', 0x8160},
    {u'\u2016', 0x8161},
    {u'\u2212', 0x817C},
    {u'\u00A2', 0x8191},
    {u'\u00A3', 0x8192},
    {u'\u00AC', 0x81CA},
    {u'\u2014', 0x815C},
    {u'\u00A5', 0x5C},
    {u'\u203E', 0x7E},
}};

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenWindows31j() {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open("windows-31j", &status));
  // Stop instead of substituting, so that a missing mapping shows as a failure.
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
  if (U_FAILURE(status)) {
    throw std::runtime_error("ICU provides no windows-31j converter");
  }
  return converter;
}

// The single UTF-16 unit ICU decodes the bytes to, if it decodes them to exactly one.
std::optional<char16_t> IcuDecode(UConverter* converter, std::span<const char> bytes) {
  std::array<char16_t, 2> units{};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter);
  const int32_t count = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()),
                                      bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status) || count != 1) {
    return std::nullopt;
  }
  return units[0];
}

// ICU's code for one BMP unit: one byte, or lead << 8 | trail. None where ICU has no mapping or,
// as it does for default-ignorable characters even under the stop callback, writes nothing.
std::optional<std::uint16_t> IcuEncode(UConverter* converter, char16_t unit) {
  std::array<char, 4> bytes{};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_resetFromUnicode(converter);
  const int32_t count = ucnv_fromUChars(converter, bytes.data(), static_cast<int32_t>(bytes.size()),
                                        &unit, 1, &status);
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes.at(i)); };
  if (U_FAILURE(status) || count < 1 || count > 2) {
    return std::nullopt;
  }
  return count == 1 ? byte(0) : static_cast<std::uint16_t>(byte(0) << 8 | byte(1));
}

struct Cp932Tables {
  Cp932Tables();

  // Each byte decoded on its own; a lead byte gives U+30FB.
  std::array<char16_t, 256> single{};
  // For a lead byte, 1 + its row in pair; 0 for every other byte.
  std::array<std::uint8_t, 256> lead_row{};
  // A lead byte with the byte after it; 0 where that byte is no trail byte and stands alone.
  std::array<std::array<char16_t, 256>, kLeadByteCount> pair{};
  // The code of each BMP unit: one byte below 0x100, lead << 8 | trail above; "?" where none.
  std::array<std::uint16_t, 0x10000> encode{};
};

Cp932Tables::Cp932Tables() {
  const ConverterPtr converter = OpenWindows31j();
  std::uint8_t rows = 0;
  for (unsigned b = 0; b < 256; ++b) {
    const std::array<char, 1> alone{static_cast<char>(b)};
    single.at(b) = IcuDecode(converter.get(), alone).value_or(kUndecodable);
    if (!IsLeadByte(b)) {
      continue;
    }
    lead_row.at(b) = ++rows;
    for (unsigned trail = 0; trail < 256; ++trail) {
      if (IsTrailByte(trail)) {
        const std::array<char, 2> both{static_cast<char>(b), static_cast<char>(trail)};
        pair.at(rows - 1U).at(trail) = IcuDecode(converter.get(), both).value_or(kUndecodable);
      }
    }
  }
  encode.fill(kQuestionMark);
  for (unsigned unit = 0; unit < encode.size(); ++unit) {
    if (const auto code = IcuEncode(converter.get(), static_cast<char16_t>(unit))) {
      encode.at(unit) = *code;
    }
  }
  for (const SingleByteFix& fix : kSingleByteFixes) {
    single.at(fix.byte) = fix.unit;
    encode.at(fix.unit) = fix.byte;
  }
  for (const EncodeFix& fix : kEncodeFixes) {
    encode.at(fix.unit) = fix.code;
  }
}

const Cp932Tables& Tables() {
  static const Cp932Tables tables;
  return tables;
}

constexpr bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

Text BytesToText(std::span<const std::uint8_t> bytes) {
  const Cp932Tables& tables = Tables();
  Text text(bytes.size(), u'\0');  // never more units than bytes
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + bytes.size();
  char16_t* out = text.data();
  while (in != end) {
    // ASCII maps to itself; take it eight bytes at a time.
    if (end - in >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, in, sizeof word);
      if ((word & 0x8080808080808080U) == 0) {
        for (int k = 0; k < 8; ++k) {
          out[k] = in[k];
        }
        in += 8;
        out += 8;
        continue;
      }
    }
    const std::uint8_t b = *in++;
    char16_t unit = tables.single[b];
    if (const unsigned row = tables.lead_row[b]; row != 0 && in != end) {
      if (const char16_t paired = tables.pair[row - 1][*in]; paired != 0) {
        unit = paired;
        ++in;
      }
    }
    *out++ = unit;
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

void AppendTextAsBytes(std::u16string_view text, ByteBuffer& out) {
  const auto& encode = Tables().encode;
  const std::size_t start = out.size();
  out.resize(start + 2 * text.size());  // never more than two bytes per unit
  std::uint8_t* to = out.data() + start;
  const char16_t* in = text.data();
  const char16_t* const end = in + text.size();
  while (in != end) {
    // ASCII maps to itself; take it eight units at a time.
    if (end - in >= 8) {
      std::array<std::uint64_t, 2> words{};
      std::memcpy(words.data(), in, sizeof words);
      if (((words[0] | words[1]) & 0xFF80FF80FF80FF80U) == 0) {
        for (int k = 0; k < 8; ++k) {
          to[k] = static_cast<std::uint8_t>(in[k]);
        }
        in += 8;
        to += 8;
        continue;
      }
    }
    const char16_t unit = *in++;
    if (IsHighSurrogate(unit) && in != end && IsLowSurrogate(*in)) {
      // One code point outside the BMP, and code page 932 holds none.
      ++in;
      *to++ = kQuestionMark;
      continue;
    }
    const std::uint16_t code = encode[unit];
    if (code > 0xFF) {
      *to++ = static_cast<std::uint8_t>(code >> 8);
    }
    *to++ = static_cast<std::uint8_t>(code);
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
}

ByteBuffer TextToBytes(std::u16string_view text) {
  ByteBuffer bytes;
  AppendTextAsBytes(text, bytes);
  return bytes;
}

char16_t HalfwidthToFullwidth(char16_t c) noexcept {
  // The full-width forms of U+FF61..U+FF9F, in rows of eight from U+FF60. The sound marks become
  // the spacing ゛ and ゜, as Windows widens them.
  constexpr std::u16string_view kKatakana =
      u"。「」、・ヲァ"
      u"ィゥェォャュョッ"
      u"ーアイウエオカキ"
      u"クケコサシスセソ"
      u"タチツテトナニヌ"
      u"ネノハヒフヘホマ"
      u"ミムメモヤユヨラ"
      u"リルレロワン゛゜";
  static_assert(kKatakana.size() == 0xFF9F - 0xFF61 + 1);
  if (c == u' ') {
    return u'\u3000';
  }
  if (c >= 0x21 && c <= 0x7E) {
    return static_cast<char16_t>(c + (0xFF01 - 0x21));
  }
  if (c >= 0xFF61 && c <= 0xFF9F) {
    return kKatakana[c - 0xFF61U];
  }
  return c;
}

}  // namespace quillora
