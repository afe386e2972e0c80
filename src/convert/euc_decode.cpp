// EUC-JP decoding: to Shift_JIS text, to JIS, and the widening of its half-width katakana.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "convert/stream_output.h"
#include "converter_support.h"
#include "io/large_buffer.h"
#include "text/cp932_codec.h"
#include "text/katakana.h"
#include "text/same_jis_runs.h"

namespace quillora {
namespace {

using Bytes = std::span<const std::uint8_t>;
using BytePair = std::array<std::uint8_t, 2>;

constexpr std::uint8_t kSingleShift = 0x8E;
constexpr std::uint8_t kVoicedMark = 0xDE;
constexpr std::uint8_t kSemiVoicedMark = 0xDF;

// A byte of a JIS X 0208 character in EUC-JP.
constexpr bool IsJisX0208Byte(std::uint8_t b) noexcept {
  return b >= 0xA1 && b <= 0xFE;
}

// EUC-JP two-byte code to Shift_JIS. Any byte values give results within 0-255 (lead 0x71-0xF0,
// trail 0x1F-0xFD), so nothing can overflow.
BytePair EucPairToSjis(std::uint8_t a, std::uint8_t b) noexcept {
  const int row = a & 0x7F;
  int trail = (b & 0x7F) + (row % 2 == 1 ? 0x1F : 0x7D);
  if (trail >= 0x7F) {
    trail += 1;
  }
  int lead = (row - 0x21) / 2 + 0x81;  // truncated toward zero, as C++ divides
  if (lead > 0x9F) {
    lead += 0x40;
  }
  return {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)};
}

// The text that one byte after 0x8E stands for: the full-width form of the byte decoded alone.
const Text& FullwidthOfByte(std::uint8_t b) {
  static const std::array<Text, 256> table = [] {
    std::array<Text, 256> t;
    for (std::size_t v = 0; v < t.size(); ++v) {
      const std::array<std::uint8_t, 1> byte{static_cast<std::uint8_t>(v)};
      t[v] = BytesToText(byte);
      for (char16_t& c : t[v]) {
        c = HalfwidthToFullwidth(c);
      }
    }
    return t;
  }();
  return table[b];
}

// What each JIS X 0208 code of EUC-JP re-encodes to, by table.
const Jis0208Steps& EucCp932Steps() {
  static const std::unique_ptr<Jis0208Steps> steps =
      ComposeJis0208Steps([](unsigned row, unsigned cell) {
        const auto [lead, trail] = EucPairToSjis(static_cast<std::uint8_t>(0xA1 + row),
                                                 static_cast<std::uint8_t>(0xA1 + cell));
        return static_cast<std::uint16_t>(lead | trail << 8);
      });
  return *steps;
}

struct Cp932StepSink {
  StreamOutput& out;
  const Jis0208Steps& steps;
  static std::size_t Stage(Bytes bytes, std::uint8_t* to) {
    return ReencodeBytes(bytes, to, true).written;
  }
  std::size_t StageWhole(std::uint8_t a, std::uint8_t b, std::uint8_t* to) const {
    const std::uint16_t code = steps[(a - 0xA1U) * 94 + (b - 0xA1U)];
    to[0] = static_cast<std::uint8_t>(code);
    to[1] = static_cast<std::uint8_t>(code >> 8);
    return (code >> 8) != 0 ? 2 : 1;
  }
  void Take(Bytes bytes) { out.Copy(bytes); }
  void Append(std::u16string_view more) { out.Encode(more); }
};

// The steps of EucToSjisConvert, each a Shift_JIS pair, a byte or a widened single shift, whose
// bytes would be decoded on their own. They are re-encoded as code page 932 step by step (a step
// is whole characters, so that is what re-encoding a batch would give) and batched: Take hands
// on a batch, Append encodes text. A step that ends in a lead byte left alone (a first byte that
// is no Shift_JIS lead, then a trail that is one) is handed on apart, and a batch may end after
// any step, so it is handed on whenever it fills.
void EucToSjisSteps(Bytes in, Cp932StepSink& sink, ReencodeKernel kernel) {
  constexpr std::size_t kBatch = std::size_t{1} << 15;
  std::array<std::uint8_t, kBatch> batch;  // NOLINT: filled before it is read
  std::size_t used = 0;
  const auto flush = [&] {
    if (used > 0) {
      sink.Take(std::span(batch).first(used));
      used = 0;
    }
  };
  const std::size_t n = in.size();
  std::size_t i = 0;
  while (i + 1 < n) {
    if (kBatch - used < 16) {
      flush();
    }
    // ASCII and the codes that re-encode to themselves a block at a time; the steps below take
    // the code where the blocks stop.
    const std::size_t same = ConvertSameEucRuns(
        kernel, in.data() + i, std::min(n - i, kBatch - used), batch.data() + used);
    i += same;
    used += same;
    if (i + 1 >= n) {
      break;
    }
    if (kBatch - used < 16) {
      flush();
    }
    // ASCII eight steps at a time, while a byte follows each.
    if (n - i > 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, in.data() + i, sizeof word);
      if ((word & 0x8080808080808080U) == 0) {
        std::memcpy(batch.data() + used, &word, sizeof word);
        used += 8;
        i += 8;
        continue;
      }
    }
    // Runs of JIS X 0208 codes (both bytes A1-FE, as nearly all of Japanese text is): each
    // gives a lead and a trail byte, a whole character, so the checks below cannot apply.
    if (IsJisX0208Byte(in[i]) && IsJisX0208Byte(in[i + 1])) {
      do {
        used += sink.StageWhole(in[i], in[i + 1], batch.data() + used);
        i += 2;
      } while (i + 1 < n && kBatch - used >= 2 && IsJisX0208Byte(in[i]) &&
               IsJisX0208Byte(in[i + 1]));
      continue;
    }
    const std::uint8_t a = in[i];
    if (a <= 0x7F) {
      batch[used++] = a;
      i += 1;
    } else if (a == kSingleShift) {
      flush();
      sink.Append(FullwidthOfByte(in[i + 1]));
      i += 2;
    } else {
      const BytePair pair = EucPairToSjis(a, in[i + 1]);
      const auto [lead, trail] = pair;
      if (!(IsSjisLeadByte(lead) && IsSjisTrailByte(trail)) && IsSjisLeadByte(trail)) {
        used += sink.Stage(std::span(pair).first(1), batch.data() + used);
        flush();
        std::array<std::uint8_t, 2> alone{};
        sink.Take(std::span(alone).first(sink.Stage(std::span(pair).last(1), alone.data())));
      } else {
        used += sink.Stage(pair, batch.data() + used);
      }
      i += 2;
    }
  }
  if (i + 1 == n) {
    used += sink.Stage(in.subspan(i, 1), batch.data() + used);
  }
  flush();
}

