#include "transfer_decoding.h"

#include <gmime/gmime.h>

#include <algorithm>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "convert/sextets.h"
#include "io/large_buffer.h"

namespace quillora::mail {
namespace {

bool IsBase64Symbol(std::uint8_t b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '+' ||
         b == '/' || b == '=';
}

// How many bytes are Base64 symbols, 16 at a time where SSE2 is there (every x86-64).
std::size_t CountBase64Symbols(std::span<const std::uint8_t> bytes) {
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const auto set = [](char c) { return _mm_set1_epi8(c); };
  const auto within = [](__m128i offset, char span) {
    return _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(span)), offset);
  };
  // Each lane counts its symbols (a match is -1, subtracted) for up to 255 blocks, then the lanes
  // are summed: x86-64 without POPCNT would make std::popcount a library call per block.
  while (bytes.size() - i >= 16) {
    __m128i lanes = _mm_setzero_si128();
    for (int block = 0; block < 255 && bytes.size() - i >= 16; ++block, i += 16) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
      const __m128i letter = within(_mm_sub_epi8(_mm_or_si128(b, set(0x20)), set('a')), 25);
      const __m128i digit = within(_mm_sub_epi8(b, set('0')), 9);
      const __m128i sign =
          _mm_or_si128(_mm_cmpeq_epi8(b, set('+')),
                       _mm_or_si128(_mm_cmpeq_epi8(b, set('/')), _mm_cmpeq_epi8(b, set('='))));
      lanes = _mm_sub_epi8(lanes, _mm_or_si128(_mm_or_si128(letter, digit), sign));
    }
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
  }
#endif
  for (; i < bytes.size(); ++i) {
    count += IsBase64Symbol(bytes[i]) ? 1U : 0U;
  }
  return count;
}

