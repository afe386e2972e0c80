// Runs of code page 932 bytes that re-encode to themselves, found 16 bytes at a time with SSE2,
// which every x86-64 processor has, or 32 at a time with AVX2 where the processor has it.
#include "same_runs.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <bit>

#include "same_pair_lanes.h"

namespace quillora {

using namespace lanes;  // NOLINT(google-build-using-namespace)

namespace {

// PairStarts of a block whose first byte may be the trail of a pair that started in the block
// before (`trail_first` 1). Both answers are made and one is picked without a branch: the blocks
// then follow each other at a fixed stride, and the next block's loads need not wait for this
// one's pair starts (a pair crosses about every other block boundary in kanji text).
inline std::uint64_t PairStartsAfter(std::uint64_t lead_range, std::uint64_t trail_first) noexcept {
  const std::uint64_t at_start = PairStarts(lead_range);
  const std::uint64_t after_trail = PairStarts(lead_range & ~std::uint64_t{1});
  return at_start ^ ((at_start ^ after_trail) & (0 - trail_first));
}

}  // namespace

std::size_t CopySameRunsSse2(const std::uint8_t* in, std::size_t n, std::uint8_t* to) noexcept {
  std::size_t done = 0;
  std::uint64_t trail_first = 0;
  while (n - done >= 17) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + done), bytes);
    const unsigned lead_range = Mask(LeadRange(bytes));
    if (lead_range == 0) {
      done += 16;
      trail_first = 0;
      continue;
    }
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 1));
    const std::uint64_t starts = PairStartsAfter(lead_range, trail_first);
    const std::uint64_t other = starts & ~std::uint64_t{Mask(SamePair(bytes, next))};
    if (other != 0) {
      return done + static_cast<unsigned>(std::countr_zero(other));
    }
    trail_first = (starts >> 15) & 1U;
    done += 16;
  }
  // A pair that starts in the last block's last place ends here; its trail was read with it.
  if (trail_first != 0) {
    to[done] = in[done];
  }
  return done + trail_first;
}

QUILLORA_AVX2 std::size_t CopySameRunsAvx2(const std::uint8_t* in, std::size_t n,
                                           std::uint8_t* to) noexcept {
  std::size_t done = 0;
  std::uint64_t trail_first = 0;
  while (n - done >= 33) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + done), bytes);
    const auto lead_range = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(InRange(bytes, 0x81, 0x9F), InRange(bytes, 0xE0, 0xFC))));
    if (lead_range == 0) {
      done += 32;
      trail_first = 0;
      continue;
    }
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done + 1));
    const std::uint64_t starts = PairStartsAfter(lead_range, trail_first);
    const std::uint64_t other = starts & ~std::uint64_t{SamePairMask(bytes, next)};
    if (other != 0) {
      return done + static_cast<unsigned>(std::countr_zero(other));
    }
    trail_first = (starts >> 31) & 1U;
    done += 32;
  }
  if (trail_first != 0) {
    to[done] = in[done];
  }
  return done + trail_first;
}

bool HaveAvx2() noexcept {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}

}  // namespace quillora

#else

namespace quillora {

std::size_t CopySameRunsSse2(const std::uint8_t*, std::size_t, std::uint8_t*) noexcept {
  return 0;
}
std::size_t CopySameRunsAvx2(const std::uint8_t*, std::size_t, std::uint8_t*) noexcept {
  return 0;
}
bool HaveAvx2() noexcept {
  return false;
}

}  // namespace quillora

#endif
