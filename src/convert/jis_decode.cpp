// JIS (ISO-2022-JP) decoding to Shift_JIS and to EUC-JP.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "convert/stream_output.h"
#include "converter_support.h"
#include "text/cp932_codec.h"
#include "text/same_jis_runs.h"

namespace quillora {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kEsc = 0x1B;

constexpr std::array<std::uint8_t, 3> kEscDollarB{kEsc, 0x24, 0x42};
constexpr std::array<std::uint8_t, 3> kEscDollarAt{kEsc, 0x24, 0x40};
constexpr std::array<std::uint8_t, 4> kEscDollarParenB{kEsc, 0x24, 0x28, 0x42};
constexpr std::array<std::uint8_t, 2> kEscK{kEsc, 0x4B};
constexpr std::array<std::uint8_t, 3> kEscParenB{kEsc, 0x28, 0x42};
constexpr std::array<std::uint8_t, 3> kEscParenJ{kEsc, 0x28, 0x4A};
constexpr std::array<std::uint8_t, 2> kEscH{kEsc, 0x48};

// The listed sequences are prefix-free and none contains 0x00, so a mismatch at the guard byte
// gives the same answer as reading byte by byte would.
template <std::size_t L>
bool StartsAt(Bytes in, std::size_t p, const std::array<std::uint8_t, L>& seq) {
  return in.size() - p >= L && std::ranges::equal(in.subspan(p, L), seq);
}

std::size_t KanjiInLength(Bytes in, std::size_t p) {
  if (in[p] != kEsc) {
    return 0;
  }
  if (StartsAt(in, p, kEscDollarB) || StartsAt(in, p, kEscDollarAt)) {
    return 3;
  }
  if (StartsAt(in, p, kEscDollarParenB)) {
    return 4;
  }
  return StartsAt(in, p, kEscK) ? 2 : 0;
}

std::size_t KanjiOutLength(Bytes in, std::size_t p) {
  if (in[p] != kEsc) {
    return 0;
  }
  if (StartsAt(in, p, kEscParenB) || StartsAt(in, p, kEscParenJ)) {
    return 3;
  }
  return StartsAt(in, p, kEscH) ? 2 : 0;
}

// JIS X 0208 row and cell to Shift_JIS lead and trail, in place. Returns false (overflow, both
// bytes unchanged) when a value would leave 0-255. Each step is checked, not only the result: a
// row byte of 0x00 steps below 0 and would come back into range.
[[nodiscard]] constexpr bool JisPairToSjis(std::uint8_t& b1, std::uint8_t& b2) noexcept {
  int row = b1;
  int cell = b2;
  const int offset = row > 0x5E ? 0xC1 : 0x81;
  if (row % 2 == 1) {
    cell += cell <= 0x5F ? 0x1F : 0x20;
  } else {
    row -= 1;
    cell += 0x7E;
  }
  if (!detail::FitsByte(row) || !detail::FitsByte(cell)) {
    return false;
  }
  row = (row - 0x21) / 2 + offset;  // row is odd here, so the division is exact
  if (!detail::FitsByte(row)) {
    return false;
  }
  b1 = static_cast<std::uint8_t>(row);
  b2 = static_cast<std::uint8_t>(cell);
  return true;
}

// JisPairToSjis for every pair, indexed by row | cell << 8; the value is lead | trail << 8, or 0 on
// overflow (no lead byte is 0). Made at compile time from JisPairToSjis itself.
constexpr std::array<std::uint16_t, 0x10000> MakePairTable() {
  std::array<std::uint16_t, 0x10000> table{};
  for (std::size_t index = 0; index < table.size(); ++index) {
    auto row = static_cast<std::uint8_t>(index & 0xFF);
    auto cell = static_cast<std::uint8_t>(index >> 8);
    if (JisPairToSjis(row, cell)) {
      table[index] = static_cast<std::uint16_t>(row | cell << 8);
    }
  }
  return table;
}
constexpr std::array<std::uint16_t, 0x10000> kPairTable = MakePairTable();

// The loop both decoders share. `in` ends with the guard byte; n excludes it. The sink's Single(b)
// takes a byte of the single-byte set, its Pair(b1, b2) a kanji pair and returns false on overflow.
// Between escapes the sink takes whole stretches: Run(first, last) a run of single bytes, and
// Pairs(in, i, n) the pairs from i up to the first escape or the end (a sink may go on past an
// escape where that makes the same output), returning where it stopped: at a pair that overflows
// if one does. Only an escape byte can start a sequence, so neither escape test can match inside
// a stretch.

// How much a sink writes between looks at its room.
constexpr std::size_t kStretch = 4096;

// The longest line end taken between two kanji runs without leaving the sink.
constexpr std::size_t kShortRun = 8;

struct JisOutcome {
  ConvertError error = ConvertError::none;
  std::size_t at = 0;  // where a failure stopped the loop
};

template <typename Sink>
JisOutcome DecodeJis(Bytes in, std::size_t n, Sink& sink) {
  bool kanji = false;
  std::size_t i = 0;
  // An escape matches only non-zero bytes, so a skipped one ends at the guard at the latest.
  while (i < n) {
    if (in[i] != kEsc) {
      if (kanji) {
        // i < n, so each pair's second byte is at most the guard.
        i = sink.Pairs(in.data(), i, n);
        if (i < n && in[i] != kEsc) {
          return {ConvertError::overflow, i};
        }
      } else {
        const void* esc = std::memchr(in.data() + i, kEsc, n - i);
        const std::size_t end =
            esc == nullptr
                ? n
                : static_cast<std::size_t>(static_cast<const std::uint8_t*>(esc) - in.data());
        sink.Run(in.data() + i, in.data() + end);
        i = end;
      }
      continue;
    }
    // An escape that leaves the current mode switches it; one that would enter it is skipped, and
    // what follows is read in the current mode.
    if (const std::size_t len = kanji ? KanjiOutLength(in, i) : KanjiInLength(in, i); len > 0) {
      kanji = !kanji;
      i += len;
      continue;
    }
    i += kanji ? KanjiInLength(in, i) : KanjiOutLength(in, i);
    if (!kanji) {
      sink.Single(in[i]);
      i += 1;
      continue;
    }
    if (i + 1 >= in.size()) {
      return {ConvertError::out_of_range, std::min(i, n)};
    }
    if (!sink.Pair(in[i], in[i + 1])) {
      return {ConvertError::overflow, i};
    }
    i += 2;
  }
  return {};
}

// Out is the FixedOutput of JisToSJis, or a ChunkOutput handing the bytes on as they come.
template <typename Out>
struct SjisSink {
  Out& out;

