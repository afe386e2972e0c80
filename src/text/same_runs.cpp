// Runs of code page 932 bytes that re-encode to themselves, found 16 bytes at a time with SSE2,
// which every x86-64 processor has.
#include "same_runs.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>

#include <bit>

namespace quillora {
namespace {

// Lanes holding lo..hi (unsigned).
__m128i InRange(__m128i x, std::uint8_t lo, std::uint8_t hi) noexcept {
  const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(lo)));
  const __m128i span = _mm_set1_epi8(static_cast<char>(hi - lo));
  return _mm_cmpeq_epi8(_mm_min_epu8(shifted, span), shifted);
}

__m128i Is(__m128i x, std::uint8_t value) noexcept {
  return _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(value)));
}

unsigned Mask(__m128i lanes) noexcept {
  return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}

// The lanes of `bytes` that are lead bytes of Shift_JIS.
__m128i LeadRange(__m128i bytes) noexcept {
  return _mm_or_si128(InRange(bytes, 0x81, 0x9F), InRange(bytes, 0xE0, 0xFC));
}

// Lanes where a lead byte `lead` and the byte after it, `next`, are a pair that re-encodes to
// itself, for the rows and cells held in the test of every pair against the codec's tables (the
// others go the exact way). Whole rows: the two levels of kanji (89-9F but 98, E0-E9), the
// user-defined rows F0-F9 and FB. Parts of rows: punctuation (81 40-AC), hiragana (82 9F-F1),
// katakana (83 40-96), and the kanji parts of 88 (9F-FC) and 98 (40-72, 9F-FC).
__m128i SamePair(__m128i lead, __m128i next) noexcept {
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
unsigned PairStarts(unsigned lead_range) noexcept {
  constexpr unsigned kEven = 0x5555;
  const unsigned run_starts = lead_range & ~(lead_range << 1);
  const unsigned even_runs = lead_range & ~(lead_range + (run_starts & kEven));
  return (even_runs & kEven) | (lead_range & ~even_runs & ~kEven);
}

}  // namespace

std::size_t CopySameRuns(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept {
  std::size_t done = 0;
  while (n - done >= 17) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + done), bytes);
    const unsigned lead_range = Mask(LeadRange(bytes));
    if (lead_range == 0) {
      done += 16;
      continue;
    }
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 1));
    const unsigned starts = PairStarts(lead_range);
    const unsigned other = starts & ~Mask(SamePair(bytes, next));
    if (other != 0) {
      return done + static_cast<unsigned>(std::countr_zero(other));
    }
    // A pair that starts in the last place ends with the first byte of the next block.
    to[done + 16] = in[done + 16];
    done += 16 + (starts >> 15);
  }
  return done;
}

}  // namespace quillora

#else

namespace quillora {

std::size_t CopySameRuns(const std::uint8_t*, std::size_t, std::uint8_t*) noexcept {
  return 0;
}

}  // namespace quillora

#endif