// Where the Base64 data stops inside a group of four: the last characters of the incomplete
// group, or nullopt when every group is whole. Found from the end, once the count says there is
// one.
std::optional<SourceMap::Span> IncompleteBase64Group(std::span<const std::uint8_t> encoded) {
  std::size_t left = CountBase64Symbols(encoded) % 4;
  if (left == 0) {
    return std::nullopt;
  }
  std::size_t start = encoded.size() - 1;
  while (!IsBase64Symbol(encoded[start])) {
    --start;
  }
  const std::size_t last = start;
  // The group's first symbol is the left-th from the end.
  while (!IsBase64Symbol(encoded[start]) || --left > 0) {
    --start;
  }
  return SourceMap::Span{start, last + 1 - start};
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

TransferDecoded DecodeTransfer(TransferEncoding encoding, std::span<const std::uint8_t> encoded,
                               bool keep) {
  TransferDecoded decoded;
  decoded.size = encoded.size();
  if (encoding == TransferEncoding::identity) {
    decoded.unchanged = encoded;
    decoded.map = SourceMap::Identity(encoded.size());
    return decoded;
  }
  keep = keep || encoding == TransferEncoding::uuencode;
  GMimeEncoding state;
  g_mime_encoding_init_decode(&state, GMimeEncodingOf(encoding));
  if (encoding == TransferEncoding::uuencode) {
    state.state = GMIME_UUDECODE_STATE_BEGIN;  // the caller has read the begin line
  }
  // No decoding makes more bytes than it reads; GMime asks a little room beyond that.
  const auto room_for = [&](std::size_t length) {
    return g_mime_encoding_outlen(&state, length) + 16;
  };
  std::size_t written = 0;
  // Bytes not kept go through a window that is written over line by line; `dropped` of them are
  // gone.
  std::size_t dropped = 0;
  const auto to = [&](std::size_t length) {
    if (!keep && decoded.bytes.size() - (written - dropped) < room_for(length)) {
      constexpr std::size_t kWindow = std::size_t{1} << 16;
      dropped = written;
      decoded.bytes.resize(std::max({decoded.bytes.size(), room_for(length), kWindow}));
    }
    return decoded.bytes.data() + (written - dropped);
  };
  if (keep) {
    ReserveLarge(decoded.bytes, room_for(encoded.size()));
    decoded.bytes.resize(room_for(encoded.size()));
  }
  const SourceMap::Scale scale =
      encoding == TransferEncoding::base64 ? SourceMap::Scale::base64 : SourceMap::Scale::whole;
  std::size_t line = 0;
  if (encoding == TransferEncoding::uuencode) {
    // GMime's uudecoder keeps its line state only within one call: the block goes in whole.
    decoded.map.Add(0, 0, encoded.size(), SourceMap::Scale::whole);
    written = g_mime_encoding_step(&state, reinterpret_cast<const char*>(encoded.data()),
                                   encoded.size(), reinterpret_cast<char*>(decoded.bytes.data()));
    line = encoded.size();
  }
  const char* const chars = reinterpret_cast<const char*>(encoded.data());
  while (line < encoded.size()) {
    if (encoding == TransferEncoding::base64 && state.state == 0 && state.save == 0) {
      // A line of whole groups, as encoders write nearly every one: decoded by the vector kernel
      // from its start to its line end, without finding the line end first. A window looks a
      // piece ahead at a time; a longer line, or any other, goes the way below.
      constexpr std::size_t kWindowReach = std::size_t{1} << 16;
      const std::size_t reach =
          keep ? encoded.size() - line : std::min(encoded.size() - line, kWindowReach);
      const std::size_t taken = DecodeBase64Blocks(chars + line, reach, to(reach));
      const std::size_t end = line + taken;
      const std::size_t ending =
          end < encoded.size() && encoded[end] == '\n'                                   ? 1
          : end + 1 < encoded.size() && encoded[end] == '\r' && encoded[end + 1] == '\n' ? 2
                                                                                         : 0;
      if (ending > 0 || end == encoded.size()) {
        if (keep) {
          decoded.map.Add(written, line, end + ending - line, scale);
        }
        written += taken / 4 * 3;
        line = end + ending;
        continue;
      }
    }
    const auto end = std::find(encoded.begin() + static_cast<std::ptrdiff_t>(line), encoded.end(),
                               std::uint8_t{'\n'});
    const std::size_t next =
        end == encoded.end() ? encoded.size() : static_cast<std::size_t>(end - encoded.begin()) + 1;
    if (keep) {
      decoded.map.Add(written, line, next - line, scale);
    }
    std::uint8_t* const out = to(next - line);
    std::size_t at = line;
    if (encoding == TransferEncoding::base64 && state.state == 0 && state.save == 0) {
      // GMime between whole groups: the groups that follow decode the same by the vector kernel,
      // which leaves padding, line ends and anything else to GMime. It may look past the line end,
      // but stops before it.
      const std::size_t taken = DecodeBase64Blocks(chars + at, encoded.size() - at, out);
      written += taken / 4 * 3;
      at += taken;
    }
    const std::size_t rest = next - at;
    const bool line_end_only = (rest == 1 && encoded[at] == '\n') ||
                               (rest == 2 && encoded[at] == '\r' && encoded[at + 1] == '\n');
    if (rest > 0 && !(line_end_only && encoding == TransferEncoding::base64)) {
      written += g_mime_encoding_step(&state, reinterpret_cast<const char*>(encoded.data() + at),
                                      rest, reinterpret_cast<char*>(out + (at - line) / 4 * 3));
    }
    line = next;
  }
  written += g_mime_encoding_flush(&state, nullptr, 0, reinterpret_cast<char*>(to(0)));
  decoded.size = written;
  if (keep) {
    decoded.bytes.resize(written);
  } else {
    decoded.bytes = ByteBuffer();
  }
  if (encoding == TransferEncoding::base64) {
    decoded.truncated = IncompleteBase64Group(encoded);
  } else if (encoding == TransferEncoding::uuencode &&
             (state.state & GMIME_UUDECODE_STATE_END) == 0) {
    decoded.truncated = SourceMap::Span{encoded.size(), 0};
  }
  return decoded;
}

}  // namespace quillora::mail
