// uuencoded files written into a text body ("begin 644 name" ... "end").
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "text/byte_buffer.h"

namespace quillora::mail {

struct UuencodeBlock {
  std::size_t begin = 0;       // the begin line
  std::size_t data_begin = 0;  // the first data line
  std::size_t end = 0;         // after the last data line and the "end" line, if there is one
  std::size_t name_begin = 0;  // the name on the begin line
  ByteBuffer name;             // as written there
};

// The blocks, in order. A block without its "end" line stops at the first line that is no
// uuencode data.
[[nodiscard]] std::vector<UuencodeBlock> FindUuencodeBlocks(std::span<const std::uint8_t> bytes);

}  // namespace quillora::mail
