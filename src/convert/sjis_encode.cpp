// Shift_JIS encoding to JIS (ISO-2022-JP) and to EUC-JP.
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "convert/clsConvert.h"
#include "converter_support.h"

namespace quillora {
namespace {

// Shift_JIS lead and trail to JIS X 0208 row and cell, in place. Returns false (overflow, both
// bytes unchanged) when a value would leave 0-255, as a trail below 0x1F does. Lead bytes 0xF0-0xFC
// give rows above 0x7E, which are kept as computed.
[[nodiscard]] bool SjisPairToJis(std::uint8_t& a, std::uint8_t& b) noexcept {
  int row = a;
  int cell = b;
  if (row > 0x9F) {
    row -= 0x40;
  }
  row = (row - 0x81) * 2 + 0x21;
  if (!detail::FitsByte(row)) {
    return false;
  }
  if (cell > 0x7E) {
    cell -= 1;
  }
  if (cell > 0x9D) {
    cell -= 0x7D;
    row += 1;
  } else {
    cell -= 0x1F;
  }
  if (!detail::FitsByte(row) || !detail::FitsByte(cell)) {
    return false;
  }
  a = static_cast<std::uint8_t>(row);
  b = static_cast<std::uint8_t>(cell);
  return true;
}

}  // namespace

ConvertResult clsConvert::SjisToJis(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings,
                                    bool booHankakuKana) {
  if (!booHankakuKana) {
    ByteBuffer widened;
    HankakuKanaToZenkakuKana(widened, bytConvertStrings);  // cannot fail
    bytConvertStrings = std::move(widened);
  }
  const std::uint8_t final_byte = booHankakuKana ? 0x4A : 0x42;  // ESC ( J or ESC ( B
  const std::span<const std::uint8_t> in(bytConvertStrings);
  const std::size_t n = in.size();
  // Worst case: escape and pair alternating with escape and single byte, 9 bytes for 3.
  detail::GrowingOutput out(3 * n, n + n / 4);
  bool kanji = false;
  for (std::size_t k = 0; k < n;) {
    const std::uint8_t b = in[k];
    if (!IsSjisLeadByte(b)) {
      if (kanji) {
        Put(out, 0x1B, 0x28, final_byte);
        kanji = false;
      }
      Put(out, b);
      ++k;
      continue;
    }
    if (!kanji) {
      Put(out, 0x1B, 0x24, 0x42);
      kanji = true;
    }
    if (k + 1 == n) {
      return out.Fail(bytConverted, ConvertError::out_of_range, k);
    }
    std::uint8_t row = b;
    std::uint8_t cell = in[k + 1];
    if (!SjisPairToJis(row, cell)) {
      return out.Fail(bytConverted, ConvertError::overflow, k);
    }
    Put(out, row);
    Put(out, cell);
    k += 2;
  }
  return out.Finish(bytConverted);
}

ConvertResult clsConvert::SjisToEucConvert(ByteBuffer& bytConverted,
                                           ByteBuffer& bytConvertStrings) {
  const std::span<const std::uint8_t> in(bytConvertStrings);
  const std::size_t n = in.size();
  ByteBuffer euc;
  euc.reserve(2 * n);
  std::size_t i = 0;
  for (; i + 1 < n; ++i) {
    const std::uint8_t a = in[i];
    if (a <= 0x7F) {
      euc.push_back(a);
    } else if (IsHalfwidthKatakanaByte(a)) {
      euc.push_back(0x8E);
      euc.push_back(a);
    } else {
      int row = 2 * (a <= 0x9F ? a - 0x71 : a - 0xB1) + 1;
      int cell = in[i + 1];
      if (cell >= 0x9F) {
        cell -= 0x7E;
        row += 1;
      } else if (cell > 0x7F) {
        cell -= 0x20;
      } else if (cell >= 0x1F) {
        cell -= 0x1F;
      }  // else the subtraction would leave 0-255 and is skipped: the trail goes out as it came
      euc.push_back(static_cast<std::uint8_t>(row | 0x80));
      euc.push_back(static_cast<std::uint8_t>(cell | 0x80));
      ++i;
    }
  }
  if (i + 1 == n) {
    const std::uint8_t d = in[i];
    if (IsHalfwidthKatakanaByte(d)) {
      euc.push_back(0x8E);
    }
    euc.push_back(d);
  }
  const std::size_t count = euc.size();
  bytConvertStrings = euc;
  bytConverted = std::move(euc);
  return {ConvertError::none, count};
}

}  // namespace quillora
