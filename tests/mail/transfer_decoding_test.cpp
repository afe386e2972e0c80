// Where Base64 data stops short of a group of four, against a literal count from the front: on
// random text of every size to 300, ending where its buffer does. Where each decoded byte comes
// from, against the places the encoding was written at.
#include "transfer_decoding.h"

#include <gmime/gmime.h>
#include <gtest/gtest.h>

#include <random>
#include <string_view>

namespace quillora::mail {
namespace {

std::optional<SourceMap::Span> LiteralIncompleteGroup(std::span<const std::uint8_t> encoded) {
  constexpr std::string_view kSymbols =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
  std::size_t symbols = 0;
  std::size_t group_start = 0;
  std::size_t last = 0;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (kSymbols.find(static_cast<char>(encoded[i])) != std::string_view::npos) {
      if (symbols % 4 == 0) {
        group_start = i;
      }
      ++symbols;
      last = i;
    }
  }
  if (symbols % 4 == 0) {
    return std::nullopt;
  }
  return SourceMap::Span{group_start, last + 1 - group_start};
}

TEST(transfer_decoding_test, incomplete_base64_group_is_found_as_the_literal_count_finds_it) {
  // Symbols, line ends, and bytes next to the symbol ranges, which are not symbols.
  constexpr std::string_view kPieces[] = {"QUJD", "R", "=",    "+/",  "\r\n",
                                          "\n",   " ", "@[`{", ":-.", "\x80\xC1\xFF"};
  std::mt19937 random(76);
  for (std::size_t size = 0; size <= 300; ++size) {
    for (int trial = 0; trial < 8; ++trial) {
      ByteBuffer text;
      while (text.size() < size) {
        const std::string_view piece = kPieces[random() % std::size(kPieces)];
        text.insert(text.end(), piece.begin(), piece.end());
      }
      text.resize(size);  // the buffer ends where the text does
      const std::optional<SourceMap::Span> expected = LiteralIncompleteGroup(text);
      const std::optional<SourceMap::Span> found =
          DecodeTransfer(TransferEncoding::base64, text).truncated;
      ASSERT_EQ(found.has_value(), expected.has_value()) << size;
      if (found) {
        EXPECT_EQ(found->offset, expected->offset) << size;
        EXPECT_EQ(found->length, expected->length) << size;
      }
    }
  }
}

// GMime's own decoding of the whole, in one call.
ByteBuffer GMimeDecoded(TransferEncoding encoding, std::span<const std::uint8_t> encoded) {
  GMimeEncoding state;
  g_mime_encoding_init_decode(&state, encoding == TransferEncoding::base64
                                          ? GMIME_CONTENT_ENCODING_BASE64
                                          : GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
  ByteBuffer out(g_mime_encoding_outlen(&state, encoded.size()) + 16);
  std::size_t written = g_mime_encoding_step(&state, reinterpret_cast<const char*>(encoded.data()),
                                             encoded.size(), reinterpret_cast<char*>(out.data()));
  written +=
      g_mime_encoding_flush(&state, nullptr, 0, reinterpret_cast<char*>(out.data() + written));
  out.resize(written);
  return out;
}

// Decoded a line at a time, whole lines by the vector kernel, kept or only counted: the bytes
// GMime makes of the whole, on random text of every size to 300 from whole lines, broken lines,
// padding and bytes that are no symbols.
TEST(transfer_decoding_test, decodes_as_gmime_does) {
  g_mime_init();
  constexpr std::string_view kPieces[] = {"QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNk\r\n",
                                          "QUJD",
                                          "R",
                                          "=",
                                          "+/",
                                          "\r\n",
                                          "\n",
                                          " ",
                                          "@",
                                          "\x80"};
  std::mt19937 random(64);
  for (const TransferEncoding encoding :
       {TransferEncoding::base64, TransferEncoding::quoted_printable}) {
    for (std::size_t size = 0; size <= 300; ++size) {
      for (int trial = 0; trial < 4; ++trial) {
        ByteBuffer text;
        while (text.size() < size) {
          const std::string_view piece =
              kPieces[random() % 3 == 0 ? random() % std::size(kPieces) : random() % 2];
          text.insert(text.end(), piece.begin(), piece.end());
        }
        text.resize(size);
        const ByteBuffer expected = GMimeDecoded(encoding, text);
        const TransferDecoded kept = DecodeTransfer(encoding, text);
        ASSERT_EQ(ByteBuffer(kept.Bytes().begin(), kept.Bytes().end()), expected) << size;
        ASSERT_EQ(kept.size, expected.size());
        const TransferDecoded counted = DecodeTransfer(encoding, text, false);
        ASSERT_EQ(counted.size, expected.size()) << size;
        ASSERT_TRUE(counted.bytes.empty());
      }
    }
  }
}

// Lines of one length mostly, as encoders write them, which the map keeps as runs, among short and
// blank lines: every decoded byte maps to the group of four it came from, from the start and from
// any place on.
TEST(transfer_decoding_test, every_decoded_byte_maps_to_its_group) {
  constexpr std::string_view kSymbols =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::mt19937 random(57);
  for (const std::string_view line_end : {"\r\n", "\n"}) {
    ByteBuffer encoded;
    std::vector<std::size_t> group_at;  // input offset of each group, in decoded order
    for (int line = 0; line < 80; ++line) {
      const std::size_t groups = line == 20 ? 0 : line == 45 ? 5 : 19;
      for (std::size_t g = 0; g < groups; ++g) {
        group_at.push_back(encoded.size());
        for (int k = 0; k < 4; ++k) {
          encoded.push_back(static_cast<std::uint8_t>(kSymbols[random() % kSymbols.size()]));
        }
      }
      encoded.insert(encoded.end(), line_end.begin(), line_end.end());
    }
    const TransferDecoded decoded = DecodeTransfer(TransferEncoding::base64, encoded);
    ASSERT_EQ(decoded.Bytes().size(), 3 * group_at.size());
    // From the start of a group, as a text part is cut where a uuencoded block starts.
    for (const std::size_t group_from : {std::size_t{0}, std::size_t{1}, std::size_t{19},
                                         std::size_t{400}, std::size_t{900}, group_at.size() - 1}) {
      const std::size_t from = 3 * group_from;
      const SourceMap map = decoded.map.From(from);
      for (std::size_t at = from; at < decoded.Bytes().size(); ++at) {
        const SourceMap::Span span = map.Map(at - from, 1);
        ASSERT_EQ(span.offset, group_at[at / 3]) << "byte " << at << " from " << from;
        ASSERT_EQ(span.length, 4U) << "byte " << at << " from " << from;
      }
    }
  }
}

}  // namespace
}  // namespace quillora::mail
