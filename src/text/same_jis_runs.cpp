// JIS X 0208 codes converted to Shift_JIS a vector at a time, by the arithmetic of the scalar
// decoders, and kept where the pairs are among those known to re-encode to themselves.
#include "text/same_jis_runs.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <bit>

#include "same_pair_lanes.h"

namespace quillora {
namespace {

using namespace lanes;  // NOLINT(google-build-using-namespace)

__m128i Set(std::uint8_t value) noexcept {
  return _mm_set1_epi8(static_cast<char>(value));
}

// Shift_JIS lead byte of a JIS row (21-7E): (row - 21) / 2 + 81, and 40 more past 9F.
__m128i SjisLead(__m128i row) noexcept {
  const __m128i half = _mm_and_si128(_mm_srli_epi16(_mm_sub_epi8(row, Set(0x21)), 1), Set(0x7F));
  const __m128i lead = _mm_add_epi8(half, Set(0x81));
  return _mm_add_epi8(lead, _mm_andnot_si128(InRange(lead, 0x81, 0x9F), Set(0x40)));
}

// Shift_JIS trail byte of a JIS cell (21-7E) after its row: cell + 1F, one more from 60 on,
// after an odd row; cell + 7E after an even one.
__m128i SjisTrail(__m128i row, __m128i cell) noexcept {
  const __m128i odd = _mm_cmpeq_epi8(_mm_and_si128(row, Set(1)), Set(1));
  const __m128i after_odd =
      _mm_sub_epi8(_mm_add_epi8(cell, Set(0x1F)), _mm_cmpgt_epi8(cell, Set(0x5F)));
  const __m128i after_even = _mm_add_epi8(cell, Set(0x7E));
  return _mm_or_si128(_mm_and_si128(odd, after_odd), _mm_andnot_si128(odd, after_even));
}

// 16 bytes of kanji-mode JIS, rows at even places, as Shift_JIS into `to`; returns the bits of
// the pairs (at their rows' places) that are not in 21-7E or do not re-encode to themselves.
unsigned JisBlock(const std::uint8_t* in, std::uint8_t* to) noexcept {
  const __m128i jis = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i rows = _mm_set1_epi16(0x00FF);
  const __m128i lead = SjisLead(jis);
  const __m128i trail = SjisTrail(_mm_slli_epi16(jis, 8), jis);
  const __m128i sjis = _mm_or_si128(_mm_and_si128(rows, lead), _mm_andnot_si128(rows, trail));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), sjis);
  const unsigned valid = Mask(InRange(jis, 0x21, 0x7E));
  const unsigned same = Mask(SamePair(sjis, _mm_srli_si128(sjis, 1)));
  return ~(valid & valid >> 1 & same) & 0x5555U;
}

// The 16 lanes of 16 bits.
__m128i LanesOf(unsigned bits) noexcept {
  const __m128i bytes = _mm_unpacklo_epi64(_mm_set1_epi8(static_cast<char>(bits & 0xFFU)),
                                           _mm_set1_epi8(static_cast<char>(bits >> 8)));
  const __m128i bit = _mm_set1_epi64x(static_cast<long long>(0x8040201008040201U));
  return _mm_cmpeq_epi8(_mm_and_si128(bytes, bit), bit);
}

// 16 bytes of EUC-JP starting at a character as Shift_JIS into `to`; returns the bits of the
// places where the run must stop: a byte neither ASCII nor A1-FE, a code whose second byte is not
// A1-FE or whose pair does not re-encode to itself, and a code that starts in the last place.
unsigned EucBlock(const std::uint8_t* in, std::uint8_t* to) noexcept {
  const __m128i euc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const unsigned ascii = ~Mask(euc) & 0xFFFFU;
  if (ascii == 0xFFFFU) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), euc);
    return 0;
  }
  const unsigned wide = Mask(InRange(euc, 0xA1, 0xFE));
  const auto starts = static_cast<unsigned>(PairStarts(wide) & 0xFFFFU);
  const __m128i first = LanesOf(starts);
  const __m128i second = _mm_slli_si128(first, 1);
  const __m128i jis = _mm_xor_si128(euc, Set(0x80));
  const __m128i sjis =
      _mm_or_si128(_mm_or_si128(_mm_and_si128(first, SjisLead(jis)),
                                _mm_and_si128(second, SjisTrail(_mm_slli_si128(jis, 1), jis))),
                   _mm_andnot_si128(_mm_or_si128(first, second), euc));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), sjis);
  const unsigned same = Mask(SamePair(sjis, _mm_srli_si128(sjis, 1)));
  return (starts & ~(wide >> 1 & same)) | (~(ascii | wide) & 0xFFFFU);
}

