// The front door: reads a file whole and runs the converter that belongs to the conversion mode.
#include "convert/front_door.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <new>
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "convert/clsConvert.h"
#include "text/cp932_codec.h"
#include "direct_cp932.h"
#include "io/file_reading.h"
#include "io/large_buffer.h"
#include "mail_text.h"
#include "text/utf8.h"

namespace quillora {
namespace {

// A name with a lone surrogate names no file.
std::optional<ByteBuffer> ReadNamedFile(const Text& name) {
  const std::optional<std::string> native = FileNameToUtf8(name);
  return native ? ReadWholeFile(*native) : std::nullopt;
}

bool HoldsKanjiIn(const ByteBuffer& bytes) {
  static constexpr std::string_view kEscDollarB = "\x1B$B";
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return text.find(kEscDollarB) != std::string_view::npos;
}

// The bytes a converter produced: its whole output on success; after a failure only those it
// produced, not the zero bytes that merely pad its buffer.
ByteBuffer Produced(ByteBuffer output, ConvertResult result) {
  if (!result.ok()) {
    output.resize(std::min(result.count, output.size()));
  }
  return output;
}

// UTF-16 little-endian bytes, byte-order mark included; an odd final byte is no whole unit.
void AppendUtf16LeUnits(std::span<const std::uint8_t> bytes, Text& units) {
  const std::size_t start = units.size();
  units.resize(start + (bytes.size() + 1) / 2);
  char16_t* to = units.data() + start;
  for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
    *to++ = static_cast<char16_t>(bytes[k] | (bytes[k + 1] << 8));
  }
  if (bytes.size() % 2 != 0) {
    *to = u'\uFFFD';
  }
}

// UTF-16 text as code page 932, a stretch of units at a time. Only what code page 932 can hold
// comes through; the first character is the place of the byte-order mark, which itself encodes as
// "?". Encoded text reads back as itself, character for character, so the result is the encoded
// units less the first character's code.
void Utf16LeToCp932(const ByteBuffer& input, StreamOutput& sink) {
  constexpr std::size_t kStretch = std::size_t{1} << 16;  // bytes of input
  Text units;
  ByteBuffer encoded;
  bool skip_first = true;
  std::span<const std::uint8_t> rest(input);
  while (!rest.empty()) {
    std::size_t take = std::min(kStretch, rest.size());
    // A surrogate pair is one character for the encoder: keep its halves together.
    if (take < rest.size() && (rest[take - 1] & 0xFC) == 0xD8) {
      take = std::min(take + 2, rest.size());
    }
    units.clear();
    AppendUtf16LeUnits(rest.first(take), units);
    rest = rest.subspan(take);
    encoded.clear();
    AppendTextAsBytes(units, encoded);
    std::span<const std::uint8_t> bytes(encoded);
    if (skip_first) {
      bytes = bytes.subspan(FirstCharacterLength(bytes, true));  // a stretch holds a unit or more
      skip_first = false;
    }
    sink.Copy(bytes);
  }
}

// Mode 10's test, LowerCase(text).find(word) for an ASCII word without NUL, without the lowered
// copy: each character lowered as it is compared, by the same simple case mapping. Few characters
// above ASCII lower into it (U+0130 and U+212A do); a table of all of them is made once.
bool LoweredContains(std::u16string_view text, std::u16string_view word) {
  static const auto* const kLowerAscii = [] {
    auto* lower = new std::array<char16_t, 0x10000>{};  // 0: does not lower into ASCII
    for (UChar32 c = 0; c < 0x10000; ++c) {
      const UChar32 lowered = u_tolower(c);
      if (lowered < 0x80 && !(c >= 0xD800 && c <= 0xDFFF)) {
        (*lower)[static_cast<std::size_t>(c)] = static_cast<char16_t>(lowered);
      }
    }
    return lower;
  }();
  const std::array<char16_t, 0x10000>& lower = *kLowerAscii;
  if (word.empty()) {
    return true;
  }
  // A surrogate never lowers into ASCII, so taking the units one by one matches LowerCase's
  // code points.
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    if (lower[text[at]] != word[0]) {
      continue;
    }
    std::size_t k = 1;
    while (k < word.size() && lower[text[at + k]] == word[k]) {
      ++k;
    }
    if (k == word.size()) {
      return true;
    }
  }
  return false;
}

// LowerCase(text).find(word) for ASCII text given as its bytes.
bool LoweredContains(std::string_view ascii, std::string_view word) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
  };
  const auto matches_at = [&](std::size_t at) {
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (lower(ascii[at + k]) != word[k]) {
        return false;
      }
    }
    return true;
  };
  if (word.empty()) {
    return true;
  }
  if (word.size() > ascii.size()) {
    return false;
  }
  const std::size_t last = ascii.size() - word.size();
  // Eight bytes at a time, looking for the first letter in either case: OR-ing 0x20 turns both
  // into the lower-case letter (and other bytes into bytes the check below rejects).
  constexpr std::uint64_t kOnes = 0x0101010101010101U;
  const std::uint64_t first = kOnes * static_cast<unsigned char>(word[0]);
  const std::uint64_t fold = word[0] >= 'a' && word[0] <= 'z' ? kOnes * 0x20 : 0;
  std::size_t at = 0;
  for (; at + 8 <= last + 1; at += 8) {
    std::uint64_t block = 0;
    std::memcpy(&block, ascii.data() + at, sizeof block);
    const std::uint64_t x = (block | fold) ^ first;  // a zero byte where the letter may stand
    // The high bit of every zero byte, and perhaps of a byte after one: each is looked at.
    for (std::uint64_t marks = (x - kOnes) & ~x & (kOnes * 0x80); marks != 0; marks &= marks - 1) {
      if (matches_at(at + static_cast<std::size_t>(std::countr_zero(marks)) / 8)) {
        return true;
      }
    }
  }
  for (; at <= last; ++at) {
    if (matches_at(at)) {
      return true;
    }
  }
  return false;
}

