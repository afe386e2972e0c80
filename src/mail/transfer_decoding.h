// Content-Transfer-Encoding undone by GMime's decoders, a line at a time so that every decoded
// byte can be traced back to its line in the input.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "source_map.h"
#include "text/byte_buffer.h"

namespace quillora::mail {

enum class TransferEncoding { identity, base64, quoted_printable, uuencode };

struct TransferDecoded {
  // Content without a transfer encoding is not copied, for a mail may be one huge such part:
  // `bytes` stays empty and `unchanged` shows the content in the caller's input.
  ByteBuffer bytes;
  std::span<const std::uint8_t> unchanged;
  std::size_t size = 0;  // of the content decoded, kept or not
  SourceMap map;         // relative to the start of the encoded content
  // Where the data stops before its end (Base64 short of a group, uuencode without "end").
  std::optional<SourceMap::Span> truncated;

  [[nodiscard]] std::span<const std::uint8_t> Bytes() const {
    return unchanged.empty() ? std::span<const std::uint8_t>(bytes) : unchanged;
  }
  // The bytes as a buffer of their own.
  [[nodiscard]] ByteBuffer Take() {
    return unchanged.empty() ? std::move(bytes) : ByteBuffer(unchanged.begin(), unchanged.end());
  }
};

// For uuencode, `encoded` holds the data lines after the begin line. Unless `keep`, only the size
// and where the data stops short are found: `bytes` and `map` stay empty (uuencode is kept always).
[[nodiscard]] TransferDecoded DecodeTransfer(TransferEncoding encoding,
                                             std::span<const std::uint8_t> encoded,
                                             bool keep = true);

}  // namespace quillora::mail
