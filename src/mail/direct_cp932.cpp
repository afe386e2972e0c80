// Each direct path follows its decoder step by step, but writes each character's code page 932
// bytes from a table made of the decoder's own characters, and gives up where the decoder would
// repair or read something no table here holds. So whatever it makes is what the text would encode
// to, and a mail that needs a repair loses nothing by trying: the text is read as before.
#include "direct_cp932.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "decoders.h"
#include "jis_tables.h"
#include "text/cp932_codec.h"
#include "text/same_jis_runs.h"
#include "text/sjis_bytes.h"

namespace quillora::mail {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr unsigned kCells = 94;
constexpr unsigned kSjisLeads = 60;    // 81-9F and E0-FC
constexpr unsigned kSjisTrails = 189;  // 40-FC

// The output is sized a piece of input at a time, for the room a piece can need (every byte can
// become two: a lone LF becomes CR LF), so that only what is written is touched.
constexpr std::size_t kPiece = std::size_t{1} << 16;
constexpr std::size_t kPieceRoom = 2 * kPiece + 64;

unsigned SjisLeadIndex(std::uint8_t lead) {
  return lead <= 0x9F ? lead - 0x81U : lead - 0xE0U + 31U;
}

// Each character's code page 932 bytes, first byte and second above it (0 when there is none); 0
// where the decoder would repair: no character, or one code page 932 lacks.
struct DirectTables {
  std::array<std::uint16_t, std::size_t{kCells} * kCells> jis{};            // row * 94 + cell
  std::array<std::uint16_t, std::size_t{kSjisLeads} * kSjisTrails> sjis{};  // lead, trail - 40
  std::array<std::uint8_t, 0x40> kana{};  // byte - A0, for the single bytes A0-DF
};

std::unique_ptr<DirectTables> MakeDirectTables() {
  auto tables = std::make_unique<DirectTables>();
  // Every character is encoded in one call; the bytes are then dealt out by the lead-byte rule,
  // which holds for the encoding of any character code page 932 has.
  std::vector<std::uint16_t*> slots;
  Text characters;
  const auto add = [&](std::uint16_t* slot, char16_t c) {
    if (c != 0 && Cp932Holds(c)) {
      slots.push_back(slot);
      characters.push_back(c);
    }
  };
  for (unsigned row = 0; row < kCells; ++row) {
    for (unsigned cell = 0; cell < kCells; ++cell) {
      add(&tables->jis[row * kCells + cell], Jis0208ToUnicode(row, cell));
    }
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const auto l = static_cast<std::uint8_t>(lead);
      const auto t = static_cast<std::uint8_t>(trail);
      if (IsSjisLeadByte(l) && IsSjisTrailByte(t)) {
        add(&tables->sjis[SjisLeadIndex(l) * kSjisTrails + (trail - 0x40)],
            SjisPairToUnicode(l, t));
      }
    }
  }
  std::array<std::uint16_t, 0x40> kana{};
  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    add(&kana[b - 0xA0], HalfwidthKana(static_cast<std::uint8_t>(b - 0x80)));
  }
  ByteBuffer encoded;
  AppendTextAsBytes(characters, encoded);
  std::size_t at = 0;
  for (std::uint16_t* slot : slots) {
    const bool pair = IsSjisLeadByte(encoded[at]) && at + 1 < encoded.size();
    *slot = static_cast<std::uint16_t>(encoded[at] | (pair ? encoded[at + 1] << 8 : 0));
    at += pair ? 2 : 1;
  }
  for (std::size_t b = 0; b < kana.size(); ++b) {
    tables->kana[b] = kana[b] > 0xFF ? 0 : static_cast<std::uint8_t>(kana[b]);
  }
  return tables;
}

const DirectTables& Tables() {
  static const std::unique_ptr<DirectTables> tables = MakeDirectTables();
  return *tables;
}

// CR, LF and CR LF each become CR LF, as DecodeSink makes them.
struct LineEnds {
  bool after_cr = false;

