// A code page 932 sink that keeps what it is handed, in pieces of the given size.
#pragma once

#include <cstddef>

#include "convert/stream_output.h"
#include "text/byte_buffer.h"

namespace quillora::test {

struct Collector {
  explicit Collector(std::size_t piece = std::size_t{1} << 20)
      : sink(StreamOutput::AppendTo(collected), piece) {}
  // A sink that can withdraw what it was handed.
  struct Withdrawable {};
  Collector(Withdrawable /*tag*/, std::size_t piece)
      : sink(StreamOutput::AppendTo(collected), StreamOutput::TakeBackFrom(collected), piece) {}

  ByteBuffer collected;  // before the sink, which holds on to it
  StreamOutput sink;
};

}  // namespace quillora::test
