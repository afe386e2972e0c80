// ISO-2022-JP as mailers write it: the Windows variants (NEC row 13 and the IBM extensions come
// from the code page 932 table), JIS X 0201 kana by ESC ( I, by SO/SI and as 8-bit bytes, JIS X
// 0212 from ISO-2022-JP-1/2, Shift_JIS pairs that mixed mail holds between the escapes, and a
// line end that ends any shifted run even when ESC ( B is missing.
#include "decoders.h"
#include "jis_tables.h"
#include "text/sjis_bytes.h"

namespace quillora::mail {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::uint8_t kShiftIn = 0x0F;

enum class Mode { ascii, roman, kana, jis0208, jis0212 };

bool IsTwoByte(Mode mode) {
  return mode == Mode::jis0208 || mode == Mode::jis0212;
}
bool IsGraphic(std::uint8_t b) {
  return b >= 0x21 && b <= 0x7E;
}

struct Escape {
  std::size_t length;
  Mode mode;
};

// The designation starting at bytes[at] (ESC); length 0 when it is none known.
Escape ReadEscape(std::span<const std::uint8_t> bytes, std::size_t at) {
  auto is = [&](std::size_t offset, std::uint8_t b) {
    return at + offset < bytes.size() && bytes[at + offset] == b;
  };
  if (is(1, '(')) {
    if (is(2, 'B')) {
      return {3, Mode::ascii};
    }
    if (is(2, 'J') || is(2, 'H')) {
      return {3, Mode::roman};
    }
    if (is(2, 'I')) {
      return {3, Mode::kana};
    }
  }
  if (is(1, '$')) {
    if (is(2, '@') || is(2, 'B')) {
      return {3, Mode::jis0208};
    }
    // ESC $ ( B and the JIS X 0213 plane 1 designations: its JIS X 0208 part reads the same.
    if (is(2, '(') && (is(3, 'B') || is(3, 'O') || is(3, 'Q'))) {
      return {4, Mode::jis0208};
    }
    if (is(2, '(') && is(3, 'D')) {
      return {4, Mode::jis0212};
    }
  }
  // ESC & @ announces the 1990 revision before ESC $ B: nothing to change.
  if (is(1, '&') && is(2, '@')) {
    return {3, Mode::ascii};
  }
  return {0, Mode::ascii};
}

}  // namespace

void DecodeIso2022Jp(std::span<const std::uint8_t> bytes, DecodeSink& sink) {
  Mode mode = Mode::ascii;
  Mode before_shift_out = Mode::ascii;
  bool shifted_out = false;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t b = bytes[i];
    if (b == kEsc) {
      const Escape escape = ReadEscape(bytes, i);
      if (escape.length == 0) {
        sink.Invalid(i, 1);
        ++i;
        continue;
      }
      // ESC & @ keeps the mode; every other designation replaces it.
      if (!(bytes[i + 1] == '&')) {
        mode = escape.mode;
        shifted_out = false;
      }
      i += escape.length;
      continue;
    }
    if (b == '\r' || b == '\n') {
      if (IsTwoByte(mode) || shifted_out || mode == Mode::kana) {
        sink.RepairedEscape(i, 0);
      }
      mode = Mode::ascii;
      shifted_out = false;
      sink.Put(b, i, 1);
      ++i;
      continue;
    }
    if (b == kShiftOut) {
      if (!shifted_out) {
        before_shift_out = mode;
        shifted_out = true;
        mode = Mode::kana;
      }
      ++i;
      continue;
    }
    if (b == kShiftIn) {
      if (shifted_out) {
        mode = before_shift_out;
        shifted_out = false;
      }
      ++i;
      continue;
    }
    if (b >= 0xA1 && b <= 0xDF) {  // 8-bit JIS X 0201 kana, as some mailers send them
      sink.Put(HalfwidthKana(static_cast<std::uint8_t>(b - 0x80)), i, 1);
      ++i;
      continue;
    }
    // Shift_JIS pairs between the escapes, as mixed mail holds them, read as Shift_JIS.
    if (b >= 0x80 && IsSjisLeadByte(b) && i + 1 < bytes.size() && IsSjisTrailByte(bytes[i + 1])) {
      sink.PutMapped(SjisPairToUnicode(b, bytes[i + 1]), i, 2);
      i += 2;
      continue;
    }
    if (b >= 0x80) {
      sink.Invalid(i, 1);
      ++i;
      continue;
    }
    if (IsTwoByte(mode) && IsGraphic(b)) {
      if (i + 1 >= bytes.size() || !IsGraphic(bytes[i + 1])) {
        sink.Invalid(i, 1);
        ++i;
        continue;
      }
      const unsigned row = b - 0x21u;
      const unsigned cell = bytes[i + 1] - 0x21u;
      const char16_t c =
          mode == Mode::jis0208 ? Jis0208ToUnicode(row, cell) : Jis0212ToUnicode(row, cell);
      sink.PutMapped(c, i, 2);
      i += 2;
      continue;
    }
    if (mode == Mode::kana && b >= 0x21 && b <= 0x5F) {
      sink.Put(HalfwidthKana(b), i, 1);
    } else if (mode == Mode::roman && (b == 0x5C || b == 0x7E)) {
      sink.Put(b == 0x5C ? U'\u00A5' : U'\u203E', i, 1);
    } else {
      sink.Put(b, i, 1);
    }
    ++i;
  }
  if (IsTwoByte(mode) || shifted_out || mode == Mode::kana) {
    sink.RepairedEscape(bytes.size(), 0);
  }
}

}  // namespace quillora::mail