  std::uint8_t* Put(std::uint8_t b, std::uint8_t* to) {
    const bool skip = b == '\n' && after_cr;
    after_cr = b == '\r';
    if (skip) {
      return to;
    }
    to[0] = '\r';
    to[1] = '\n';
    return to + 2;
  }
};

// The output of one call: pieces of room, handed on between them, and on failure all of it that
// was not handed on taken back. Counts the two-byte characters, which with the bytes gives the
// characters.
class DirectOutput {
 public:
  explicit DirectOutput(Cp932Output& out) : out_(out), start_(out.total()) {}

  std::uint8_t* Open() {
    ByteBuffer& bytes = out_.bytes();
    const std::size_t base = bytes.size();
    bytes.resize(base + kPieceRoom);
    return bytes.data() + base;
  }
  void Close(const std::uint8_t* to) {
    ByteBuffer& bytes = out_.bytes();
    bytes.resize(static_cast<std::size_t>(to - bytes.data()));
    out_.Settle();
  }
  std::uint8_t* Put(std::uint8_t* to, std::uint16_t code) {
    to[0] = static_cast<std::uint8_t>(code);
    to[1] = static_cast<std::uint8_t>(code >> 8);
    const bool two = (code >> 8) != 0;
    pairs += two ? 1 : 0;
    return to + (two ? 2 : 1);
  }
  [[nodiscard]] DirectResult Fail() {
    const std::size_t handed = out_.handed() > start_ ? out_.handed() - start_ : 0;
    out_.bytes().resize(start_ + handed - out_.handed());
    return {false, 0, handed};
  }
  [[nodiscard]] DirectResult Done() const { return {true, out_.total() - start_ - pairs, 0}; }

  std::size_t pairs = 0;

 private:
  Cp932Output& out_;
  std::size_t start_;
};

// How many bytes from `in` on (n of them) are printable ASCII, copied to `to`: the text between
// line ends, escapes and 8-bit bytes, taken 16 at a time.
std::size_t CopyPrintableAscii(const std::uint8_t* in, std::size_t n, std::uint8_t* to) {
  std::size_t done = 0;
#if defined(__SSE2__)
  for (; n - done >= 16; done += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + done), bytes);
    // As signed bytes, 80-FF are below zero: one comparison takes 20-7F.
    const auto other = static_cast<unsigned>(
        ~_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x1F))) & 0xFFFF);
    if (other != 0) {
      return done + static_cast<unsigned>(std::countr_zero(other));
    }
  }
#endif
  for (; done < n && in[done] >= 0x20 && in[done] < 0x80; ++done) {
    to[done] = in[done];
  }
  return done;
}

// In Japanese mail a kanji run mostly ends its line: ESC ( B, the line end, ESC $ B. Taken as one
// step, the bytes between copied as they are, this costs a fraction of going through them one by
// one. Only printable ASCII and CR LF, which the decoder makes into themselves, go this way.
// Returns where the step ends, or `at` (an escape in kanji mode) for anything else.
std::size_t LineBreak(const std::uint8_t* in, std::size_t at, std::size_t n, std::uint8_t*& to) {
  constexpr std::size_t kMostBetween = 16;
  if (n - at < 6 || in[at + 1] != '(' || in[at + 2] != 'B') {
    return at;
  }
  std::size_t k = at + 3;
  const std::size_t stop = std::min(n - 3, k + kMostBetween);
  while (k < stop) {
    if (in[k] >= 0x20 && in[k] < 0x80) {
      ++k;
    } else if (in[k] == '\r' && k + 1 < stop && in[k + 1] == '\n') {
      k += 2;
    } else {
      break;
    }
  }
  if (in[k] != kEsc || in[k + 1] != '$' || (in[k + 2] != 'B' && in[k + 2] != '@')) {
    return at;
  }
  std::memcpy(to, in + at + 3, k - at - 3);
  to += k - at - 3;
  return k + 3;
}

