// What every fuzz target shares: a check that stops the run with the broken property's text, and
// a reader for the choices taken from the front of an input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

// Abort rather than throw: libFuzzer records the input that made a property fail as a crash.
#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

namespace quillora::fuzz {

// Takes small choices off the front of the input; what remains is the payload. An input too short
// for a choice gives 0, so every input is usable.
class Choices {
 public:
  Choices(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) {
      return 0;
    }
    const std::uint8_t b = rest_.front();
    rest_ = rest_.subspan(1);
    return b;
  }

  std::span<const std::uint8_t> Take(std::size_t count) {
    const std::span<const std::uint8_t> taken =
        rest_.first(count < rest_.size() ? count : rest_.size());
    rest_ = rest_.subspan(taken.size());
    return taken;
  }

  [[nodiscard]] std::span<const std::uint8_t> Rest() const { return rest_; }

 private:
  std::span<const std::uint8_t> rest_;
};

}  // namespace quillora::fuzz
