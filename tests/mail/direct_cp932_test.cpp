// The direct ways to code page 932 against the decoders and the encoder they stand in for: what a
// direct way writes is the encoding of the decoder's text, and it writes nothing where the decoder
// repairs anything.
#include "direct_cp932.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string_view>
#include <vector>

#include "jis_tables.h"
#include "mail/charset.h"
#include "text/cp932_codec.h"
#include "text/same_jis_runs.h"
#include "text/sjis_bytes.h"

namespace quillora::mail {
namespace {

struct Decoded {
  Text text;
  std::vector<DecodeIssue> issues;
};

Decoded Decode(Charset charset, std::span<const std::uint8_t> bytes) {
  Decoded decoded;
  DecodeCharset(charset, bytes, decoded.text, decoded.issues);
  return decoded;
}

ByteBuffer Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// A CR that no LF follows: the decoder makes it CR LF, which the direct ways leave to it.
bool HasLoneCr(std::span<const std::uint8_t> bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
      return true;
    }
  }
  return false;
}

// Returns whether the direct way took the bytes. Laid out after other bytes, which stay.
bool ExpectAgreesWithDecoder(Charset charset, std::span<const std::uint8_t> bytes) {
  const Decoded decoded = Decode(charset, bytes);
  const ByteBuffer before = Bytes("before");
  ByteBuffer buffer = before;
  Cp932Output out(buffer, {});
  const DirectResult direct = AppendDirectCp932(charset, bytes, out);
  if (!direct.done) {
    EXPECT_EQ(buffer, before) << "a direct way that gives up takes back what it laid out";
    EXPECT_EQ(direct.handed, 0U);
    return false;
  }
  EXPECT_TRUE(decoded.issues.empty()) << "taken although the decoder repairs";
  ByteBuffer expected = before;
  AppendTextAsBytes(decoded.text, expected);
  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(direct.characters, decoded.text.size());
  return true;
}

// Every two bytes in each charset's place for a character, between ASCII and a line end. Where
// the decoder repairs nothing, the direct way must take them, but for the few shapes it leaves to
// the decoder by design.
TEST(direct_cp932_test, every_code_of_each_charset) {
  struct Case {
    Charset charset;
    std::string_view before;
    std::string_view after;
  };
  for (const Case& c : {Case{Charset::shift_jis, "a", "\r\n"}, Case{Charset::euc_jp, "a", "\n"},
                        Case{Charset::iso2022jp, "a\x1B$B", "\x1B(B\r\n"},
                        Case{Charset::us_ascii, "a", "\n"}, Case{Charset::utf8, "", "\r\n"}}) {
    std::size_t taken = 0;
    for (unsigned first = 0; first < 256; ++first) {
      for (unsigned second = 0; second < 256; ++second) {
        ByteBuffer bytes = Bytes(c.before);
        bytes.push_back(static_cast<std::uint8_t>(first));
        bytes.push_back(static_cast<std::uint8_t>(second));
        bytes.insert(bytes.end(), c.after.begin(), c.after.end());
        const bool clean = Decode(c.charset, bytes).issues.empty();
        // Left to the decoder: a lone CR; in ISO-2022-JP, SO, SI, escapes and 8-bit bytes; UTF-8
        // beyond ASCII.
        const bool decoder_only =
            HasLoneCr(bytes) ||
            (c.charset == Charset::iso2022jp &&
             (first < 0x21 || second < 0x21 || first >= 0x7F || second >= 0x7F)) ||
            (c.charset == Charset::utf8 && (first >= 0x80 || second >= 0x80));
        const bool direct = ExpectAgreesWithDecoder(c.charset, bytes);
        if (clean && !decoder_only) {
          ASSERT_TRUE(direct) << CharsetName(c.charset) << ' ' << std::hex << first << ' '
                              << second;
        }
        taken += direct ? 1 : 0;
        if (testing::Test::HasFailure()) {
          FAIL() << CharsetName(c.charset) << ' ' << std::hex << first << ' ' << second;
        }
      }
    }
    EXPECT_GT(taken, 8000U) << CharsetName(c.charset);
  }
}