  void Single(std::uint8_t b) { Put(out, b); }
  void Run(const std::uint8_t* first, const std::uint8_t* last) {
    while (first != last) {
      const auto count = std::min(static_cast<std::size_t>(last - first), kStretch);
      std::memcpy(out.Room(count), first, count);
      out.Advance(count);
      first += count;
    }
  }
  bool Pair(std::uint8_t b1, std::uint8_t b2) {
    if (!JisPairToSjis(b1, b2)) {
      return false;
    }
    Put(out, b1);
    Put(out, b2);
    return true;
  }
  std::size_t Pairs(const std::uint8_t* in, std::size_t i, std::size_t n) {
    while (i < n && in[i] != kEsc) {
      // A pair never outgrows what it consumed, and kanji mode began with an escape that emitted
      // nothing, so room up to the end, the guard included, is within the output's bound.
      const std::size_t room = std::min(kStretch, n - i + 1);
      std::uint8_t* const start = out.Room(room);
      std::uint8_t* to = start;
      for (std::size_t k = 0; k + 2 <= room && i < n && in[i] != kEsc; k += 2) {
        const std::uint16_t sjis = kPairTable[in[i] | in[i + 1] << 8];
        if (sjis == 0) {
          out.Advance(static_cast<std::size_t>(to - start));
          return i;
        }
        to[0] = static_cast<std::uint8_t>(sjis);
        to[1] = static_cast<std::uint8_t>(sjis >> 8);
        to += 2;
        i += 2;
      }
      out.Advance(static_cast<std::size_t>(to - start));
    }
    return i;
  }
};

// Shift_JIS bytes handed on a piece at a time to a code page 932 sink, as the bytes of one text.
class ChunkOutput {
 public:
  explicit ChunkOutput(StreamOutput& sink) : sink_(sink), buffer_(kStretch * 4) {}

  // n is at most kStretch; what a flush leaves is one lead byte at most.
  std::uint8_t* Room(std::size_t n) {
    if (buffer_.size() - used_ < n) {
      Flush(false);
    }
    return buffer_.data() + used_;
  }
  void Advance(std::size_t n) { used_ += n; }
  void Finish() { Flush(true); }
  [[nodiscard]] bool Empty() const { return used_ == 0; }
  // Hands on what it holds; true unless a lead byte is left waiting for the byte after it.
  bool Settle() {
    Flush(false);
    return used_ == 0;
  }

 private:
  void Flush(bool last) {
    const std::size_t read = sink_.Reencode(std::span(buffer_).first(used_), last);
    std::memmove(buffer_.data(), buffer_.data() + read, used_ - read);
    used_ -= read;
  }

