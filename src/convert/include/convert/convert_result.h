// The outcome of a byte converter: a failure is a value, never an exception or a stray read.
#pragma once

#include <cstddef>

namespace quillora {

enum class ConvertError {
  none,          // the whole input was converted
  out_of_range,  // a read past the readable end of the input (the guard byte included)
  overflow,      // a byte computation left 0-255
};

struct ConvertResult {
  ConvertError error = ConvertError::none;
  // Bytes produced from position 0 of the output; after a failure, those produced before it.
  std::size_t count = 0;
  // After a failure: the position in the converter's input where it stopped (the first byte of
  // the step it could not take); in the widened input where a converter widens it first.
  std::size_t stopped_at = 0;

  [[nodiscard]] bool ok() const noexcept { return error == ConvertError::none; }
};

}  // namespace quillora
