// A code page 932 sink that keeps what it is handed, in pieces of the given size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "convert/stream_output.h"
#include "text/byte_buffer.h"

namespace quillora::test {

struct Collector {
  explicit Collector(std::size_t piece = std::size_t{1} << 20)
      : sink(
            [this](std::span<const std::uint8_t> bytes) {
              collected.insert(collected.end(), bytes.begin(), bytes.end());
              return true;
            },
            piece) {}
  Collector(const Collector&) = delete;
  Collector& operator=(const Collector&) = delete;

  ByteBuffer collected;
  StreamOutput sink;
};

}  // namespace quillora::test