  StreamOutput& sink_;
  ByteBuffer buffer_;
  std::size_t used_ = 0;
};

const Jis0208Steps& JisCp932Steps() {
  static const std::unique_ptr<Jis0208Steps> steps = ComposeJis0208Steps(
      [](unsigned row, unsigned cell) { return kPairTable[(0x21 + row) | (0x21 + cell) << 8]; });
  return *steps;
}

// The decoder's Shift_JIS as code page 932 output, without a second pass over it: ASCII runs and
// kanji pairs that make one character each go to the sink as they re-encode, by table; anything
// else is re-encoded as bytes of one text. Output goes straight to the sink only while no byte
// waits for the byte after it, so the result is that of re-encoding the whole text.
class Cp932JisSink {
 public:
  Cp932JisSink(StreamOutput& sink, ReencodeKernel kernel)
      : sink_(sink),
        pending_(sink),
        steps_(JisCp932Steps()),
        stretch_(std::min(kStretch, sink.Stretch())),
        same_pairs_(SameJisPairsOf(kernel)) {}

  void Single(std::uint8_t b) { as_bytes_.Single(b); }
  void Run(const std::uint8_t* first, const std::uint8_t* last) {
    while (first != last) {
      const auto count = std::min(static_cast<std::size_t>(last - first), stretch_);
      const bool direct = pending_.Empty() && Ascii(std::span(first, count));
      std::memcpy(direct ? sink_.Room(count) : pending_.Room(count), first, count);
      if (direct) {
        sink_.Advance(count);
      } else {
        pending_.Advance(count);
      }
      first += count;
    }
  }
  bool Pair(std::uint8_t b1, std::uint8_t b2) { return as_bytes_.Pair(b1, b2); }
  std::size_t Pairs(const std::uint8_t* in, std::size_t i, std::size_t n) {
    while (i < n && in[i] != kEsc) {
      if (pending_.Empty() || pending_.Settle()) {
        i = DirectPairs(in, i, n);
        if (i >= n || in[i] == kEsc) {
          break;
        }
      }
      const std::uint16_t sjis = kPairTable[in[i] | in[i + 1] << 8];
      if (sjis == 0) {
        return i;
      }
      Put(pending_, static_cast<std::uint8_t>(sjis));
      Put(pending_, static_cast<std::uint8_t>(sjis >> 8));
      i += 2;
    }
    return i;
  }
  void Finish() { pending_.Finish(); }

 private:
  // Pairs from i on that are whole characters, up to the first that is not, an escape or the end.
  std::size_t DirectPairs(const std::uint8_t* in, std::size_t i, std::size_t n) {
    std::uint16_t code = 0;
    do {
      const std::size_t room = std::min(stretch_, n - i + 1);
      std::uint8_t* const start = sink_.Room(room);
      std::uint8_t* to = start;
      const std::size_t first = i;
      while (first + room - i >= 2 && i < n && in[i] != kEsc) {
        // Most pairs re-encode to themselves and go a block at a time; the table takes the pair
        // where the blocks stop. A pair never makes more than it reads, so the blocks stay
        // within the room.
        const std::size_t same = same_pairs_(in + i, std::min(n - i, first + room - i), to);
        i += same;
        to += same;
        if (first + room - i < 2 || i >= n) {
          break;
        }
        if (in[i] == kEsc) {
          const std::size_t next = LineBreak(in, i, std::min(n, first + room), to);
          if (next == i) {
            break;
          }
          i = next;
          continue;
        }
        // Codes outside JIS X 0208 and pairs that make no one character are left to the
        // bytes' way.
        const unsigned row = in[i] - 0x21U;
        const unsigned cell = in[i + 1] - 0x21U;
        code = row < 94 && cell < 94 ? steps_[row * 94 + cell] : 0;
        if (code == 0) {
          break;
        }
        to[0] = static_cast<std::uint8_t>(code);
        to[1] = static_cast<std::uint8_t>(code >> 8);
        to += (code >> 8) != 0 ? 2 : 1;
        i += 2;
      }
      sink_.Advance(static_cast<std::size_t>(to - start));
    } while (code != 0 && i < n && in[i] != kEsc);
    return i;
  }

  // In Japanese mail a kanji run mostly ends a line: ESC ( B, the line end, ESC $ B. Taken as one
  // step, the bytes between copied to `to`, this costs a fraction of a trip through the decoding
  // loop, and makes what that would: no byte is waiting to be re-encoded (DirectPairs runs only
  // then), so ASCII goes straight out. The step ends by `end`. Returns where it ends, or i when
  // the bytes at i are anything else.
  static std::size_t LineBreak(const std::uint8_t* in, std::size_t i, std::size_t end,
                               std::uint8_t*& to) {
    if (end - i < 6 || !std::equal(kEscParenB.begin(), kEscParenB.end(), in + i)) {
      return i;
    }
    std::size_t k = i + 3;
    for (const std::size_t stop = std::min(end - 3, k + kShortRun);
         k < stop && in[k] != kEsc && in[k] < 0x80;) {
      ++k;
    }
    if (end - k < 3 || !std::equal(kEscDollarB.begin(), kEscDollarB.end(), in + k)) {
      return i;
    }
    for (std::size_t b = i + 3; b < k; ++b) {
      *to++ = in[b];
    }
    return k + 3;
  }

