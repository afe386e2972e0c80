// The buffer contracts the byte converters share (convert/converter_support.h), as checks.
#pragma once

#include <algorithm>

#include "text/byte_buffer.h"
#include "convert/convert_result.h"
#include "fuzz_check.h"

namespace quillora::fuzz {

// An output the converter must either replace or leave exactly as it was.
inline ByteBuffer Sentinel() {
  return {0xEE, 0xEE};
}

// Sized once and zero-filled: after a failure the bytes so far are followed by zeros only.
inline void CheckFixedOutput(const ByteBuffer& out, ConvertResult result) {
  FUZZ_CHECK(result.count <= out.size());
  if (result.ok()) {
    FUZZ_CHECK(out.size() == result.count);
  } else {
    FUZZ_CHECK(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(result.count), out.end(),
                           [](std::uint8_t b) { return b == 0; }));
  }
}

// Grown per emission: a failure leaves the bytes so far and one zero, or an untouched buffer when
// nothing was emitted.
inline void CheckGrowingOutput(const ByteBuffer& out, ConvertResult result) {
  if (result.ok()) {
    FUZZ_CHECK(out.size() == result.count);
  } else if (result.count == 0) {
    FUZZ_CHECK(out == Sentinel());
  } else {
    FUZZ_CHECK(out.size() == result.count + 1);
    FUZZ_CHECK(out.back() == 0);
  }
}

inline ByteBuffer WithGuardByte(ByteBuffer bytes) {
  bytes.push_back(0x00);
  return bytes;
}

}  // namespace quillora::fuzz
