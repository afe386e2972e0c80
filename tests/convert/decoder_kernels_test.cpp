// The JIS and EUC-JP decoders' vector kernels against the plain path: every code at each place of
// a block, and random text of every size to 300 at every alignment, ending where its buffer does.
// For JIS the plain path is the Shift_JIS decoder's loop, re-encoded, since its code page 932
// path takes line breaks between kanji runs in a step of its own with every kernel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <span>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "support/collector.h"
#include "support/hex.h"
#include "text/cp932_codec.h"

namespace quillora::test {
namespace {

using Decode = std::function<ByteBuffer(ReencodeKernel, std::span<const std::uint8_t>)>;

// Kanji-mode JIS needs the zero byte after its text, which is then where its buffer ends.
ByteBuffer DecodeJis(ReencodeKernel kernel, std::span<const std::uint8_t> jis) {
  Collector out(64);
  (void)JisToSjisAsCp932With(kernel, jis, out.sink);
  out.sink.Finish();
  return out.collected;
}

ByteBuffer DecodeJisByLoop(std::span<const std::uint8_t> jis) {
  ByteBuffer in(jis.begin(), jis.end());
  ByteBuffer out;
  const ConvertResult result = clsConvert().JisToSJis(out, in);
  out.resize(std::min(out.size(), result.count));
  return TextToBytes(BytesToText(out));
}

ByteBuffer DecodeEuc(ReencodeKernel kernel, std::span<const std::uint8_t> euc) {
  Collector out(64);
  EucToSjisAsCp932With(kernel, euc, out.sink);
  out.sink.Finish();
  return out.collected;
}

struct Decoder {
  const char* name;
  Decode decode;
  std::size_t after;  // bytes that must follow the text: the JIS decoder's zero
  bool by_loop;       // the reference is the Shift_JIS decoder's loop, not the plain kernel
};

const std::array<Decoder, 2> kDecoders{Decoder{"JIS", DecodeJis, 1, true},
                                       Decoder{"EUC-JP", DecodeEuc, 0, false}};

testing::AssertionResult SameAsPlain(const Decoder& decoder, std::span<const std::uint8_t> text) {
  const ByteBuffer plain =
      decoder.by_loop ? DecodeJisByLoop(text) : decoder.decode(ReencodeKernel::plain, text);
  for (const ReencodeKernel kernel :
       {ReencodeKernel::plain, ReencodeKernel::sse2, ReencodeKernel::avx2}) {
    if (HasReencodeKernel(kernel) && decoder.decode(kernel, text) != plain) {
      return testing::AssertionFailure()
             << decoder.name << " kernel " << static_cast<int>(kernel) << ": " << ToHex(text);
    }
  }
  return testing::AssertionSuccess();
}

// Every two bytes (a code, or its parts) at the start, inside, at the end of and across a 16- and
// a 32-byte block, among hiragana (which the kernels take) or, for EUC-JP, ASCII.
TEST(decoder_kernels_test, every_code_at_each_place_matches_plain) {
  struct Filler {
    const Decoder& decoder;
    std::array<std::uint8_t, 2> bytes;
    std::array<std::size_t, 6> places;  // after the kanji-in escape, for JIS
    unsigned low, high;                 // the range of both bytes tried
  };
  for (const Filler& filler :
       {Filler{kDecoders[0], {0x24, 0x22}, {0, 14, 16, 30, 32, 46}, 0x1F, 0x80},
        Filler{kDecoders[1], {0xA4, 0xA2}, {0, 14, 15, 16, 30, 31}, 0x7F, 0xFF},
        Filler{kDecoders[1], {'a', 'b'}, {0, 7, 14, 15, 16, 31}, 0x7F, 0xFF}}) {
    const bool jis = filler.decoder.after == 1;
    for (unsigned first = filler.low; first <= filler.high; ++first) {
      for (unsigned second = filler.low; second <= filler.high; ++second) {
        for (const std::size_t at : filler.places) {
          ByteBuffer text;
          if (jis) {
            text = {0x1B, 0x24, 0x42};
          }
          const std::size_t start = text.size();
          for (std::size_t k = 0; k < 80; ++k) {
            text.push_back(filler.bytes[k % 2]);
          }
          text[start + at] = static_cast<std::uint8_t>(first);
          text[start + at + 1] = static_cast<std::uint8_t>(second);
          text.push_back(0);  // JIS's zero byte; for EUC-JP a byte of the text
          ASSERT_TRUE(SameAsPlain(filler.decoder,
                                  std::span(text).first(text.size() - filler.decoder.after)));
        }
      }
    }
  }
}

// Mail-like pieces: codes that the kernels take and codes they leave, line ends, ASCII, bytes
// of neither set, escapes and the pieces of escapes.
TEST(decoder_kernels_test, random_text_of_every_size_and_alignment_matches_plain) {
  std::mt19937 random(2026);
  const auto pick = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  const std::array<std::uint8_t, 10> rows{0x21, 0x23, 0x24, 0x25, 0x26,
                                          0x2D, 0x30, 0x4F, 0x74, 0x7E};
  for (const Decoder& decoder : kDecoders) {
    const bool jis = decoder.after == 1;
    for (std::size_t size = 0; size <= 300; ++size) {
      for (std::size_t align = 0; align < 32; ++align) {
        ByteBuffer text;
        if (jis) {
          text = {0x1B, 0x24, 0x42};
        }
        while (text.size() < size) {
          const std::size_t kind = pick(16);
          if (kind < 10) {  // a code
            const auto row =
                static_cast<std::uint8_t>(kind < 8 ? rows[pick(4) + 1] : rows[pick(rows.size())]);
            const auto cell = static_cast<std::uint8_t>(0x21 + pick(94));
            text.push_back(jis ? row : row | 0x80);
            text.push_back(jis ? cell : cell | 0x80);
          } else if (kind == 10) {
            text.insert(text.end(), {0x0D, 0x0A});
          } else if (kind == 11) {
            text.push_back(static_cast<std::uint8_t>(0x20 + pick(0x60)));
          } else if (kind == 12) {
            text.push_back(static_cast<std::uint8_t>(pick(256)));
          } else if (jis && kind == 13) {  // a line break between kanji runs, or its start
            const std::array<std::uint8_t, 8> line{0x1B, 0x28, 0x42, 0x0D, 0x0A, 0x1B, 0x24, 0x42};
            text.insert(text.end(), line.begin(),
                        line.begin() + 1 + static_cast<std::ptrdiff_t>(pick(line.size())));
          } else if (jis) {
            const std::array<std::array<std::uint8_t, 3>, 3> escapes{
                {{0x1B, 0x24, 0x42}, {0x1B, 0x28, 0x42}, {0x1B, 0x24, 0x28}}};
            const auto& escape = escapes[pick(escapes.size())];
            text.insert(text.end(), escape.begin(),
                        escape.begin() + 1 + static_cast<std::ptrdiff_t>(pick(3)));
          } else {
            text.insert(text.end(), {0x8E, static_cast<std::uint8_t>(0xA1 + pick(0x3F))});
          }
        }
        text.resize(size);
        // The text ends where its buffer does (after JIS's zero byte), at `align` from an
        // allocation's start.
        ByteBuffer buffer(align + size + decoder.after);
        std::copy(text.begin(), text.end(), buffer.begin() + static_cast<std::ptrdiff_t>(align));
        ASSERT_TRUE(SameAsPlain(decoder, std::span(buffer).subspan(align, size)))
            << size << ' ' << align;
      }
    }
  }
}

}  // namespace
}  // namespace quillora::test