std::string_view AsChars(const ByteBuffer& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Where each mode's result goes: bytes re-encoded as code page 932 text, or handed on as they are.
class Emit {
 public:
  Emit(Product product, StreamOutput& out) : product_(product), out_(out) {}

  [[nodiscard]] bool WantsText() const { return product_ == Product::cp932_text; }
  StreamOutput& Out() { return out_; }

  // Bytes whose text is the result.
  void Bytes(std::span<const std::uint8_t> bytes) {
    if (WantsText()) {
      out_.Reencode(bytes);
    } else {
      out_.Copy(bytes);
    }
  }
  // Bytes that are already the result's code page 932 text.
  void Encoded(std::span<const std::uint8_t> bytes) { out_.Copy(bytes); }

 private:
  Product product_;
  StreamOutput& out_;
};

void Dispatch(ByteBuffer input, Text& strFileName, std::int16_t intConversionMode,
              std::int16_t intOption, Emit emit) {
  clsConvert convert;
  ByteBuffer output{0};
  const bool booHankakuKana = intOption != 0;
  ConvertResult result;
  switch (intConversionMode) {
    case 1:
      if (!HoldsKanjiIn(input)) {
        return emit.Bytes(input);
      }
      if (emit.WantsText()) {
        (void)JisToSjisAsCp932(input, emit.Out());  // a failure keeps what came before it
        return;
      }
      result = convert.JisToSJis(output, input);
      break;
    case 2:
      result = convert.JisToEuc(output, input);
      break;
    case 4:
      result = convert.SjisToJis(output, input, booHankakuKana);
      break;
    case 5:
      // The second stage sees only what the first produced.
      result = convert.SjisToJis(output, input, booHankakuKana);
      input = Produced(output, result);
      result = convert.JisToEuc(output, input);
      break;
    case 7:
      result = convert.EucToJis(output, input, booHankakuKana);
      break;
    case 8:
      return EucToSjisAsCp932(input, emit.Out());
    case 9: {
      // Mail is mostly ASCII throughout, and then its bytes can stand for the text.
      if (IsAscii(input)) {
        return Base64AsciiToCp932(AsChars(input), emit.Out());
      }
      Text record = BytesToText(input);
      input = ByteBuffer();  // no longer read; its memory can serve the output
      convert.Base64ToSJis(output, record);
      return emit.Encoded(output);
    }
    case 10: {
      if (IsAscii(input)) {
        const std::string_view record = AsChars(input);
        if (!LoweredContains(record, "begin ") || !LoweredContains(record, "end")) {
          return emit.Bytes(input);  // the text of an ASCII file is its bytes
        }
        result = UuencodeAsciiToSJis(output, record, strFileName);
        break;
      }
      Text record = BytesToText(input);
      if (!LoweredContains(record, u"begin ") || !LoweredContains(record, u"end")) {
        return emit.Bytes(input);
      }
      input = ByteBuffer();
      result = convert.UuencodeToSJis(output, record, strFileName);
      break;
    }
    case 11:
      if (input.empty() || input[0] != 0xFF) {
        return emit.Bytes(input);
      }
      return Utf16LeToCp932(input, emit.Out());
    default:
      return;
  }
  emit.Bytes(Produced(std::move(output), result));
}

}  // namespace

void ConvertBytes(ByteBuffer input, Text& strFileName, std::int16_t intConversionMode,
                  std::int16_t intOption, Product product, StreamOutput& out) {
  Dispatch(std::move(input), strFileName, intConversionMode, intOption, Emit(product, out));
}

bool ConvertFile(Text& strFileName, std::int16_t intConversionMode, std::int16_t intOption,
                 Product product, StreamOutput& out) {
  std::optional<ByteBuffer> input = ReadNamedFile(strFileName);
  if (!input) {
    return false;
  }
  ConvertBytes(std::move(*input), strFileName, intConversionMode, intOption, product, out);
  return true;
}

Text clsConvert::KanjiConv(Text& strFileName, std::int16_t intConversionMode,
                           std::int16_t intOption) {
  ByteBuffer cp932;
  StreamOutput out(StreamOutput::AppendTo(cp932));
  if (!ConvertFile(strFileName, intConversionMode, intOption, Product::cp932_text, out)) {
    return {};
  }
  out.Finish();
  // Every character the codec decodes encodes back to a code that decodes to it again, so the
  // text of the code page 932 result is the text the converters' bytes stand for.
  return BytesToText(cp932);
}

}  // namespace quillora
