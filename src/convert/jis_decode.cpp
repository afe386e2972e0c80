// JIS (ISO-2022-JP) decoding to Shift_JIS and to EUC-JP.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "clsConvert.h"
#include "converter_support.h"

namespace quillora {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kEsc = 0x1B;

constexpr std::array<std::uint8_t, 3> kEscDollarB{kEsc, 0x24, 0x42};
constexpr std::array<std::uint8_t, 3> kEscDollarAt{kEsc, 0x24, 0x40};
constexpr std::array<std::uint8_t, 4> kEscDollarParenB{kEsc, 0x24, 0x28, 0x42};
constexpr std::array<std::uint8_t, 2> kEscK{kEsc, 0x4B};
constexpr std::array<std::uint8_t, 3> kEscParenB{kEsc, 0x28, 0x42};
constexpr std::array<std::uint8_t, 3> kEscParenJ{kEsc, 0x28, 0x4A};
constexpr std::array<std::uint8_t, 2> kEscH{kEsc, 0x48};

// The listed sequences are prefix-free and none contains 0x00, so a mismatch at the guard byte
// gives the same answer as reading byte by byte would.
template <std::size_t L>
bool StartsAt(Bytes in, std::size_t p, const std::array<std::uint8_t, L>& seq) {
  return in.size() - p >= L && std::ranges::equal(in.subspan(p, L), seq);
}

std::size_t KanjiInLength(Bytes in, std::size_t p) {
  if (in[p] != kEsc) {
    return 0;
  }
  if (StartsAt(in, p, kEscDollarB) || StartsAt(in, p, kEscDollarAt)) {
    return 3;
  }
  if (StartsAt(in, p, kEscDollarParenB)) {
    return 4;
  }
  return StartsAt(in, p, kEscK) ? 2 : 0;
}

std::size_t KanjiOutLength(Bytes in, std::size_t p) {
  if (in[p] != kEsc) {
    return 0;
  }
  if (StartsAt(in, p, kEscParenB) || StartsAt(in, p, kEscParenJ)) {
    return 3;
  }
  return StartsAt(in, p, kEscH) ? 2 : 0;
}

// JIS X 0208 row and cell to Shift_JIS lead and trail, in place. Returns false (overflow, both
// bytes unchanged) when a value would leave 0-255. Each step is checked, not only the result: a
// row byte of 0x00 steps below 0 and would come back into range.
[[nodiscard]] bool JisPairToSjis(std::uint8_t& b1, std::uint8_t& b2) noexcept {
  int row = b1;
  int cell = b2;
  const int offset = row > 0x5E ? 0xC1 : 0x81;
  if (row % 2 == 1) {
    cell += cell <= 0x5F ? 0x1F : 0x20;
  } else {
    row -= 1;
    cell += 0x7E;
  }
  if (!detail::FitsByte(row) || !detail::FitsByte(cell)) {
    return false;
  }
  row = (row - 0x21) / 2 + offset;  // row is odd here, so the division is exact
  if (!detail::FitsByte(row)) {
    return false;
  }
  b1 = static_cast<std::uint8_t>(row);
  b2 = static_cast<std::uint8_t>(cell);
  return true;
}

// The loop both decoders share. `in` ends with the guard byte; n excludes it. The sink's Single(b)
// takes a byte of the single-byte set, its Pair(b1, b2) a kanji pair and returns false on overflow.
template <typename Sink>
ConvertError DecodeJis(Bytes in, std::size_t n, Sink& sink) {
  bool kanji = false;
  std::size_t i = 0;
  // An escape matches only non-zero bytes, so a skipped one ends at the guard at the latest.
  while (i < n) {
    if (kanji) {
      if (const std::size_t len = KanjiOutLength(in, i); len > 0) {
        kanji = false;
        i += len;
        continue;
      }
      i += KanjiInLength(in, i);
      if (i + 1 >= in.size()) {
        return ConvertError::out_of_range;
      }
      if (!sink.Pair(in[i], in[i + 1])) {
        return ConvertError::overflow;
      }
      i += 2;
    } else {
      if (const std::size_t len = KanjiInLength(in, i); len > 0) {
        kanji = true;
        i += len;
        continue;
      }
      i += KanjiOutLength(in, i);
      sink.Single(in[i]);
      i += 1;
    }
  }
  return ConvertError::none;
}

struct SjisSink {
  detail::FixedOutput& out;

  void Single(std::uint8_t b) { out.Put(b); }
  bool Pair(std::uint8_t b1, std::uint8_t b2) {
    if (!JisPairToSjis(b1, b2)) {
      return false;
    }
    out.Put(b1);
    out.Put(b2);
    return true;
  }
};

struct EucSink {
  detail::GrowingOutput& out;

  void Single(std::uint8_t b) {
    if (b >= 0xA0 && b <= 0xDF) {
      out.Put(0x8E);  // single shift: half-width katakana
    }
    out.Put(b);
  }
  bool Pair(std::uint8_t b1, std::uint8_t b2) {
    out.Put(b1 | 0x80);
    out.Put(b2 | 0x80);
    return true;
  }
};

}  // namespace

ConvertResult clsConvert::JisToSJis(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings) {
  const std::size_t n = bytConvertStrings.size();
  detail::AppendGuardByte(bytConvertStrings);
  // A pair never outgrows what it consumed, and a byte taken from the guard follows an escape
  // that emitted nothing, so n positions always suffice.
  detail::FixedOutput out(bytConverted, n);
  SjisSink sink{out};
  const ConvertError error = DecodeJis(bytConvertStrings, n, sink);
  return error == ConvertError::none ? out.Finish() : out.Fail(error);
}

ConvertResult clsConvert::JisToEuc(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings) {
  const std::size_t n = bytConvertStrings.size();
  detail::AppendGuardByte(bytConvertStrings);
  detail::GrowingOutput out(2 * n);
  EucSink sink{out};
  const ConvertError error = DecodeJis(bytConvertStrings, n, sink);
  return error == ConvertError::none ? out.Finish(bytConverted) : out.Fail(bytConverted, error);
}

}  // namespace quillora
