// Code page 932 text codec: Microsoft's mapping as plain lookup tables, composed at compile time
// from ICU's windows-31j mapping (written out at build time) with Microsoft's departures from it.
#include "text/cp932_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <stdexcept>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "io/large_buffer.h"
#include "same_runs.h"
#include "text/katakana.h"
#include "text/sjis_bytes.h"
#include "text/windows31j_tables.h"

namespace quillora {
namespace {

constexpr std::uint8_t kQuestionMark = 0x3F;

constexpr bool IsLeadByte(unsigned b) noexcept {
  return b <= 0xFF && IsSjisLeadByte(static_cast<std::uint8_t>(b));
}
constexpr bool IsTrailByte(unsigned b) noexcept {
  return b <= 0xFF && IsSjisTrailByte(static_cast<std::uint8_t>(b));
}
constexpr std::size_t kLeadByteCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);

// The lead bytes in order of their rows.
constexpr std::array<std::uint8_t, kLeadByteCount> MakeLeadBytes() {
  std::array<std::uint8_t, kLeadByteCount> leads{};
  std::size_t row = 0;
  for (unsigned b = 0; b < 256; ++b) {
    if (IsLeadByte(b)) {
      leads[row++] = static_cast<std::uint8_t>(b);
    }
  }
  return leads;
}
constexpr std::array<std::uint8_t, kLeadByteCount> kLeadBytes = MakeLeadBytes();

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

// Bytes FF FF, which are no code.
constexpr std::uint16_t kSurrogate = 0xFFFF;
static_assert(std::endian::native == std::endian::little, "unit_bytes holds bytes in order");

struct Cp932Tables {
  constexpr Cp932Tables();

  // Each byte decoded on its own; a lead byte gives U+30FB.
  std::array<char16_t, 256> single{};
  // For a lead byte, 1 + its row in pair; 0 for every other byte.
  std::array<std::uint8_t, 256> lead_row{};
  // A lead byte with the byte after it; 0 where that byte is no trail byte and stands alone.
  std::array<std::array<char16_t, 256>, kLeadByteCount> pair{};
  // The code of each BMP unit: one byte below 0x100, lead << 8 | trail above; "?" where none.
  std::array<std::uint16_t, 0x10000> encode{};
  // Re-encoding bytes without the text, one step per character: what single or pair decodes to,
  // encoded. A step holds the output bytes (first in bits 0-7, second in 8-15) and how many there
  // are (bits 16-19). Indexed by a byte taken alone,
  // and by a lead byte's row with the byte after it (a pair, or the lead alone before a byte that
  // is no trail byte).
  std::array<std::uint32_t, 256> single_step{};
  std::array<std::array<std::uint32_t, 256>, kLeadByteCount> lead_step{};
  // One bit for every lead byte and byte after it: set where the two are a pair that re-encodes
  // to itself, as nearly every character of Japanese text does.
  std::array<std::array<std::uint64_t, 4>, 256> same_pair{};
};

constexpr Cp932Tables::Cp932Tables() {
  const auto& decoded = tables::kWindows31jDecoded;
  std::size_t decoded_at = 0;
  std::uint8_t rows = 0;
  for (unsigned b = 0; b < 256; ++b) {
    single.at(b) = decoded.at(decoded_at++);
    if (!IsLeadByte(b)) {
      continue;
    }
    lead_row.at(b) = ++rows;
    for (unsigned trail = 0; trail < 256; ++trail) {
      if (IsTrailByte(trail)) {
        pair.at(rows - 1U).at(trail) = decoded.at(decoded_at++);
      }
    }
  }
  if (decoded_at != decoded.size()) {
    throw std::logic_error("the windows-31j mapping has other pieces than the codec reads");
  }
  encode.fill(kQuestionMark);
  for (const tables::UnitCode& mapped : tables::kWindows31jEncoded) {
    encode.at(mapped.unit) = mapped.code;
  }
  for (const SingleByteFix& fix : kSingleByteFixes) {
    single.at(fix.byte) = fix.unit;
    encode.at(fix.unit) = fix.byte;
  }
  for (const EncodeFix& fix : kEncodeFixes) {
    encode.at(fix.unit) = fix.code;
  }
  // Decoding gives one BMP unit per character and never a surrogate, so that text encodes
  // character by character and the composed tables below are exact.
  const auto check = [](char16_t unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) {
      throw std::logic_error("code page 932 decodes to a surrogate");
    }
  };
  const auto step = [this](char16_t unit) {
    const std::uint16_t code = encode.at(unit);
    const bool two = code > 0xFF;
    const std::uint32_t first = two ? code >> 8 : code;
    const std::uint32_t second = two ? code & 0xFFU : 0U;
    return first | second << 8 | (two ? 2U : 1U) << 16;
  };
  for (unsigned b = 0; b < 256; ++b) {
    check(single.at(b));
    single_step.at(b) = step(single.at(b));
  }
  for (std::size_t row = 0; row < pair.size(); ++row) {
    const unsigned lead = kLeadBytes.at(row);
    for (unsigned next = 0; next < 256; ++next) {
      // A lead byte and a trail byte always make one character, assigned or not.
      const char16_t unit = pair.at(row).at(next);
      if ((unit != 0) != IsTrailByte(next)) {
        throw std::logic_error("code page 932 pairs a lead byte with a non-trail byte");
      }
      if (unit != 0) {
        check(unit);
      }
      lead_step.at(row).at(next) = unit != 0 ? step(unit) : single_step.at(lead);
      if (unit != 0 && encode.at(unit) == (lead << 8 | next)) {
        same_pair.at(lead).at(next / 64) |= std::uint64_t{1} << (next % 64);
      }
    }
  }
}