// What the single-shifted mark after the katakana at in[i] adds to its code: 1 for a voiced mark
// it takes, 2 for a semi-voiced one, 0 when none follows that it takes. Two bytes follow i.
int MarkTaken(Bytes in, std::size_t i) {
  const std::uint8_t h = in[i];
  if (in[i + 1] != kSingleShift) {
    return 0;
  }
  if (in[i + 2] == kVoicedMark && detail::TakesVoicedMark(h)) {
    return 1;
  }
  return in[i + 2] == kSemiVoicedMark && detail::TakesSemiVoicedMark(h) ? 2 : 0;
}

}  // namespace

Text clsConvert::EucToSjisConvert(ByteBuffer& bytConvertStrings) {
  ByteBuffer cp932;
  // No step gives more bytes than it reads, but for a single shift's two.
  ReserveLarge(cp932, bytConvertStrings.size() + bytConvertStrings.size() / 2 + 2);
  StreamOutput out(StreamOutput::AppendTo(cp932));
  EucToSjisAsCp932(bytConvertStrings, out);
  out.Finish();
  return BytesToText(cp932);
}

void EucToSjisAsCp932With(ReencodeKernel kernel, std::span<const std::uint8_t> euc,
                          StreamOutput& sink) {
  Cp932StepSink steps{sink, EucCp932Steps()};
  EucToSjisSteps(euc, steps, kernel);
}

void EucToSjisAsCp932(std::span<const std::uint8_t> euc, StreamOutput& sink) {
  EucToSjisAsCp932With(BestReencodeKernel(), euc, sink);
}

ConvertResult clsConvert::EucToJis(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings,
                                   bool booHankakuKana) {
  if (!booHankakuKana) {
    ByteBuffer widened;
    if (const ConvertResult r = EUCHankakuKanaConvert(widened, bytConvertStrings); !r.ok()) {
      return {r.error, 0, r.stopped_at};
    }
    bytConvertStrings = std::move(widened);
  }
  const std::uint8_t final_byte = booHankakuKana ? 0x4A : 0x42;  // ESC ( J or ESC ( B
  const Bytes in(bytConvertStrings);
  const std::size_t n = in.size();
  // Worst case: escape and pair alternating with escape and single byte, 9 bytes for 3.
  detail::GrowingOutput out(3 * n, n + n / 4);
  bool kanji = false;
  for (std::size_t k = 0; k < n;) {
    const std::uint8_t b = in[k];
    if (b == 0xFF || b < 0xA1) {
      if (kanji) {
        Put(out, 0x1B, 0x28, final_byte);
        kanji = false;
      }
      if (b == kSingleShift && ++k == n) {
        return out.Fail(bytConverted, ConvertError::out_of_range, k - 1);
      }
      Put(out, in[k]);
      ++k;
    } else {
      if (!kanji) {
        Put(out, 0x1B, 0x24, 0x42);
        kanji = true;
      }
      Put(out, b & 0x7F);  // goes out before the second byte is read, so a failure keeps it
      if (k + 1 == n) {
        return out.Fail(bytConverted, ConvertError::out_of_range, k);
      }
      Put(out, in[k + 1] & 0x7F);
      k += 2;
    }
  }
  return out.Finish(bytConverted);
}

ConvertResult clsConvert::EUCHankakuKanaConvert(ByteBuffer& bytConverted,
                                                ByteBuffer& bytConvertStrings) {
  const std::size_t n = bytConvertStrings.size();
  detail::AppendGuardByte(bytConvertStrings);
  detail::FixedOutput out(bytConverted, 2 * n + 1, n + 1);  // widening rarely grows much
  const Bytes in(bytConvertStrings);
  for (std::size_t i = 0; i < n; ++i) {
    if (in[i] != kSingleShift) {
      Put(out, in[i]);
      continue;
    }
    ++i;
    const std::uint8_t h = in[i];  // at most the guard byte
    // A byte that is no half-width katakana keeps its single shift and itself.
    const bool kana = h >= 0xA1 && h <= 0xDF;
    const std::uint16_t wide = kana ? EucOfJis0208(FullwidthKatakanaJis(h))
                                    : static_cast<std::uint16_t>(kSingleShift << 8 | h);
    Put(out, static_cast<std::uint8_t>(wide >> 8));
    // Both following bytes are read whatever h is, so a single shift in the last two positions
    // fails even where no mark could follow.
    if (i + 2 >= in.size()) {
      return out.Fail(ConvertError::out_of_range, i - 1);
    }
    const int mark = MarkTaken(in, i);
    Put(out, static_cast<std::uint8_t>((wide & 0xFF) + mark));
    i += mark != 0 ? 2 : 0;
  }
  return out.Finish();
}

}  // namespace quillora