DirectResult DirectIso2022Jp(std::span<const std::uint8_t> bytes, Cp932Output& out) {
  static const SameJisPairs same_pairs = SameJisPairsOf(BestReencodeKernel());
  const auto& steps = Tables().jis;
  const std::uint8_t* const in = bytes.data();
  const std::size_t n = bytes.size();
  const auto graphic = [](std::uint8_t b) { return b >= 0x21 && b <= 0x7E; };
  DirectOutput output(out);
  LineEnds line_ends;
  bool kanji = false;
  std::size_t i = 0;
  while (i < n) {
    // A step reads at most a few bytes past the piece and writes at most two for each it reads.
    const std::size_t piece_end = std::min(n, i + kPiece);
    std::uint8_t* to = output.Open();
    while (i < piece_end) {
      if (!kanji) {
        if (const std::size_t run = CopyPrintableAscii(in + i, piece_end - i, to); run > 0) {
          i += run;
          to += run;
          line_ends.after_cr = false;
          continue;
        }
      }
      const std::uint8_t b = in[i];
      if (b == kEsc) {
        if (kanji) {
          std::uint8_t* const before = to;
          if (const std::size_t next = LineBreak(in, i, n, to); next != i) {
            line_ends.after_cr = line_ends.after_cr && to == before;
            i = next;
            continue;
          }
        }
        // ESC ( B and ESC $ B or ESC $ @; every other designation is for the decoder.
        if (n - i < 3) {
          return output.Fail();
        }
        if (in[i + 1] == '(' && in[i + 2] == 'B') {
          kanji = false;
        } else if (in[i + 1] == '$' && (in[i + 2] == 'B' || in[i + 2] == '@')) {
          kanji = true;
        } else {
          return output.Fail();
        }
        i += 3;
      } else if (kanji && graphic(b)) {
        const std::size_t same = same_pairs(in + i, piece_end - i, to);
        i += same;
        to += same;
        output.pairs += same / 2;
        if (same > 0) {
          line_ends.after_cr = false;
        }
        if (i >= piece_end || !graphic(in[i])) {
          continue;
        }
        if (i + 1 >= n || !graphic(in[i + 1])) {
          return output.Fail();
        }
        const std::uint16_t code = steps[(in[i] - 0x21U) * kCells + (in[i + 1] - 0x21U)];
        if (code == 0) {
          return output.Fail();
        }
        to = output.Put(to, code);
        line_ends.after_cr = false;
        i += 2;
      } else if (b >= 0x80 || b == 0x0E || b == 0x0F) {  // 8-bit bytes, SO and SI
        return output.Fail();
      } else if (b == '\r' || b == '\n') {
        if (kanji) {  // a kanji run the line end cuts: a repair
          return output.Fail();
        }
        to = line_ends.Put(b, to);
        ++i;
      } else {
        *to++ = b;
        line_ends.after_cr = false;
        ++i;
      }
    }
    output.Close(to);
  }
  return kanji ? output.Fail() : output.Done();
}

// Copies the runs a vector kernel takes whole (CopyStrictSjisRuns): none.
std::size_t NoRuns(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t&) noexcept {
  return 0;
}

