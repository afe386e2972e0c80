// Every kernel of ReencodeBytes against the plain one.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "text/cp932_codec.h"

namespace quillora::test {
namespace {

struct Run {
  ReencodeProgress progress;
  ByteBuffer out;
};

Run ReencodeWith(ReencodeKernel kernel, std::span<const std::uint8_t> bytes, bool last) {
  Run run{{}, ByteBuffer(2 * bytes.size())};
  run.progress = ReencodeBytesWith(kernel, bytes, run.out.data(), last);
  run.out.resize(run.progress.written);
  return run;
}

void ExpectSameAsPlain(std::span<const std::uint8_t> bytes, bool last) {
  const Run plain = ReencodeWith(ReencodeKernel::plain, bytes, last);
  for (const ReencodeKernel kernel : {ReencodeKernel::sse2, ReencodeKernel::avx2}) {
    if (HasReencodeKernel(kernel)) {
      const Run vector = ReencodeWith(kernel, bytes, last);
      ASSERT_EQ(vector.progress.read, plain.progress.read) << static_cast<int>(kernel);
      ASSERT_EQ(vector.out, plain.out) << static_cast<int>(kernel);
    }
  }
}

// Every two bytes at the start, inside, at the end of and across a 16- and a 32-byte block, among
// kanji (which the vector kernel copies) or ASCII.
TEST(reencode_kernels_test, every_two_bytes_at_each_place_match_plain) {
  struct Filler {
    std::array<std::uint8_t, 2> bytes;
    std::array<std::size_t, 7> places;  // even for kanji, whose pairs start at even places
  };
  for (const Filler& filler : {Filler{{0x8B, 0xE0}, {0, 6, 14, 16, 18, 30, 32}},
                               Filler{{'a', 'b'}, {0, 7, 14, 15, 16, 31, 32}}}) {
    for (unsigned first = 0; first < 256; ++first) {
      for (unsigned second = 0; second < 256; ++second) {
        for (const std::size_t at : filler.places) {
          ByteBuffer bytes(72);
          for (std::size_t k = 0; k < bytes.size(); ++k) {
            bytes[k] = filler.bytes[k % 2];
          }
          bytes[at] = static_cast<std::uint8_t>(first);
          bytes[at + 1] = static_cast<std::uint8_t>(second);
          ExpectSameAsPlain(bytes, true);
          if (testing::Test::HasFatalFailure()) {
            FAIL() << "bytes " << std::hex << first << ' ' << second << " at " << std::dec << at;
          }
        }
      }
    }
  }
}

// Random text of every size to 300 at every alignment, in three mixes: any byte; Japanese-like
// (pairs, ASCII, line ends, some half-width katakana); runs of lead bytes, which pair up in turn.
TEST(reencode_kernels_test, random_text_of_every_size_and_alignment_matches_plain) {
  std::mt19937 random(16);
  const std::array<std::uint8_t, 12> leads{0x81, 0x82, 0x83, 0x84, 0x87, 0x88,
                                           0x93, 0x98, 0xE0, 0xEA, 0xED, 0xFA};
  const auto pick = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  const auto byte = [&pick] { return static_cast<std::uint8_t>(pick(256)); };
  for (int mix = 0; mix < 3; ++mix) {
    for (std::size_t size = 0; size <= 300; ++size) {
      for (std::size_t align = 0; align < 32; ++align) {
        // The text ends where its buffer does, so that a read past it is a fault the address
        // sanitizer sees.
        ByteBuffer storage(align + size);
        const std::span<std::uint8_t> bytes = std::span(storage).subspan(align, size);
        for (std::size_t k = 0; k < size; ++k) {
          switch (mix) {
            case 0:
              bytes[k] = byte();
              break;
            case 1: {
              const std::size_t kind = pick(16);
              bytes[k] = kind < 10   ? leads[pick(leads.size())]
                         : kind < 13 ? static_cast<std::uint8_t>(0x40 + pick(0xBD))
                         : kind < 14 ? static_cast<std::uint8_t>(0xA1 + pick(0x3F))
                         : kind < 15 ? std::uint8_t{'\r'}
                                     : std::uint8_t{'\n'};
              break;
            }
            default:
              bytes[k] = pick(8) == 0 ? byte() : leads[pick(leads.size())];
              break;
          }
        }
        for (const bool last : {true, false}) {
          ExpectSameAsPlain(bytes, last);
          if (testing::Test::HasFatalFailure()) {
            FAIL() << "mix " << mix << ", size " << size << ", alignment " << align;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace quillora::test
