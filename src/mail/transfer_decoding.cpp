#include "transfer_decoding.h"

#include <gmime/gmime.h>

#include <algorithm>

namespace quillora::mail {
namespace {

bool IsBase64Symbol(std::uint8_t b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '+' ||
         b == '/' || b == '=';
}

// Where the Base64 data stops inside a group of four: the last characters of the incomplete
// group, or nullopt when every group is whole.
std::optional<SourceMap::Span> IncompleteBase64Group(std::span<const std::uint8_t> encoded) {
  std::size_t symbols = 0;
  std::size_t group_start = 0;
  std::size_t last = 0;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (IsBase64Symbol(encoded[i])) {
      if (symbols % 4 == 0) group_start = i;
      ++symbols;
      last = i;
    }
  }
  if (symbols % 4 == 0) return std::nullopt;
  return SourceMap::Span{group_start, last + 1 - group_start};
}

GMimeContentEncoding GMimeEncodingOf(TransferEncoding encoding) {
  switch (encoding) {
    case TransferEncoding::base64:
      return GMIME_CONTENT_ENCODING_BASE64;
    case TransferEncoding::quoted_printable:
      return GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
    case TransferEncoding::uuencode:
      return GMIME_CONTENT_ENCODING_UUENCODE;
    case TransferEncoding::identity:
      break;
  }
  return GMIME_CONTENT_ENCODING_DEFAULT;
}

}  // namespace

TransferDecoded DecodeTransfer(TransferEncoding encoding, std::span<const std::uint8_t> encoded) {
  TransferDecoded decoded;
  if (encoding == TransferEncoding::identity) {
    decoded.bytes.assign(encoded.begin(), encoded.end());
    decoded.map = SourceMap::Identity(encoded.size());
    return decoded;
  }
  GMimeEncoding state;
  g_mime_encoding_init_decode(&state, GMimeEncodingOf(encoding));
  if (encoding == TransferEncoding::uuencode) {
    state.state = GMIME_UUDECODE_STATE_BEGIN;  // the caller has read the begin line
  }
  // No decoding makes more bytes than it reads; GMime asks a little room beyond that.
  decoded.bytes.resize(g_mime_encoding_outlen(&state, encoded.size()) + 16);
  const SourceMap::Scale scale =
      encoding == TransferEncoding::base64 ? SourceMap::Scale::base64 : SourceMap::Scale::whole;
  std::size_t written = 0;
  std::size_t line = 0;
  if (encoding == TransferEncoding::uuencode) {
    // GMime's uudecoder keeps its line state only within one call: the block goes in whole.
    decoded.map.Add(0, 0, encoded.size(), SourceMap::Scale::whole);
    written = g_mime_encoding_step(&state, reinterpret_cast<const char*>(encoded.data()),
                                   encoded.size(), reinterpret_cast<char*>(decoded.bytes.data()));
    line = encoded.size();
  }
  while (line < encoded.size()) {
    const auto end = std::find(encoded.begin() + static_cast<std::ptrdiff_t>(line), encoded.end(),
                               std::uint8_t{'\n'});
    const std::size_t next =
        end == encoded.end() ? encoded.size() : static_cast<std::size_t>(end - encoded.begin()) + 1;
    decoded.map.Add(written, line, next - line, scale);
    written +=
        g_mime_encoding_step(&state, reinterpret_cast<const char*>(encoded.data() + line),
                             next - line, reinterpret_cast<char*>(decoded.bytes.data() + written));
    line = next;
  }
  written += g_mime_encoding_flush(&state, nullptr, 0,
                                   reinterpret_cast<char*>(decoded.bytes.data() + written));
  decoded.bytes.resize(written);
  if (encoding == TransferEncoding::base64) {
    decoded.truncated = IncompleteBase64Group(encoded);
  } else if (encoding == TransferEncoding::uuencode &&
             (state.state & GMIME_UUDECODE_STATE_END) == 0) {
    decoded.truncated = SourceMap::Span{encoded.size(), 0};
  }
  return decoded;
}

}  // namespace quillora::mail
