// Inputs for the hostile-input process tests, and whether the sanitizer is on.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace quillora::test {

// A JIS mail long enough to take a while to read, show and convert.
inline std::string LargeJis(std::size_t lines) {
  std::string text;
  while (lines-- > 0) {
    text += "\x1B$B$3$s$K$A$O!#\x1B(B Hello, JIS mail text.\r\n";
  }
  return text;
}

inline std::string RandomBytes(std::size_t size, std::uint64_t seed) {
  std::mt19937_64 generator(seed);
  std::string bytes(size, '\0');
  for (std::size_t k = 0; k + 8 <= size; k += 8) {
    const std::uint64_t word = generator();
    std::memcpy(bytes.data() + k, &word, 8);
  }
  return bytes;
}

// AddressSanitizer's shadow memory rules out address-space limits, and its allocator makes peak
// memory a poor measure.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

}  // namespace quillora::test