// Composed by the compiler: a program's first conversion reads them from its image, and only the
// pages it touches.
constexpr Cp932Tables kTables;

// The codes of Cp932Tables::encode as their bytes go out (first in bits 0-7, a second or 0 in bits
// 8-15), and kSurrogate for surrogates, which are no character alone: an encoding loop stores
// the two bytes as one and tests for surrogates and the width without branching on the code.
using UnitBytes = std::array<std::uint16_t, 0x10000>;
constexpr UnitBytes MakeUnitBytes() {
  UnitBytes bytes{};
  for (std::size_t unit = 0; unit < bytes.size(); ++unit) {
    const std::uint16_t code = kTables.encode.at(unit);
    bytes.at(unit) = (unit & 0xF800) == 0xD800 ? kSurrogate
                     : code > 0xFF ? static_cast<std::uint16_t>(code >> 8 | (code & 0xFFU) << 8)
                                   : code;
  }
  return bytes;
}
constexpr UnitBytes kUnitBytes = MakeUnitBytes();

constexpr bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

void AppendBytesAsText(std::span<const std::uint8_t> bytes, Text& text) {
  const Cp932Tables& tables = kTables;
  const std::size_t start = text.size();
  if (text.capacity() < start + bytes.size()) {
    ReserveLarge(text, start + bytes.size());
  }
  text.resize(start + bytes.size());  // never more units than bytes
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + bytes.size();
  char16_t* out = text.data() + start;
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
    // As in ReencodeBytes, how far to read on comes from the byte classes, not from a table.
    const std::uint8_t b = *in++;
    if (IsLeadByte(b) && in != end && IsTrailByte(*in)) {
      *out++ = tables.pair[tables.lead_row[b] - 1U][*in++];
    } else {
      *out++ = tables.single[b];
    }
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
}

Text BytesToText(std::span<const std::uint8_t> bytes) {
  Text text;
  AppendBytesAsText(bytes, text);
  return text;
}

