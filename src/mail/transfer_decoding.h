// Content-Transfer-Encoding undone by GMime's decoders, a line at a time so that every decoded
// byte can be traced back to its line in the input.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "source_map.h"
#include "text/byte_buffer.h"

namespace quillora::mail {

enum class TransferEncoding { identity, base64, quoted_printable, uuencode };

struct TransferDecoded {
  ByteBuffer bytes;
  SourceMap map;  // relative to the start of the encoded content
  // Where the data stops before its end (Base64 short of a group, uuencode without "end").
  std::optional<SourceMap::Span> truncated;
};

// For uuencode, `encoded` holds the data lines after the begin line.
[[nodiscard]] TransferDecoded DecodeTransfer(TransferEncoding encoding,
                                             std::span<const std::uint8_t> encoded);

}  // namespace quillora::mail
