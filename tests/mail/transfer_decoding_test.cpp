// Where Base64 data stops short of a group of four, against a literal count from the front: on
// random text of every size to 300, ending where its buffer does.
#include "transfer_decoding.h"

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

}  // namespace
}  // namespace quillora::mail