std::size_t EucRunsSse2(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept {
  std::size_t done = 0;
  while (n - done >= 16) {
    const unsigned stop = EucBlock(in + done, to + done);
    if (stop == 0) {
      done += 16;
      continue;
    }
    const auto at = static_cast<unsigned>(std::countr_zero(stop));
    // A code that starts in the last place is taken with the next block.
    if (at < 15 || in[done + 15] < 0xA1 || in[done + 15] > 0xFE) {
      return done + at;
    }
    done += 15;
  }
  return done;
}

std::size_t JisPairsSse2(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept {
  std::size_t done = 0;
  while (n - done >= 16) {
    if (const unsigned stop = JisBlock(in + done, to + done); stop != 0) {
      return done + static_cast<unsigned>(std::countr_zero(stop));
    }
    done += 16;
  }
  return done;
}

QUILLORA_AVX2 __m256i Set256(std::uint8_t value) noexcept {
  return _mm256_set1_epi8(static_cast<char>(value));
}

// JisBlock on 32 bytes; pairs never cross the halves, so the in-half shifts serve.
QUILLORA_AVX2 std::uint32_t JisBlockAvx2(const std::uint8_t* in, std::uint8_t* to) noexcept {
  const __m256i jis = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
  const __m256i half =
      _mm256_and_si256(_mm256_srli_epi16(_mm256_sub_epi8(jis, Set256(0x21)), 1), Set256(0x7F));
  __m256i lead = _mm256_add_epi8(half, Set256(0x81));
  lead = _mm256_add_epi8(lead, _mm256_andnot_si256(InRange(lead, 0x81, 0x9F), Set256(0x40)));
  const __m256i odd =
      _mm256_cmpeq_epi8(_mm256_and_si256(_mm256_slli_epi16(jis, 8), Set256(1)), Set256(1));
  const __m256i after_odd =
      _mm256_sub_epi8(_mm256_add_epi8(jis, Set256(0x1F)), _mm256_cmpgt_epi8(jis, Set256(0x5F)));
  const __m256i after_even = _mm256_add_epi8(jis, Set256(0x7E));
  const __m256i trail =
      _mm256_or_si256(_mm256_and_si256(odd, after_odd), _mm256_andnot_si256(odd, after_even));
  const __m256i rows = _mm256_set1_epi16(0x00FF);
  const __m256i sjis =
      _mm256_or_si256(_mm256_and_si256(rows, lead), _mm256_andnot_si256(rows, trail));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), sjis);
  const auto valid = static_cast<std::uint32_t>(_mm256_movemask_epi8(InRange(jis, 0x21, 0x7E)));
  const std::uint32_t same = SamePairMask(sjis, _mm256_srli_si256(sjis, 1));
  return ~(valid & valid >> 1 & same) & 0x55555555U;
}

// The lanes after and before each lane (zero at the ends), across the halves.
QUILLORA_AVX2 __m256i Next(__m256i x) noexcept {
  return _mm256_alignr_epi8(_mm256_permute2x128_si256(x, x, 0x81), x, 1);
}
QUILLORA_AVX2 __m256i Previous(__m256i x) noexcept {
  return _mm256_alignr_epi8(x, _mm256_permute2x128_si256(x, x, 0x08), 15);
}

// The 32 lanes of 32 bits.
QUILLORA_AVX2 __m256i LanesOf256(std::uint32_t bits) noexcept {
  const __m256i spread = _mm256_shuffle_epi8(
      _mm256_set1_epi32(static_cast<int>(bits)),
      _mm256_setr_epi64x(0, 0x0101010101010101, 0x0202020202020202, 0x0303030303030303));
  const __m256i bit = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201U));
  return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bit), bit);
}

