// Lane tests shared by the vector kernels that find code page 932 pairs which re-encode to
// themselves (x86-64 only).
#pragma once

#include <immintrin.h>

#include <cstdint>

#define QUILLORA_AVX2 __attribute__((target("avx2")))

namespace quillora::lanes {

// Lanes holding lo..hi (unsigned).
inline __m128i InRange(__m128i x, std::uint8_t lo, std::uint8_t hi) noexcept {
  const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(lo)));
  const __m128i span = _mm_set1_epi8(static_cast<char>(hi - lo));
  return _mm_cmpeq_epi8(_mm_min_epu8(shifted, span), shifted);
}

inline __m128i Is(__m128i x, std::uint8_t value) noexcept {
  return _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(value)));
}

inline unsigned Mask(__m128i lanes) noexcept {
  return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}

// The lanes of `bytes` that are lead bytes of Shift_JIS.
inline __m128i LeadRange(__m128i bytes) noexcept {
  return _mm_or_si128(InRange(bytes, 0x81, 0x9F), InRange(bytes, 0xE0, 0xFC));
}

// Lanes where a lead byte `lead` and the byte after it, `next`, are a pair that re-encodes to
// itself, for the rows and cells held in the test of every pair against the codec's tables (the
// others go the exact way). Whole rows: the two levels of kanji (89-9F but 98, E0-E9), the
// user-defined rows F0-F9 and FB. Parts of rows: punctuation (81 40-AC), hiragana (82 9F-F1),
// katakana (83 40-96), and the kanji parts of 88 (9F-FC) and 98 (40-72, 9F-FC).
inline __m128i SamePair(__m128i lead, __m128i next) noexcept {
  const __m128i trail = _mm_andnot_si128(Is(next, 0x7F), InRange(next, 0x40, 0xFC));
  const __m128i whole_row =
      _mm_or_si128(_mm_andnot_si128(Is(lead, 0x98), InRange(lead, 0x89, 0x9F)),
                   _mm_or_si128(InRange(lead, 0xE0, 0xE9),
                                _mm_andnot_si128(Is(lead, 0xFA), InRange(lead, 0xF0, 0xFB))));
  const __m128i kanji_tail = InRange(next, 0x9F, 0xFC);
  __m128i part = _mm_and_si128(Is(lead, 0x81), InRange(next, 0x40, 0xAC));
  part = _mm_or_si128(part, _mm_and_si128(Is(lead, 0x82), InRange(next, 0x9F, 0xF1)));
  part = _mm_or_si128(part, _mm_and_si128(Is(lead, 0x83), InRange(next, 0x40, 0x96)));
  part = _mm_or_si128(part, _mm_and_si128(Is(lead, 0x88), kanji_tail));
  part = _mm_or_si128(
      part, _mm_and_si128(Is(lead, 0x98), _mm_or_si128(kanji_tail, InRange(next, 0x40, 0x72))));
  return _mm_and_si128(trail, _mm_or_si128(whole_row, part));
}

// Of the lead-range bytes of a block that starts at a character, those that start a pair: in a
// run of lead-range bytes that starts at a character, every other one (each takes the byte
// after it), and every byte after a run starts a character. The runs that start at an even
// place are found by adding their first bits, which carries through each such run and clears it.
inline std::uint64_t PairStarts(std::uint64_t lead_range) noexcept {
  constexpr std::uint64_t kEven = 0x5555555555555555U;
  const std::uint64_t run_starts = lead_range & ~(lead_range << 1);
  const std::uint64_t even_runs = lead_range & ~(lead_range + (run_starts & kEven));
  return (even_runs & kEven) | (lead_range & ~even_runs & ~kEven);
}

QUILLORA_AVX2 inline __m256i InRange(__m256i x, std::uint8_t lo, std::uint8_t hi) noexcept {
  const __m256i shifted = _mm256_sub_epi8(x, _mm256_set1_epi8(static_cast<char>(lo)));
  const __m256i span = _mm256_set1_epi8(static_cast<char>(hi - lo));
  return _mm256_cmpeq_epi8(_mm256_min_epu8(shifted, span), shifted);
}

QUILLORA_AVX2 inline __m256i Table(char e0, char e1, char e2, char e3, char e4, char e5, char e6,
                                   char e7, char e8, char e9, char ea, char eb, char ec, char ed,
                                   char ee, char ef) noexcept {
  return _mm256_broadcastsi128_si256(
      _mm_setr_epi8(e0, e1, e2, e3, e4, e5, e6, e7, e8, e9, ea, eb, ec, ed, ee, ef));
}

// SamePair by table look-ups on the lead byte's two halves: one bit per kind of row, set where
// both halves agree; then the trail bytes that kind of row takes (whole rows 40-FC, 81 40-AC,
// 82 9F-F1, 83 40-96, 88 and 98 9F-FC).
QUILLORA_AVX2 inline unsigned SamePairMask(__m256i lead, __m256i next) noexcept {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  // Bits: 0 whole rows 89-8F, 1 whole rows 90-9F but 98, 2 E0-E9, 3 F0-F9 and FB, 4 row 81,
  // 5 row 82, 6 row 83, 7 rows 88 and 98.
  const __m256i by_high = Table(0, 0, 0, 0, 0, 0, 0, 0, static_cast<char>(0xF1),
                                static_cast<char>(0x82), 0, 0, 0, 0, 0x04, 0x08);
  const __m256i by_low = Table(0x0E, 0x1E, 0x2E, 0x4E, 0x0E, 0x0E, 0x0E, 0x0E,
                               static_cast<char>(0x8C), 0x0F, 0x03, 0x0B, 0x03, 0x03, 0x03, 0x03);
  const __m256i kind = _mm256_and_si256(
      _mm256_shuffle_epi8(by_high, _mm256_and_si256(_mm256_srli_epi16(lead, 4), nibble)),
      _mm256_shuffle_epi8(by_low, _mm256_and_si256(lead, nibble)));
  // The part rows' bits, shifted down, are 1, 2, 4 and 8; whole rows give 0.
  const __m256i part = _mm256_and_si256(_mm256_srli_epi16(kind, 4), nibble);
  const __m256i first =
      _mm256_shuffle_epi8(Table(0x40, 0x40, static_cast<char>(0x9F), 0, 0x40, 0, 0, 0,
                                static_cast<char>(0x9F), 0, 0, 0, 0, 0, 0, 0),
                          part);
  const __m256i span =
      _mm256_shuffle_epi8(Table(static_cast<char>(0xFC - 0x40), 0xAC - 0x40, 0xF1 - 0x9F, 0,
                                0x96 - 0x40, 0, 0, 0, 0xFC - 0x9F, 0, 0, 0, 0, 0, 0, 0),
                          part);
  const __m256i shifted = _mm256_sub_epi8(next, first);
  const __m256i in_span = _mm256_cmpeq_epi8(_mm256_min_epu8(shifted, span), shifted);
  const __m256i no_pair = _mm256_or_si256(_mm256_cmpeq_epi8(kind, _mm256_setzero_si256()),
                                          _mm256_cmpeq_epi8(next, _mm256_set1_epi8(0x7F)));
  return static_cast<unsigned>(_mm256_movemask_epi8(_mm256_andnot_si256(no_pair, in_span)));
}

}  // namespace quillora::lanes
