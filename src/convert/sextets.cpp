// Base64 and uuencoded characters to bytes 16 at a time with SSSE3: values found by table
// shuffles, then four 6-bit values merged into three bytes by multiply-adds and a shuffle.
#include "convert/sextets.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <array>
#include <bit>
#include <cstring>

namespace quillora {
namespace {

#define QUILLORA_SSSE3 __attribute__((target("ssse3")))

// Sixteen values of 0-63, four to a group with the first in the high bits, to twelve bytes.
QUILLORA_SSSE3 void StoreTwelve(__m128i values, std::uint8_t* to) noexcept {
  // Pairs: first * 64 + second in each 16-bit lane; then pairs of pairs: high * 4096 + low.
  const __m128i pairs = _mm_maddubs_epi16(values, _mm_set1_epi32(0x01400140));
  const __m128i groups = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));
  // Each 32-bit lane holds its 24 bits little-endian; the bytes go out high first.
  const __m128i bytes = _mm_shuffle_epi8(
      groups, _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
  // Twelve bytes, not sixteen: the output may be a buffer of exactly its size.
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to), bytes);
  const auto last = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 8)));
  std::memcpy(to + 8, &last, sizeof last);
}

QUILLORA_SSSE3 std::size_t DecodeBase64Ssse3(const char* in, std::size_t n,
                                             std::uint8_t* to) noexcept {
  // Every character's class from its low and its high four bits: a lane is no symbol when the
  // two tables share a bit. The offset to add comes from the high four bits, with "/" apart.
  const __m128i low_classes = _mm_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                            0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
  const __m128i high_classes = _mm_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10,
                                             0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
  const __m128i offsets = _mm_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m128i slash = _mm_set1_epi8(0x2F);
  std::size_t done = 0;
  for (; n - done >= 16; done += 16) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    const __m128i high = _mm_and_si128(_mm_srli_epi32(chars, 4), slash);
    const __m128i low = _mm_and_si128(chars, slash);
    const __m128i classes =
        _mm_and_si128(_mm_shuffle_epi8(low_classes, low), _mm_shuffle_epi8(high_classes, high));
    const auto no_symbol =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(classes, _mm_setzero_si128())));
    const __m128i offset =
        _mm_shuffle_epi8(offsets, _mm_add_epi8(_mm_cmpeq_epi8(chars, slash), high));
    const __m128i values = _mm_add_epi8(chars, offset);
    if (no_symbol != 0) {
      // The whole groups before the first character that is no symbol (a line of 76 ends with
      // 12 of them): their bytes alone are written, as the input after them is still to be read.
      const auto groups = static_cast<std::size_t>(std::countr_zero(no_symbol)) / 4;
      std::array<std::uint8_t, 12> bytes{};
      StoreTwelve(values, bytes.data());
      std::memcpy(to + done / 4 * 3, bytes.data(), 3 * groups);
      return done + 4 * groups;
    }
    StoreTwelve(values, to + done / 4 * 3);
  }
  return done;
}

QUILLORA_SSSE3 std::size_t DecodeUuSsse3(const char* in, std::size_t n, std::uint8_t* to) noexcept {
  const __m128i blank = _mm_set1_epi8(0x20);
  std::size_t done = 0;
  for (; n - done >= 16; done += 16) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    // Signed: a byte of 0x80 or more counts as below the blank and is left to the scalar loop.
    if (_mm_movemask_epi8(_mm_cmplt_epi8(chars, blank)) != 0) {
      break;
    }
    StoreTwelve(_mm_and_si128(_mm_sub_epi8(chars, blank), _mm_set1_epi8(0x3F)), to + done / 4 * 3);
  }
  return done;
}

QUILLORA_SSSE3 std::size_t DecodeUuLineSsse3(const char* line, std::size_t available,
                                             std::uint8_t* to) noexcept {
  constexpr std::size_t kData = 60;
  if (available < 1 + kData + 4 || line[0] != 'M') {
    return 0;
  }
  std::size_t length = 1 + kData + 1;
  if (line[1 + kData] == '\r' && line[2 + kData] == '\n') {
    ++length;
  } else if (line[1 + kData] != '\n') {
    return 0;
  }
  // All four blocks are read before any byte is written, which may be over them. The last one
  // holds the last twelve data characters, then the line end and what follows.
  const __m128i blank = _mm_set1_epi8(0x20);
  const __m128i span = _mm_set1_epi8(0x60 - 0x20);
  unsigned outside = 0;
  // The values of the block at `offset`, noting in `outside` which of its first `lanes` are not
  // data characters.
  const auto values = [&](std::size_t offset, unsigned lanes) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + offset));
    const __m128i shifted = _mm_sub_epi8(chars, blank);
    const auto inside = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(shifted, span), shifted)));
    outside |= ~inside & lanes;
    return _mm_and_si128(shifted, _mm_set1_epi8(0x3F));
  };
  const __m128i first = values(1, 0xFFFF);
  const __m128i second = values(17, 0xFFFF);
  const __m128i third = values(33, 0xFFFF);
  const __m128i fourth = values(49, 0x0FFF);
  if (outside != 0) {
    return 0;
  }
  StoreTwelve(first, to);
  StoreTwelve(second, to + 12);
  StoreTwelve(third, to + 24);
  std::array<std::uint8_t, 12> last{};
  StoreTwelve(fourth, last.data());
  std::memcpy(to + 36, last.data(), 9);
  return length;
}

}  // namespace

bool HaveSextetVectors() noexcept {
  static const bool have = __builtin_cpu_supports("ssse3");
  return have;
}

std::size_t DecodeBase64Blocks(const char* in, std::size_t n, std::uint8_t* to) noexcept {
  return HaveSextetVectors() ? DecodeBase64Ssse3(in, n, to) : 0;
}

std::size_t DecodeUuBlocks(const char* in, std::size_t n, std::uint8_t* to) noexcept {
  return HaveSextetVectors() ? DecodeUuSsse3(in, n, to) : 0;
}

std::size_t DecodeUuLine(const char* line, std::size_t available, std::uint8_t* to) noexcept {
  return HaveSextetVectors() ? DecodeUuLineSsse3(line, available, to) : 0;
}

}  // namespace quillora

#else

namespace quillora {

bool HaveSextetVectors() noexcept {
  return false;
}
std::size_t DecodeBase64Blocks(const char*, std::size_t, std::uint8_t*) noexcept {
  return 0;
}
std::size_t DecodeUuBlocks(const char*, std::size_t, std::uint8_t*) noexcept {
  return 0;
}
std::size_t DecodeUuLine(const char*, std::size_t, std::uint8_t*) noexcept {
  return 0;
}

}  // namespace quillora

#endif