  // Most runs between escapes in Japanese mail are a line end: those are looked at here.
  static bool Ascii(std::span<const std::uint8_t> run) {
    return run.size() <= 8 ? std::ranges::all_of(run, [](std::uint8_t b) { return b < 0x80; })
                           : IsAscii(run);
  }

  StreamOutput& sink_;
  ChunkOutput pending_;
  SjisSink<ChunkOutput> as_bytes_{pending_};
  const Jis0208Steps& steps_;
  std::size_t stretch_;  // at most what the sink gives room for at once
  SameJisPairs same_pairs_;
};

struct EucSink {
  detail::GrowingOutput& out;

  void Single(std::uint8_t b) {
    if (IsHalfwidthKatakanaByte(b)) {
      Put(out, 0x8E);  // single shift: half-width katakana
    }
    Put(out, b);
  }
  void Run(const std::uint8_t* first, const std::uint8_t* last) {
    // Each byte grows to two at most.
    while (first != last) {
      const auto count = std::min(static_cast<std::size_t>(last - first), kStretch);
      std::uint8_t* const start = out.Room(2 * count);
      std::uint8_t* to = start;
      for (const std::uint8_t* const end = first + count; first != end; ++first) {
        *to = 0x8E;
        to += IsHalfwidthKatakanaByte(*first) ? 1 : 0;
        *to++ = *first;
      }
      out.Advance(static_cast<std::size_t>(to - start));
    }
  }
  bool Pair(std::uint8_t b1, std::uint8_t b2) {
    Put(out, b1 | 0x80);
    Put(out, b2 | 0x80);
    return true;
  }
  std::size_t Pairs(const std::uint8_t* in, std::size_t i, std::size_t n) {
    while (i < n && in[i] != kEsc) {
      // At most two bytes for each byte read so far, so this stays within the bound of 2n.
      std::uint8_t* const start = out.Room(std::min(kStretch, n - i) + 2);
      std::uint8_t* to = start;
      for (const std::size_t stop = std::min(n, i + kStretch); i < stop && in[i] != kEsc; i += 2) {
        to[0] = in[i] | 0x80;
        to[1] = in[i + 1] | 0x80;
        to += 2;
      }
      out.Advance(static_cast<std::size_t>(to - start));
    }
    return i;
  }
};

}  // namespace

ConvertResult clsConvert::JisToSJis(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings) {
  const std::size_t n = bytConvertStrings.size();
  detail::AppendGuardByte(bytConvertStrings);
  // A pair never outgrows what it consumed, and a byte taken from the guard follows an escape
  // that emitted nothing, so n positions always suffice.
  detail::FixedOutput out(bytConverted, n);
  SjisSink<detail::FixedOutput> sink{out};
  const JisOutcome outcome = DecodeJis(bytConvertStrings, n, sink);
  return outcome.error == ConvertError::none ? out.Finish() : out.Fail(outcome.error, outcome.at);
}

ConvertResult JisToSjisAsCp932With(ReencodeKernel kernel, std::span<const std::uint8_t> jis,
                                   StreamOutput& sink) {
  Cp932JisSink decoder(sink, kernel);
  const JisOutcome outcome = DecodeJis({jis.data(), jis.size() + 1}, jis.size(), decoder);
  decoder.Finish();
  return {outcome.error, 0, outcome.at};
}

ConvertResult JisToSjisAsCp932(std::span<const std::uint8_t> jis, StreamOutput& sink) {
  return JisToSjisAsCp932With(BestReencodeKernel(), jis, sink);
}

ConvertResult JisToSjisAsCp932(ByteBuffer& bytConvertStrings, StreamOutput& sink) {
  const std::size_t n = bytConvertStrings.size();
  detail::AppendGuardByte(bytConvertStrings);
  return JisToSjisAsCp932(std::span<const std::uint8_t>(bytConvertStrings).first(n), sink);
}

ConvertResult clsConvert::JisToEuc(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings) {
  const std::size_t n = bytConvertStrings.size();
  detail::AppendGuardByte(bytConvertStrings);
  detail::GrowingOutput out(2 * n, n);
  EucSink sink{out};
  const JisOutcome outcome = DecodeJis(bytConvertStrings, n, sink);
  return outcome.error == ConvertError::none ? out.Finish(bytConverted)
                                             : out.Fail(bytConverted, outcome.error, outcome.at);
}

}  // namespace quillora
