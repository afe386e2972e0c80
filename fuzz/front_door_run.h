// The front door run on a text of ASCII characters given as its bytes, for targets that check its
// own path for such files (decoding in place, by blocks and lines) against a converter's; and its
// reading in place against its reading whole, on any bytes.
#pragma once

#include <cstdint>
#include <span>
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

// Any bytes through the front door in conversion mode `mode`, read whole and read in place (as a
// mapped file is, where a converter that fails after handing on output takes it back, and where it
// cannot): the same output and the same stop.
inline void CheckReadInPlace(std::span<const std::uint8_t> bytes, std::int16_t mode) {
  if (!ConvertsView(mode, Product::cp932_text)) {
    return;
  }
  ByteBuffer whole;
  StreamOutput whole_out(StreamOutput::AppendTo(whole));
  Text name = u"mail.txt";
  const Conversion read_whole = ConvertBytes(ByteBuffer(bytes.begin(), bytes.end()), name, mode, 0,
                                             Product::cp932_text, whole_out);
  FUZZ_CHECK(whole_out.Finish());
  ByteBuffer guarded(bytes.begin(), bytes.end());
  guarded.push_back(0);  // as a mapping ends
  const auto input = std::span<const std::uint8_t>(guarded).first(bytes.size());
  for (const bool withdrawable : {true, false}) {
    ByteBuffer in_place;
    StreamOutput out(StreamOutput::AppendTo(in_place), withdrawable
                                                           ? StreamOutput::TakeBackFrom(in_place)
                                                           : StreamOutput::TakeBack());
    const Conversion read_in_place = ConvertView(input, mode, Product::cp932_text, out);
    FUZZ_CHECK(out.Finish());
    FUZZ_CHECK(in_place == whole);
    FUZZ_CHECK(read_in_place.stopped_at == read_whole.stopped_at);
  }
}

}  // namespace quillora::fuzz
