// Shift_JIS runs as mail reads them strictly: the kernels of CopySameRuns, with the single bytes
// that reading repairs (80, A0, FD-FF) and the lone CR or LF it rewrites made stops.
#include "text/same_jis_runs.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <bit>

#include "same_pair_lanes.h"

namespace quillora {
namespace {

using namespace lanes;  // NOLINT(google-build-using-namespace)

// The bytes the strict reading repairs when they stand alone (80, A0, FD-FF): stops unless they
// are a pair's trail, as A0 is of hiragana.
__m128i Repaired(__m128i bytes) noexcept {
  return _mm_or_si128(_mm_or_si128(Is(bytes, 0x80), Is(bytes, 0xA0)), InRange(bytes, 0xFD, 0xFF));
}

// Line ends the reading rewrites: a CR without its LF, an LF without its CR (`cr_before`: a CR
// ended the previous block). CR LF goes through as it is.
std::uint64_t LoneLineEnds(unsigned cr, unsigned lf, unsigned lf_next,
                           unsigned cr_before) noexcept {
  return (cr & ~lf_next) | (lf & ~((cr << 1) | cr_before));
}

// The run's end: never between a CR and its LF, which the reading takes together.
std::size_t RunEnd(const std::uint8_t* in, std::size_t done) noexcept {
  return done > 0 && in[done - 1] == '\r' ? done - 1 : done;
}

// The pairs that start below bit `end` of a block.
std::size_t PairsBelow(std::uint64_t starts, unsigned end) noexcept {
  return static_cast<std::size_t>(std::popcount(starts & ((std::uint64_t{1} << end) - 1)));
}

std::size_t StrictRunsSse2(const std::uint8_t* in, std::size_t n, std::uint8_t* to,
                           std::size_t& pairs) noexcept {
  std::size_t done = 0;
  unsigned cr_before = 0;
  while (n - done >= 17) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + done), bytes);
    const unsigned cr = Mask(Is(bytes, '\r'));
    const std::uint64_t line_ends =
        LoneLineEnds(cr, Mask(Is(bytes, '\n')), Mask(Is(next, '\n')), cr_before);
    const std::uint64_t repaired = Mask(Repaired(bytes));
    const unsigned lead_range = Mask(LeadRange(bytes));
    const std::uint64_t starts = lead_range == 0 ? 0 : PairStarts(lead_range);
    const std::uint64_t same = lead_range == 0 ? 0 : std::uint64_t{Mask(SamePair(bytes, next))};
    const std::uint64_t other = (starts & ~same) | ((repaired | line_ends) & ~(starts << 1));
    if (other != 0) {
      const auto end = static_cast<unsigned>(std::countr_zero(other));
      pairs += PairsBelow(starts, end);
      return done + end;
    }
    pairs += PairsBelow(starts, 16);
    to[done + 16] = in[done + 16];
    cr_before = (cr >> 15) & 1U;
    done += 16 + ((starts >> 15) & 1U);
  }
  return RunEnd(in, done);
}

QUILLORA_AVX2 inline __m256i Is(__m256i x, std::uint8_t value) noexcept {
  return _mm256_cmpeq_epi8(x, _mm256_set1_epi8(static_cast<char>(value)));
}

QUILLORA_AVX2 inline unsigned Mask(__m256i lanes) noexcept {
  return static_cast<unsigned>(_mm256_movemask_epi8(lanes));
}

// Every processor with AVX2 has POPCNT, which counts the pairs of a block in one instruction.
__attribute__((target("avx2,popcnt"))) std::size_t StrictRunsAvx2(const std::uint8_t* in,
                                                                  std::size_t n, std::uint8_t* to,
                                                                  std::size_t& pairs) noexcept {
  std::size_t done = 0;
  unsigned cr_before = 0;
  while (n - done >= 33) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done + 1));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + done), bytes);
    const unsigned cr = Mask(Is(bytes, '\r'));
    const std::uint64_t line_ends =
        LoneLineEnds(cr, Mask(Is(bytes, '\n')), Mask(Is(next, '\n')), cr_before);
    const std::uint64_t repaired = Mask(_mm256_or_si256(
        _mm256_or_si256(Is(bytes, 0x80), Is(bytes, 0xA0)), InRange(bytes, 0xFD, 0xFF)));
    const unsigned lead_range =
        Mask(_mm256_or_si256(InRange(bytes, 0x81, 0x9F), InRange(bytes, 0xE0, 0xFC)));
    const std::uint64_t starts = lead_range == 0 ? 0 : PairStarts(lead_range);
    const std::uint64_t same = lead_range == 0 ? 0 : std::uint64_t{SamePairMask(bytes, next)};
    const std::uint64_t other = (starts & ~same) | ((repaired | line_ends) & ~(starts << 1));
    if (other != 0) {
      const auto end = static_cast<unsigned>(std::countr_zero(other));
      pairs +=
          static_cast<std::size_t>(__builtin_popcountll(starts & ((std::uint64_t{1} << end) - 1)));
      return done + end;
    }
    pairs += static_cast<std::size_t>(__builtin_popcountll(starts & 0xFFFFFFFFU));
    to[done + 32] = in[done + 32];
    cr_before = (cr >> 31) & 1U;
    done += 32 + ((starts >> 31) & 1U);
  }
  return RunEnd(in, done);
}

}  // namespace

std::size_t CopyStrictSjisRuns(ReencodeKernel kernel, const std::uint8_t* in, std::size_t n,
                               std::uint8_t* to, std::size_t& pairs) noexcept {
  if (!HasReencodeKernel(kernel)) {
    return 0;
  }
  switch (kernel) {
    case ReencodeKernel::avx2:
      return StrictRunsAvx2(in, n, to, pairs);
    case ReencodeKernel::sse2:
      return StrictRunsSse2(in, n, to, pairs);
    case ReencodeKernel::plain:
      break;
  }
  return 0;
}

}  // namespace quillora

#else

namespace quillora {

std::size_t CopyStrictSjisRuns(ReencodeKernel, const std::uint8_t*, std::size_t, std::uint8_t*,
                               std::size_t&) noexcept {
  return 0;
}

}  // namespace quillora

#endif