// Random text of every size to 300 at every alignment of the buffer, in each charset, from pieces
// a mail holds: characters, line ends of every kind, escapes, and bytes that need a repair.
TEST(direct_cp932_test, random_text_agrees_with_the_decoder) {
  struct Mix {
    Charset charset;
    std::vector<std::string_view> pieces;
  };
  const std::vector<Mix> mixes{
      {Charset::shift_jis,
       {"\x82\xA0", "\x8A\xBF", "\x88\x9F", "\x81\x40", "\x87\x40", "\xED\x40", "\xFA\x40", "\xB1",
        "ab", "\r\n", "\n", "\r", "\xA0", "\x80", "\x85\x40", "\x82"}},
      {Charset::euc_jp,
       {"\xA4\xA2", "\xB4\xC1", "\xAD\xA1", "\x8E\xB1", "ab", "\r\n", "\n", "\x8F\xB0\xA1",
        "\xA9\xA1", "\x8E", "\xFF"}},
      {Charset::iso2022jp,
       {"\x1B$B$\"4A\x1B(B", "\x1B$@-! $\"\x1B(B", "ab", "\r\n", "\n", "\x1B(J\\", "\x1B(I1",
        "\x0E1\x0F", "\x1B$B$\"\n", "\x1B$B\x7F", "\x1B", "\xB1", "\x1B$Bt~"}},
  };
  std::mt19937 random(932);
  for (const Mix& mix : mixes) {
    std::size_t taken = 0;
    for (std::size_t size = 0; size <= 300; ++size) {
      for (std::size_t align = 0; align < 32; ++align) {
        // Mostly the first, clean, pieces, so that many texts are taken whole.
        const std::size_t clean = 5;
        ByteBuffer text;
        while (text.size() < size) {
          const std::size_t pick =
              random() % 8 == 0 ? random() % mix.pieces.size() : random() % clean;
          text.insert(text.end(), mix.pieces[pick].begin(), mix.pieces[pick].end());
        }
        text.resize(size);
        ByteBuffer storage(align);
        storage.insert(storage.end(), text.begin(), text.end());
        taken += ExpectAgreesWithDecoder(mix.charset, std::span(storage).subspan(align)) ? 1 : 0;
        if (testing::Test::HasFailure()) {
          FAIL() << CharsetName(mix.charset) << " size " << size << " alignment " << align;
        }
      }
    }
    EXPECT_GT(taken, 300U) << CharsetName(mix.charset);
  }
}

// Each vector kernel copies only what the strict decoding reads as itself (CR LF, but no lone CR or
// LF), counts its pairs, ends between characters and never inside a CR LF, and on clean Japanese
// lines runs to within two blocks of the end.
TEST(direct_cp932_test, strict_sjis_kernels_copy_what_decodes_to_itself) {
  const std::array<std::string_view, 11> pieces{"\x82\xA0", "\x82\xF1", "\x88\x9F", "\x83\x40",
                                                "a",        "\xB1",     "\r\n",     "\xA0",
                                                "\x87\x40", "\n",       "\r"};
  std::mt19937 random(31);
  for (const ReencodeKernel kernel : {ReencodeKernel::sse2, ReencodeKernel::avx2}) {
    if (!HasReencodeKernel(kernel)) {
      continue;
    }
    const std::size_t block = kernel == ReencodeKernel::avx2 ? 32 : 16;
    for (const bool japanese_only : {true, false}) {
      for (std::size_t size = 0; size <= 300; ++size) {
        for (std::size_t align = 0; align < 32; ++align) {
          ByteBuffer storage(align);
          while (storage.size() < align + size) {
            const auto piece = pieces[random() % (japanese_only ? 7 : pieces.size())];
            storage.insert(storage.end(), piece.begin(), piece.end());
          }
          storage.resize(align + size);
          const std::span<const std::uint8_t> in = std::span(storage).subspan(align);
          ByteBuffer to(size);
          std::size_t pairs = 0;
          const std::size_t run =
              CopyStrictSjisRuns(kernel, in.data(), in.size(), to.data(), pairs);
          ASSERT_LE(run, size);
          const std::span<const std::uint8_t> copied = in.first(run);
          ASSERT_TRUE(std::equal(copied.begin(), copied.end(), to.begin()));
          const Decoded decoded = Decode(Charset::shift_jis, copied);
          ASSERT_TRUE(decoded.issues.empty()) << size << ' ' << align;
          ASSERT_EQ(decoded.text.size(), run - pairs) << "pairs miscounted";
          ASSERT_EQ(TextToBytes(decoded.text), ByteBuffer(copied.begin(), copied.end()));
          // Between characters: the rest decodes on its own as it does after the run.
          const Decoded whole = Decode(Charset::shift_jis, in);
          const Decoded rest = Decode(Charset::shift_jis, in.subspan(run));
          ASSERT_EQ(decoded.text + rest.text, whole.text) << size << ' ' << align;
          if (japanese_only) {
            ASSERT_GE(run + 2 * block + 2, size) << size << ' ' << align;
          }
        }
      }
    }
  }
}

// The Shift_JIS pairs, decoded in one pass, against each pair decoded alone.
TEST(direct_cp932_test, each_pair_reads_as_the_codec_reads_it_alone) {
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const std::array<std::uint8_t, 2> pair{static_cast<std::uint8_t>(lead),
                                             static_cast<std::uint8_t>(trail)};
      if (!IsSjisLeadByte(pair[0]) || !IsSjisTrailByte(pair[1])) {
        continue;
      }
      const Text alone = BytesToText(pair);
      const bool assigned =
          alone.size() == 1 && (alone[0] != u'\u30FB' || (lead == 0x81 && trail == 0x45));
      ASSERT_EQ(SjisPairToUnicode(pair[0], pair[1]), assigned ? alone[0] : u'\0')
          << std::hex << lead << ' ' << trail;
    }
  }
}

// The set of characters code page 932 holds, made in one pass, against each one encoded alone.
TEST(direct_cp932_test, cp932_holds_what_encodes_as_other_than_a_question_mark) {
  for (unsigned c = 0; c < 0x10000; ++c) {
    const auto unit = static_cast<char16_t>(c);
    const ByteBuffer alone = TextToBytes(std::u16string_view(&unit, 1));
    ASSERT_EQ(Cp932Holds(unit), c == '?' || alone != ByteBuffer{'?'}) << std::hex << c;
  }
}

}  // namespace
}  // namespace quillora::mail
