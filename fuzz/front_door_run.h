// The front door run on a text of ASCII characters given as its bytes, for targets that check its
// own path for such files (decoding in place, by blocks and lines) against a converter's.
#pragma once

#include <cstdint>
#include <utility>

#include "convert/front_door.h"
#include "convert/stream_output.h"
#include "fuzz_check.h"
#include "text/byte_buffer.h"

namespace quillora::fuzz {

// The code page 932 text the front door makes of `ascii` in conversion mode `mode`.
inline ByteBuffer ThroughFrontDoor(const Text& ascii, std::int16_t mode) {
  ByteBuffer file;
  for (const char16_t c : ascii) {
    file.push_back(static_cast<std::uint8_t>(c));
  }
  ByteBuffer delivered;
  StreamOutput out(StreamOutput::AppendTo(delivered));
  Text name = u"mail.txt";
  ConvertBytes(std::move(file), name, mode, 0, Product::cp932_text, out);
  FUZZ_CHECK(out.Finish());
  return delivered;
}

}  // namespace quillora::fuzz