// The loop of DecodeAsciiCompatible: ASCII through, line ends made CR LF, every other byte to
// `other(i, to, output)`, which writes its character and returns how many bytes it read, or 0 to
// give up. Where `runs` copies a run whole, the characters it takes are ones no line end or repair
// is.
template <typename Runs, typename Other>
DirectResult DirectAsciiCompatible(std::span<const std::uint8_t> bytes, Cp932Output& out, Runs runs,
                                   Other other) {
  const std::uint8_t* const in = bytes.data();
  const std::size_t n = bytes.size();
  DirectOutput output(out);
  LineEnds line_ends;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t piece_end = std::min(n, i + kPiece);
    std::uint8_t* to = output.Open();
    while (i < piece_end) {
      std::size_t run = runs(in + i, piece_end - i, to, output.pairs);
      if (run == 0) {
        run = CopyPrintableAscii(in + i, piece_end - i, to);
      }
      if (run > 0) {
        i += run;
        to += run;
        line_ends.after_cr = false;
        continue;
      }
      const std::uint8_t b = in[i];
      if (b == '\r' || b == '\n') {
        to = line_ends.Put(b, to);
        ++i;
        continue;
      }
      line_ends.after_cr = false;
      if (b < 0x80) {
        *to++ = b;
        ++i;
        continue;
      }
      const std::size_t read = other(i, to, output);
      if (read == 0) {
        return output.Fail();
      }
      i += read;
    }
    output.Close(to);
  }
  return output.Done();
}

DirectResult DirectShiftJis(std::span<const std::uint8_t> bytes, Cp932Output& out) {
  static const ReencodeKernel kernel = BestReencodeKernel();
  const auto runs = [](const std::uint8_t* in, std::size_t n, std::uint8_t* to,
                       std::size_t& pairs) { return CopyStrictSjisRuns(kernel, in, n, to, pairs); };
  const DirectTables& tables = Tables();
  return DirectAsciiCompatible(
      bytes, out, runs, [&](std::size_t i, std::uint8_t*& to, DirectOutput& output) -> std::size_t {
        const std::uint8_t b = bytes[i];
        if (IsHalfwidthKatakanaByte(b)) {
          const std::uint8_t kana = tables.kana[b - 0xA0U];
          *to = kana;
          to += kana != 0 ? 1 : 0;
          return kana != 0 ? 1 : 0;
        }
        if (!IsSjisLeadByte(b) || i + 1 >= bytes.size() || !IsSjisTrailByte(bytes[i + 1])) {
          return 0;
        }
        const std::uint16_t code =
            tables.sjis[SjisLeadIndex(b) * kSjisTrails + (bytes[i + 1] - 0x40U)];
        if (code == 0) {
          return 0;
        }
        to = output.Put(to, code);
        return 2;
      });
}

DirectResult DirectEucJp(std::span<const std::uint8_t> bytes, Cp932Output& out) {
  const DirectTables& tables = Tables();
  const auto euc = [](std::uint8_t b) { return b >= 0xA1 && b <= 0xFE; };
  return DirectAsciiCompatible(
      bytes, out, NoRuns,
      [&](std::size_t i, std::uint8_t*& to, DirectOutput& output) -> std::size_t {
        const std::uint8_t b = bytes[i];
        if (i + 1 >= bytes.size()) {
          return 0;
        }
        const std::uint8_t next = bytes[i + 1];
        std::uint16_t code = 0;
        if (b == 0x8E) {
          code = next >= 0xA1 && next <= 0xDF ? tables.kana[next - 0xA0U] : 0;
        } else if (euc(b) && euc(next)) {
          code = tables.jis[(b - 0xA1U) * kCells + (next - 0xA1U)];
        }
        if (code == 0) {  // JIS X 0212 behind 8F among the rest
          return 0;
        }
        to = output.Put(to, code);
        return 2;
      });
}

}  // namespace

DirectResult AppendDirectCp932(Charset charset, std::span<const std::uint8_t> bytes,
                               Cp932Output& out) {
  switch (charset) {
    case Charset::iso2022jp:
      return DirectIso2022Jp(bytes, out);
    case Charset::shift_jis:
      return DirectShiftJis(bytes, out);
    case Charset::euc_jp:
      return DirectEucJp(bytes, out);
    case Charset::us_ascii:
    case Charset::utf8:
    case Charset::iso8859_1:
      return DirectAsciiCompatible(
          bytes, out, NoRuns,
          [](std::size_t, std::uint8_t*&, DirectOutput&) { return std::size_t{0}; });
    case Charset::utf16le:
    case Charset::utf16be:
      break;
  }
  return {};
}

}  // namespace quillora::mail
