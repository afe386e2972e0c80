// The Shift_JIS pairs, and through them JIS X 0208, come from the code page 932 codec (one source
// of Microsoft's mapping); the JIS X 0212 table from ICU, which holds it in its EUC-JP converter
// behind the single shift 8F.
#include "jis_tables.h"

#include <unicode/ucnv.h>

#include <array>
#include <bitset>
#include <cassert>
#include <cstdint>
#include <memory>

#include "text/cp932_codec.h"
#include "text/sjis_bytes.h"

namespace quillora::mail {
namespace {

constexpr unsigned kCells = 94;
using JisTable = std::array<char16_t, std::size_t{kCells} * kCells>;

// The Shift_JIS pair of a JIS X 0208 code (row and cell from 0).
std::array<std::uint8_t, 2> SjisPair(unsigned row, unsigned cell) {
  const unsigned lead = row / 2 + (row < 62 ? 0x81 : 0xC1);
  const unsigned trail = row % 2 == 0 ? cell + (cell < 63 ? 0x40 : 0x41) : cell + 0x9F;
  return {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)};
}

// The character of each Shift_JIS lead and trail byte pair; 0 where the pair is none.
using PairTable = std::array<char16_t, std::size_t{256} * 256>;

// Every pair decoded in one call: the codec reads a lead byte and a trail byte as one character,
// one unit, whatever they are.
std::unique_ptr<PairTable> MakePairTable() {
  auto table = std::make_unique<PairTable>();
  ByteBuffer pairs;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (IsSjisLeadByte(static_cast<std::uint8_t>(lead)) &&
          IsSjisTrailByte(static_cast<std::uint8_t>(trail))) {
        pairs.push_back(static_cast<std::uint8_t>(lead));
        pairs.push_back(static_cast<std::uint8_t>(trail));
      }
    }
  }
  const Text text = BytesToText(pairs);
  assert(text.size() * 2 == pairs.size());
  for (std::size_t k = 0; k < text.size(); ++k) {
    const unsigned lead = pairs[2 * k];
    const unsigned trail = pairs[2 * k + 1];
    // The codec reads a pair with no character as U+30FB, which is also the character 81 45.
    const bool assigned = text[k] != u'\u30FB' || (lead == 0x81 && trail == 0x45);
    (*table)[lead << 8 | trail] = assigned ? text[k] : u'\0';
  }
  return table;
}

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

std::unique_ptr<JisTable> Make0212() {
  auto table = std::make_unique<JisTable>();
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open("EUC-JP", &status));
  if (U_FAILURE(status)) {
    return table;  // without ICU's data every JIS X 0212 code reads as invalid
  }
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  for (unsigned row = 0; row < kCells; ++row) {
    for (unsigned cell = 0; cell < kCells; ++cell) {
      const char bytes[] = {'\x8F', static_cast<char>(0xA1 + row), static_cast<char>(0xA1 + cell)};
      UChar units[4];
      status = U_ZERO_ERROR;
      ucnv_resetToUnicode(converter.get());
      const int32_t length = ucnv_toUChars(converter.get(), units, 4, bytes, sizeof bytes, &status);
      if (U_SUCCESS(status) && length == 1 && units[0] != 0xFFFD && units[0] != 0x1A) {
        (*table)[row * kCells + cell] = units[0];
      }
    }
  }
  return table;
}

// Every unit but the surrogates (which alone are no character) encoded in one call, the bytes
// then dealt out by the lead-byte rule: each unit encodes to one byte, or to a lead byte and one
// more.
std::unique_ptr<std::bitset<0x10000>> MakeCp932Set() {
  auto held = std::make_unique<std::bitset<0x10000>>();
  constexpr std::size_t kSurrogates = 0x800;
  Text units(0x10000 - kSurrogates, u'\0');
  for (std::size_t k = 0; k < units.size(); ++k) {
    units[k] = static_cast<char16_t>(k < 0xD800 ? k : k + kSurrogates);
  }
  ByteBuffer out;
  AppendTextAsBytes(units, out);
  std::size_t at = 0;
  for (const char16_t unit : units) {
    const std::uint8_t first = out[at];
    const bool pair = IsSjisLeadByte(first);
    if (pair || first != '?' || unit == u'?') {
      held->set(unit);
    }
    at += pair ? 2 : 1;
  }
  assert(at == out.size());
  return held;
}

}  // namespace

char16_t SjisPairToUnicode(std::uint8_t lead, std::uint8_t trail) {
  static const std::unique_ptr<PairTable> table = MakePairTable();
  return (*table)[static_cast<std::size_t>(lead << 8 | trail)];
}

char16_t Jis0208ToUnicode(unsigned row, unsigned cell) {
  // Its own small table: the decoders look up every kanji here.
  static const std::unique_ptr<JisTable> table = [] {
    auto jis = std::make_unique<JisTable>();
    for (unsigned r = 0; r < kCells; ++r) {
      for (unsigned c = 0; c < kCells; ++c) {
        const auto pair = SjisPair(r, c);
        (*jis)[r * kCells + c] = SjisPairToUnicode(pair[0], pair[1]);
      }
    }
    return jis;
  }();
  return row < kCells && cell < kCells ? (*table)[row * kCells + cell] : u'\0';
}

char16_t Jis0212ToUnicode(unsigned row, unsigned cell) {
  static const std::unique_ptr<JisTable> table = Make0212();
  return row < kCells && cell < kCells ? (*table)[row * kCells + cell] : u'\0';
}

bool Cp932Holds(char16_t c) {
  static const std::unique_ptr<std::bitset<0x10000>> held = MakeCp932Set();
  return c < 0x80 || held->test(c);
}

}  // namespace quillora::mail
