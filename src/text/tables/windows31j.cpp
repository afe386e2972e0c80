// ICU asked once in each direction: a call per character took tens of milliseconds.
#include "windows31j.h"

#include <unicode/ucnv.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "text/sjis_bytes.h"

namespace quillora::tables {
namespace {

// What Windows decodes a byte sequence without a mapping to.
constexpr char16_t kUndecodable = u'\u30FB';

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

struct SetCloser {
  void operator()(USet* set) const { uset_close(set); }
};

// One bulk conversion by ICU in either direction (the two share their shape), skipping what has
// no mapping; offsets receives each written unit's source position. Returns the units written.
template <typename From, typename To, typename Callback>
std::size_t ConvertSkipping(UConverter* converter,
                            void (*set_callback)(UConverter*, Callback, const void*, Callback*,
                                                 const void**, UErrorCode*),
                            Callback skip,
                            void (*convert)(UConverter*, To**, const To*, const From**, const From*,
                                            std::int32_t*, UBool, UErrorCode*),
                            std::span<const From> in, std::span<To> out,
                            std::span<std::int32_t> offsets) {
  UErrorCode status = U_ZERO_ERROR;
  set_callback(converter, skip, nullptr, nullptr, nullptr, &status);
  To* target = out.data();
  const From* source = in.data();
  convert(converter, &target, out.data() + out.size(), &source, in.data() + in.size(),
          offsets.data(), 1, &status);
  if (U_FAILURE(status)) {
    throw std::runtime_error("ICU cannot convert windows-31j");
  }
  return static_cast<std::size_t>(target - out.data());
}

ConverterPtr OpenWindows31j() {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open("windows-31j", &status));
  if (U_FAILURE(status)) {
    throw std::runtime_error("ICU provides no windows-31j converter");
  }
  return converter;
}

// Each byte, and after a lead byte each pair it starts, in byte order.
std::vector<std::string> Pieces() {
  std::vector<std::string> pieces;
  for (unsigned b = 0; b < 256; ++b) {
    const auto lead = static_cast<std::uint8_t>(b);
    pieces.emplace_back(1, static_cast<char>(b));
    for (unsigned trail = 0; IsSjisLeadByte(lead) && trail < 256; ++trail) {
      if (IsSjisTrailByte(static_cast<std::uint8_t>(trail))) {
        pieces.push_back({static_cast<char>(b), static_cast<char>(trail)});
      }
    }
  }
  return pieces;
}

// For each piece of bytes, the single UTF-16 unit ICU decodes it to, if it decodes it to exactly
// one. A line feed follows each piece, and no piece can take it as a trail byte, so a piece ICU
// cannot decode leaves the next one alone; the offsets ICU reports tell which units came from
// which piece.
std::vector<char16_t> DecodeEachPiece(UConverter* converter,
                                      const std::vector<std::string>& pieces) {
  std::string bytes;
  std::vector<std::size_t> starts;
  for (const std::string& piece : pieces) {
    starts.push_back(bytes.size());
    bytes += piece;
    bytes += '\n';
  }
  std::vector<char16_t> units(2 * bytes.size());
  std::vector<std::int32_t> offsets(units.size());
  const std::size_t decoded =
      ConvertSkipping(converter, ucnv_setToUCallBack, UCNV_TO_U_CALLBACK_SKIP, ucnv_toUnicode,
                      std::span<const char>(bytes), std::span(units), std::span(offsets));
  // Per piece: how many units came from it, and the first of them if it came from its start.
  std::vector<unsigned> count(pieces.size());
  std::vector<char16_t> first(pieces.size(), kUndecodable);
  std::size_t piece = 0;
  for (std::size_t k = 0; k < decoded; ++k) {
    const auto offset = static_cast<std::size_t>(offsets[k]);
    while (piece + 1 < starts.size() && starts[piece + 1] <= offset) {
      ++piece;
    }
    if (offset >= starts[piece] + pieces[piece].size()) {
      continue;  // the line feed
    }
    if (++count[piece] == 1 && offset == starts[piece]) {
      first[piece] = units[k];
    }
  }
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    if (count[k] != 1) {
      first[k] = kUndecodable;
    }
  }
  return first;
}

// ICU's code for every BMP unit it encodes, in one call. Units ICU writes nothing for (no
// mapping, a lone surrogate, and, even under the stop callback, default-ignorable characters) are
// skipped, so the offsets ICU reports tell which bytes belong to which unit.
std::vector<std::pair<char16_t, std::uint16_t>> EncodeEveryUnit(UConverter* converter) {
  // Only the units ICU can encode at all, fallbacks included: most of the BMP has no mapping, and
  // the callback skipping each of those would cost most of the time.
  std::vector<char16_t> units;
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<USet, SetCloser> encodable(uset_openEmpty());
  ucnv_getUnicodeSet(converter, encodable.get(), UCNV_ROUNDTRIP_AND_FALLBACK_SET, &status);
  for (std::int32_t range = 0; range < uset_getItemCount(encodable.get()); ++range) {
    UChar32 first = 0;
    UChar32 last = 0;
    if (uset_getItem(encodable.get(), range, &first, &last, nullptr, 0, &status) == 0) {
      for (UChar32 c = first; c <= std::min<UChar32>(last, 0xFFFF); ++c) {
        units.push_back(static_cast<char16_t>(c));
      }
    }
  }
  std::vector<char> bytes(2 * units.size());
  std::vector<std::int32_t> offsets(bytes.size());
  const std::size_t written =
      ConvertSkipping(converter, ucnv_setFromUCallBack, UCNV_FROM_U_CALLBACK_SKIP, ucnv_fromUnicode,
                      std::span<const char16_t>(units), std::span(bytes), std::span(offsets));
  std::vector<std::pair<char16_t, std::uint16_t>> codes;
  for (std::size_t k = 0; k < written;) {
    std::size_t n = 1;
    while (k + n < written && offsets[k + n] == offsets[k]) {
      ++n;
    }
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    if (n <= 2 && offsets[k] >= 0) {
      codes.emplace_back(units.at(static_cast<std::size_t>(offsets[k])),
                         n == 1 ? byte(k) : static_cast<std::uint16_t>(byte(k) << 8 | byte(k + 1)));
    }
    k += n;
  }
  return codes;
}

}  // namespace

Windows31j ReadWindows31j() {
  const ConverterPtr converter = OpenWindows31j();
  return {DecodeEachPiece(converter.get(), Pieces()), EncodeEveryUnit(converter.get())};
}

}  // namespace quillora::tables
