// Shift_JIS runs as mail reads them strictly: the kernels of CopySameRuns, with the single bytes
// that reading repairs (80, A0, FD-FF) and the line ends it rewrites made stops.
#include "text/same_jis_runs.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <bit>

#include "same_pair_lanes.h"

namespace quillora {
namespace {

using namespace lanes;  // NOLINT(google-build-using-namespace)

__m128i Stops(__m128i bytes) noexcept {
  return _mm_or_si128(
      _mm_or_si128(Is(bytes, '\n'), Is(bytes, '\r')),
      _mm_or_si128(_mm_or_si128(Is(bytes, 0x80), Is(bytes, 0xA0)), InRange(bytes, 0xFD, 0xFF)));
}

std::size_t StrictRunsSse2(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept {
  std::size_t done = 0;
  while (n - done >= 17) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + done), bytes);
    const unsigned stops = Mask(Stops(bytes));
    const unsigned lead_range = Mask(LeadRange(bytes));
    if (lead_range == 0) {
      if (stops != 0) {
        return done + static_cast<unsigned>(std::countr_zero(stops));
      }
      done += 16;
      continue;
    }
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 1));
    const std::uint64_t starts = PairStarts(lead_range);
    // A stop byte that is a pair's trail is no stop: A0 is the trail of hiragana.
    const std::uint64_t other =
        (starts & ~std::uint64_t{Mask(SamePair(bytes, next))}) | (stops & ~(starts << 1));
    if (other != 0) {
      return done + static_cast<unsigned>(std::countr_zero(other));
    }
    to[done + 16] = in[done + 16];
    done += 16 + ((starts >> 15) & 1U);
  }
  return done;
}

QUILLORA_AVX2 inline __m256i Is(__m256i x, std::uint8_t value) noexcept {
  return _mm256_cmpeq_epi8(x, _mm256_set1_epi8(static_cast<char>(value)));
}

QUILLORA_AVX2 std::size_t StrictRunsAvx2(const std::uint8_t* in, std::size_t n,
                                         std::uint8_t* to) noexcept {
  std::size_t done = 0;
  while (n - done >= 33) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + done), bytes);
    const auto stops = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_or_si256(Is(bytes, '\n'), Is(bytes, '\r')),
                        _mm256_or_si256(_mm256_or_si256(Is(bytes, 0x80), Is(bytes, 0xA0)),
                                        InRange(bytes, 0xFD, 0xFF)))));
    const auto lead_range = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(InRange(bytes, 0x81, 0x9F), InRange(bytes, 0xE0, 0xFC))));
    if (lead_range == 0) {
      if (stops != 0) {
        return done + static_cast<unsigned>(std::countr_zero(stops));
      }
      done += 32;
      continue;
    }
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done + 1));
    const std::uint64_t starts = PairStarts(lead_range);
    const std::uint64_t other =
        (starts & ~std::uint64_t{SamePairMask(bytes, next)}) | (stops & ~(starts << 1));
    if (other != 0) {
      return done + static_cast<unsigned>(std::countr_zero(other));
    }
    to[done + 32] = in[done + 32];
    done += 32 + ((starts >> 31) & 1U);
  }
  return done;
}

}  // namespace

std::size_t CopyStrictSjisRuns(ReencodeKernel kernel, const std::uint8_t* in, std::size_t n,
                               std::uint8_t* to) noexcept {
  if (!HasReencodeKernel(kernel)) {
    return 0;
  }
  switch (kernel) {
    case ReencodeKernel::avx2:
      return StrictRunsAvx2(in, n, to);
    case ReencodeKernel::sse2:
      return StrictRunsSse2(in, n, to);
    case ReencodeKernel::plain:
      break;
  }
  return 0;
}

}  // namespace quillora

#else

namespace quillora {

std::size_t CopyStrictSjisRuns(ReencodeKernel, const std::uint8_t*, std::size_t,
                               std::uint8_t*) noexcept {
  return 0;
}

}  // namespace quillora

#endif