void AppendTextAsBytes(std::u16string_view text, ByteBuffer& out) {
  const auto& encode = kTables.encode;
  const std::size_t start = out.size();
  if (out.capacity() < start + 2 * text.size()) {
    ReserveLarge(out, start + 2 * text.size());
  }
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
    // Runs of units that are no ASCII and no surrogate, as Japanese text is.
    while (in != end && *in >= 0x80 && (*in & 0xF800) != 0xD800) {
      // Both bytes are stored whatever the width; two bytes of room for each unit allow it.
      const std::uint16_t code = encode[*in++];
      const bool two = code > 0xFF;
      to[0] = static_cast<std::uint8_t>(two ? code >> 8 : code);
      to[1] = static_cast<std::uint8_t>(code);
      to += two ? 2 : 1;
    }
    if (in == end) {
      break;
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

namespace {

// Sixteen little-endian units at `in` to `to` if all are ASCII, which maps to itself.
bool CopyAsciiUnits(const std::uint8_t* in, std::uint8_t* to) noexcept {
#if defined(__x86_64__) || defined(_M_X64)
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
  const __m128i above_ascii =
      _mm_and_si128(_mm_or_si128(first, second), _mm_set1_epi16(static_cast<short>(0xFF80)));
  if (_mm_movemask_epi8(_mm_cmpeq_epi16(above_ascii, _mm_setzero_si128())) != 0xFFFF) {
    return false;
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_packus_epi16(first, second));
  return true;
#else
  std::array<std::uint64_t, 4> words{};
  std::memcpy(words.data(), in, sizeof words);
  if (((words[0] | words[1] | words[2] | words[3]) & 0xFF80FF80FF80FF80U) != 0) {
    return false;
  }
  for (int k = 0; k < 16; ++k) {
    to[k] = in[2 * k];
  }
  return true;
#endif
}

}  // namespace

std::size_t EncodeUtf16Le(std::span<const std::uint8_t> bytes, std::uint8_t* out) {
  const auto& encode = kTables.encode;
  const UnitBytes& unit_bytes_of = kUnitBytes;
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + (bytes.size() & ~std::size_t{1});
  std::uint8_t* to = out;
  const auto unit_at = [](const std::uint8_t* at) {
    return static_cast<char16_t>(at[0] | at[1] << 8);
  };
  const auto put = [&to](std::uint16_t code) {
    // Both bytes are stored whatever the width: two bytes of room for each unit allow it.
    const bool two = code > 0xFF;
    to[0] = static_cast<std::uint8_t>(two ? code >> 8 : code);
    to[1] = static_cast<std::uint8_t>(code);
    to += two ? 2 : 1;
  };
  while (in != end) {
    const char16_t unit = unit_at(in);
    if (unit < 0x80 && end - in >= 32 && CopyAsciiUnits(in, to)) {
      in += 32;
      to += 16;
      continue;
    }
    // Eight units at a time where none is a surrogate, as in nearly all text: their look-ups are
    // all made before any of their bytes is stored, so that they overlap (a quarter faster on
    // Japanese text than one unit at a time).
    if (end - in >= 16) {
      std::array<std::uint16_t, 8> block{};
      for (std::size_t k = 0; k < block.size(); ++k) {
        block[k] = unit_bytes_of[unit_at(in + 2 * k)];
      }
      if (std::ranges::none_of(block, [](std::uint16_t b) { return b == kSurrogate; })) {
        for (const std::uint16_t unit_bytes : block) {
          std::memcpy(to, &unit_bytes, sizeof unit_bytes);
          to += unit_bytes > 0xFF ? 2 : 1;
        }
        in += 16;
        continue;
      }
    }
    const std::uint16_t unit_bytes = unit_bytes_of[unit];
    in += 2;
    if (unit_bytes != kSurrogate) {
      std::memcpy(to, &unit_bytes, sizeof unit_bytes);
      to += unit_bytes > 0xFF ? 2 : 1;
    } else if (IsHighSurrogate(unit) && in != end && IsLowSurrogate(unit_at(in))) {
      in += 2;  // one code point outside the BMP, and code page 932 holds none
      *to++ = kQuestionMark;
    } else {
      put(encode[unit]);
    }
  }
  if (bytes.size() % 2 != 0) {
    put(encode[u'\uFFFD']);  // an odd final byte is no whole unit
  }
  return static_cast<std::size_t>(to - out);
}

namespace {

template <ReencodeKernel kKernel>
ReencodeProgress Reencode(std::span<const std::uint8_t> bytes, std::uint8_t* out, bool last) {
  const Cp932Tables& tables = kTables;
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + bytes.size();
  std::uint8_t* to = out;
  while (in != end) {
    if constexpr (kKernel != ReencodeKernel::plain) {
      const auto left = static_cast<std::size_t>(end - in);
      const std::size_t same = kKernel == ReencodeKernel::avx2 ? CopySameRunsAvx2(in, left, to)
                                                               : CopySameRunsSse2(in, left, to);
      in += same;
      to += same;
      if (in == end) {
        break;
      }
    }
    const std::uint8_t b = *in;
    // ASCII maps to itself both ways; take it eight bytes at a time.
    if (b < 0x80 && end - in >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, in, sizeof word);
      if ((word & 0x8080808080808080U) == 0) {
        std::memcpy(to, in, sizeof word);
        in += 8;
        to += 8;
        continue;
      }
    }
    // How far to read on is decided from the byte classes, not from the table: the next step
    // then does not wait for the load (half again as fast on Japanese text).
    // Four pairs that re-encode to themselves, as most of Japanese text is, go as they are.
    const auto same = [](const std::uint8_t* pair) {
      return (kTables.same_pair[pair[0]][pair[1] >> 6] >> (pair[1] & 63U)) & 1U;
    };
    const auto four_same = [&same](const std::uint8_t* at) {
      return (same(at) & same(at + 2) & same(at + 4) & same(at + 6)) != 0;
    };
    if (end - in >= 8 && four_same(in)) {
      do {
        std::memcpy(to, in, 8);
        in += 8;
        to += 8;
      } while (end - in >= 8 && four_same(in));
      continue;
    }
    std::uint32_t step = tables.single_step[b];
    std::size_t width = 1;
    if (IsLeadByte(b)) {
      if (end - in >= 2) {
        step = tables.lead_step[tables.lead_row[b] - 1U][in[1]];
        width = IsTrailByte(in[1]) ? 2 : 1;
      } else if (!last) {
        break;  // the next piece decides what this lead byte is
      }
    }
    // Both bytes are stored whatever the width: the room of two bytes for each byte read
    // allows it, and the width then costs no branch.
    to[0] = static_cast<std::uint8_t>(step);
    to[1] = static_cast<std::uint8_t>(step >> 8);
    to += (step >> 16) & 0xFU;
    in += width;
  }
  return {static_cast<std::size_t>(in - bytes.data()), static_cast<std::size_t>(to - out)};
}

}  // namespace

bool HasReencodeKernel(ReencodeKernel kernel) noexcept {
  switch (kernel) {
    case ReencodeKernel::plain:
      return true;
    case ReencodeKernel::sse2:
      return kHaveSameRunsVector;
    case ReencodeKernel::avx2:
      return kHaveSameRunsVector && HaveAvx2();
  }
  return false;
}

ReencodeProgress ReencodeBytesWith(ReencodeKernel kernel, std::span<const std::uint8_t> bytes,
                                   std::uint8_t* out, bool last) {
  if (kHaveSameRunsVector && kernel == ReencodeKernel::avx2) {
    return Reencode<ReencodeKernel::avx2>(bytes, out, last);
  }
  if (kHaveSameRunsVector && kernel == ReencodeKernel::sse2) {
    return Reencode<ReencodeKernel::sse2>(bytes, out, last);
  }
  return Reencode<ReencodeKernel::plain>(bytes, out, last);
}

ReencodeKernel BestReencodeKernel() noexcept {
  static const ReencodeKernel kBest = HasReencodeKernel(ReencodeKernel::avx2) ? ReencodeKernel::avx2
                                      : HasReencodeKernel(ReencodeKernel::sse2)
                                          ? ReencodeKernel::sse2
                                          : ReencodeKernel::plain;
  return kBest;
}

ReencodeProgress ReencodeBytes(std::span<const std::uint8_t> bytes, std::uint8_t* out, bool last) {
  return ReencodeBytesWith(BestReencodeKernel(), bytes, out, last);
}

bool IsAscii(std::span<const std::uint8_t> bytes) noexcept {
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + bytes.size();
#if defined(__x86_64__) || defined(_M_X64)
  // 64 bytes at a time (SSE2): one test of their high bits.
  for (; end - in >= 64; in += 64) {
    const auto* block = reinterpret_cast<const __m128i*>(in);
    const __m128i any =
        _mm_or_si128(_mm_or_si128(_mm_loadu_si128(block), _mm_loadu_si128(block + 1)),
                     _mm_or_si128(_mm_loadu_si128(block + 2), _mm_loadu_si128(block + 3)));
    if (_mm_movemask_epi8(any) != 0) {
      return false;
    }
  }
#endif
  std::uint64_t any = 0;
  for (; end - in >= 32; in += 32) {
    std::array<std::uint64_t, 4> words{};
    std::memcpy(words.data(), in, sizeof words);
    any |= words[0] | words[1] | words[2] | words[3];
    if ((any & 0x8080808080808080U) != 0) {
      return false;
    }
  }
  for (; in != end; ++in) {
    any |= *in;
  }
  return (any & 0x8080808080808080U) == 0;
}

std::unique_ptr<Jis0208Steps> ComposeJis0208Steps(
    const std::function<std::uint16_t(unsigned row, unsigned cell)>& sjis_pair) {
  const Cp932Tables& tables = kTables;
  auto steps = std::make_unique<Jis0208Steps>();
  for (unsigned row = 0; row < 94; ++row) {
    for (unsigned cell = 0; cell < 94; ++cell) {
      const std::uint16_t pair = sjis_pair(row, cell);
      const unsigned lead = pair & 0xFFU;
      const unsigned trail = pair >> 8;
      if (!IsLeadByte(lead) || !IsTrailByte(trail)) {
        continue;
      }
      const std::uint32_t step = tables.lead_step[tables.lead_row[lead] - 1U][trail];
      const std::uint32_t second = (step >> 16) == 2 ? (step >> 8) & 0xFFU : 0U;
      (*steps)[row * 94 + cell] = static_cast<std::uint16_t>((step & 0xFFU) | second << 8);
    }
  }
  return steps;
}

void AppendReencodedBytes(std::span<const std::uint8_t> bytes, ByteBuffer& out) {
  // A stretch at a time, so that the room for the worst case, twice the input, is reserved but
  // only touched as far as it is written.
  constexpr std::size_t kStretch = std::size_t{1} << 16;
  if (out.capacity() < out.size() + 2 * bytes.size()) {
    ReserveLarge(out, out.size() + 2 * bytes.size(), out.size() + bytes.size() + kStretch);
  }
  while (!bytes.empty()) {
    const std::size_t take = std::min(kStretch, bytes.size());
    const std::size_t start = out.size();
    out.resize(start + 2 * take);
    const ReencodeProgress progress =
        ReencodeBytes(bytes.first(take), out.data() + start, take == bytes.size());
    out.resize(start + progress.written);
    bytes = bytes.subspan(progress.read);
  }
}

std::size_t FirstCharacterLength(std::span<const std::uint8_t> bytes, bool last) {
  const Cp932Tables& tables = kTables;
  const unsigned row = tables.lead_row[bytes[0]];
  if (row == 0) {
    return 1;
  }
  if (bytes.size() == 1) {
    return last ? 1 : 0;
  }
  return tables.pair[row - 1][bytes[1]] != 0 ? 2 : 1;
}

ByteBuffer TextToBytes(std::u16string_view text) {
  ByteBuffer bytes;
  AppendTextAsBytes(text, bytes);
  return bytes;
}

char16_t HalfwidthToFullwidth(char16_t c) noexcept {
  if (c == u' ') {
    return u'\u3000';
  }
  if (c >= 0x21 && c <= 0x7E) {
    return static_cast<char16_t>(c + (0xFF01 - 0x21));
  }
  if (c < 0xFF61 || c > 0xFF9F) {
    return c;
  }
  // U+FF61 to U+FF9F are the half-width bytes A1 to DF; their full-width forms, as code page 932
  // decodes them.
  static const std::array<char16_t, 0xFF9F - 0xFF61 + 1> kKatakana = [] {
    std::array<char16_t, 0xFF9F - 0xFF61 + 1> wide{};
    for (std::size_t k = 0; k < wide.size(); ++k) {
      const std::uint16_t sjis =
          SjisOfJis0208(FullwidthKatakanaJis(static_cast<std::uint8_t>(0xA1 + k)));
      const std::array<std::uint8_t, 2> bytes{static_cast<std::uint8_t>(sjis >> 8),
                                              static_cast<std::uint8_t>(sjis)};
      wide[k] = BytesToText(bytes).front();
    }
    return wide;
  }();
  return kKatakana[c - 0xFF61U];
}

}  // namespace quillora