// EucBlock on 32 bytes.
QUILLORA_AVX2 std::uint32_t EucBlockAvx2(const std::uint8_t* in, std::uint8_t* to) noexcept {
  const __m256i euc = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
  const auto ascii = ~static_cast<std::uint32_t>(_mm256_movemask_epi8(euc));
  if (ascii == 0xFFFFFFFFU) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), euc);
    return 0;
  }
  const auto wide = static_cast<std::uint32_t>(_mm256_movemask_epi8(InRange(euc, 0xA1, 0xFE)));
  const auto starts = static_cast<std::uint32_t>(PairStarts(wide) & 0xFFFFFFFFU);
  const __m256i first = LanesOf256(starts);
  const __m256i second = Previous(first);
  const __m256i jis = _mm256_xor_si256(euc, Set256(0x80));
  const __m256i half =
      _mm256_and_si256(_mm256_srli_epi16(_mm256_sub_epi8(jis, Set256(0x21)), 1), Set256(0x7F));
  __m256i lead = _mm256_add_epi8(half, Set256(0x81));
  lead = _mm256_add_epi8(lead, _mm256_andnot_si256(InRange(lead, 0x81, 0x9F), Set256(0x40)));
  const __m256i odd = _mm256_cmpeq_epi8(_mm256_and_si256(Previous(jis), Set256(1)), Set256(1));
  const __m256i after_odd =
      _mm256_sub_epi8(_mm256_add_epi8(jis, Set256(0x1F)), _mm256_cmpgt_epi8(jis, Set256(0x5F)));
  const __m256i after_even = _mm256_add_epi8(jis, Set256(0x7E));
  const __m256i trail =
      _mm256_or_si256(_mm256_and_si256(odd, after_odd), _mm256_andnot_si256(odd, after_even));
  const __m256i sjis = _mm256_or_si256(
      _mm256_or_si256(_mm256_and_si256(first, lead), _mm256_and_si256(second, trail)),
      _mm256_andnot_si256(_mm256_or_si256(first, second), euc));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), sjis);
  const std::uint32_t same = SamePairMask(sjis, Next(sjis));
  return (starts & ~(wide >> 1 & same)) | ~(ascii | wide);
}

QUILLORA_AVX2 std::size_t EucRunsAvx2(const std::uint8_t* in, std::size_t n,
                                      std::uint8_t* to) noexcept {
  std::size_t done = 0;
  while (n - done >= 32) {
    const std::uint32_t stop = EucBlockAvx2(in + done, to + done);
    if (stop == 0) {
      done += 32;
      continue;
    }
    const auto at = static_cast<unsigned>(std::countr_zero(stop));
    // A code that starts in the last place is taken with the next block.
    if (at < 31 || in[done + 31] < 0xA1 || in[done + 31] > 0xFE) {
      return done + at;
    }
    done += 31;
  }
  return done + EucRunsSse2(in + done, n - done, to + done);
}

QUILLORA_AVX2 std::size_t JisPairsAvx2(const std::uint8_t* in, std::size_t n,
                                       std::uint8_t* to) noexcept {
  std::size_t done = 0;
  while (n - done >= 32) {
    if (const std::uint32_t stop = JisBlockAvx2(in + done, to + done); stop != 0) {
      return done + static_cast<unsigned>(std::countr_zero(stop));
    }
    done += 32;
  }
  // Kanji runs in mail are short: the rest of one is often a block of 16.
  return done + JisPairsSse2(in + done, n - done, to + done);
}

std::size_t NoJisPairs(const std::uint8_t*, std::size_t, std::uint8_t*) noexcept {
  return 0;
}

}  // namespace

SameJisPairs SameJisPairsOf(ReencodeKernel kernel) noexcept {
  if (HasReencodeKernel(kernel)) {
    switch (kernel) {
      case ReencodeKernel::avx2:
        return JisPairsAvx2;
      case ReencodeKernel::sse2:
        return JisPairsSse2;
      case ReencodeKernel::plain:
        break;
    }
  }
  return NoJisPairs;
}

std::size_t ConvertSameEucRuns(ReencodeKernel kernel, const std::uint8_t* in, std::size_t n,
                               std::uint8_t* to) noexcept {
  if (!HasReencodeKernel(kernel)) {
    return 0;
  }
  switch (kernel) {
    case ReencodeKernel::avx2:
      return EucRunsAvx2(in, n, to);
    case ReencodeKernel::sse2:
      return EucRunsSse2(in, n, to);
    case ReencodeKernel::plain:
      break;
  }
  return 0;
}

}  // namespace quillora

#else

namespace quillora {

SameJisPairs SameJisPairsOf(ReencodeKernel) noexcept {
  return [](const std::uint8_t*, std::size_t, std::uint8_t*) noexcept -> std::size_t { return 0; };
}
std::size_t ConvertSameEucRuns(ReencodeKernel, const std::uint8_t*, std::size_t,
                               std::uint8_t*) noexcept {
  return 0;
}

}  // namespace quillora

#endif
