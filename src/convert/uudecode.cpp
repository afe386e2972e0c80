// The first uuencoded block of a text to its bytes, with the name from its begin line.
#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "convert/sextets.h"
#include "convert/stream_output.h"
#include "io/large_buffer.h"
#include "mail_text.h"
#include "text/cp932_codec.h"

namespace quillora {
namespace {

template <typename Char>
using View = std::basic_string_view<Char>;

constexpr std::string_view kBegin = "begin ";
constexpr std::size_t kBeginSkip = kBegin.size() + 1;  // "begin " and one character more

// A character's code in code page 932: a one-byte character gives its byte, a double-byte one its
// code as a signed 16-bit number, so that it can never pass for data (lead bytes are 0x81 and up).
// Each UTF-16 unit counts as a character, as the line lengths do.
class CharacterCodes {
 public:
  int operator()(char16_t c) {
    if (c < 0x80) {
      return c;
    }
    scratch_.clear();
    AppendTextAsBytes(std::u16string_view(&c, 1), scratch_);
    if (scratch_.size() == 1) {
      return scratch_[0];
    }
    return static_cast<std::int16_t>((scratch_[0] << 8) | scratch_[1]);
  }
  // An ASCII character given as its byte is its own code.
  int operator()(char c) { return static_cast<unsigned char>(c); }

 private:
  ByteBuffer scratch_;
};

// Where an ASCII word first stands in text, or npos.
std::size_t FindAscii(std::string_view text, std::string_view word) {
  return text.find(word);
}

template <typename Char>
std::size_t FindAscii(View<Char> text, std::string_view word) {
  if (word.size() > text.size()) {
    return View<Char>::npos;
  }
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    std::size_t k = 0;
    while (k < word.size() && text[at + k] == static_cast<Char>(word[k])) {
      ++k;
    }
    if (k == word.size()) {
      return at;
    }
  }
  return View<Char>::npos;
}

Text AsText(std::u16string_view text) {
  return Text(text);
}
Text AsText(std::string_view ascii) {
  return Text(ascii.begin(), ascii.end());
}

// The name on a lower-cased begin line: past "begin " and the character after it, then past the
// first blank if there is one ("begin 644 photo.txt" gives "photo.txt").
template <typename Char>
Text NameFromBeginLine(View<Char> lowered, std::size_t begin_at) {
  const std::size_t from = begin_at + kBeginSkip;
  View<Char> rest = from < lowered.size() ? lowered.substr(from) : View<Char>{};
  const std::size_t blank = rest.find(Char{' '});
  if (blank != View<Char>::npos) {
    rest.remove_prefix(blank + 1);
  }
  return AsText(rest);
}

struct BeginSearch {
  bool failed = false;
  bool found = false;
  std::size_t consumed = 0;  // the lines up to and including the begin line
};

template <typename Char>
BeginSearch FindBeginLine(View<Char> record, Text& strFileName) {
  BeginSearch search;
  for (;;) {
    const auto line = NextLine(record, search.consumed);
    if (!line) {
      search.failed = true;
      return search;
    }
    const auto lowered = LowerCase(record.substr(search.consumed, line->end - search.consumed));
    const std::size_t at = FindAscii(View<Char>(lowered), kBegin);
    if (at != View<Char>::npos) {
      strFileName = NameFromBeginLine(View<Char>(lowered), at);
      search.found = true;
    }
    search.consumed = line->next;
    if (search.found || OnlyBlanksFrom(record, search.consumed)) {
      return search;
    }
  }
}

struct DecodedBlock {
  ConvertError error = ConvertError::none;
  std::size_t count = 0;      // bytes written
  std::int16_t surplus = 0;   // bytes the last data line's padding added
  std::size_t failed_at = 0;  // after a failure: the start of the line it stopped on
};

DecodedBlock Failed(ConvertError error, std::size_t line_start) {
  return {error, 0, 0, line_start};
}

// Decoded bytes written one after another from a place with room for all of them.
class Contiguous {
 public:
  explicit Contiguous(std::uint8_t* start) : start_(start), to_(start) {}
  std::uint8_t* Room(std::size_t /*n*/) { return to_; }
  void Advance(std::size_t n) { to_ += n; }
  [[nodiscard]] std::size_t count() const { return static_cast<std::size_t>(to_ - start_); }

 private:
  std::uint8_t* start_;
  std::uint8_t* to_;
};

// Decoded bytes handed on to a sink a piece at a time, re-encoded or as they are, from a buffer
// that stays in the cache. The last data line's length may take bytes off the end again: at most
// that line's own and kHeldBack more (its length character is ASCII, so at least 32 below the
// blank), so those are held back until the block's length is known.
class Pieces {
 public:
  Pieces(StreamOutput& sink, bool reencode) : sink_(sink), reencode_(reencode), piece_(kPiece) {}

  std::uint8_t* Room(std::size_t n) {
    if (piece_.size() - used_ < n) {
      if (used_ > kHeldBack) {
        Hand(used_ - kHeldBack, false);
      }
      if (piece_.size() - used_ < n) {
        piece_.resize(used_ + n);  // a line longer than a piece
      }
    }
    return piece_.data() + used_;
  }
  void Advance(std::size_t n) { used_ += n; }
  [[nodiscard]] std::size_t count() const { return handed_ + used_; }

  // Hands on the rest of the first `length` bytes; none gives the one zero byte the decoded bytes
  // start as.
  void Finish(std::size_t length) {
    assert(length >= handed_);
    if (length == 0) {
      used_ = 0;
      piece_[used_++] = 0;
      length = 1;
    }
    Hand(length - handed_, true);
  }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 16;
  static constexpr std::size_t kHeldBack = 32;

  void Hand(std::size_t n, bool last) {
    const std::span<const std::uint8_t> bytes = std::span(piece_).first(n);
    std::size_t taken = n;
    if (reencode_) {
      taken = sink_.Reencode(bytes, last);  // a lead byte at the end waits for its trail
    } else {
      sink_.Copy(bytes);
    }
    std::memmove(piece_.data(), piece_.data() + taken, used_ - taken);
    used_ -= taken;
    handed_ += taken;
  }

  StreamOutput& sink_;
  bool reencode_;
  ByteBuffer piece_;
  std::size_t used_ = 0;
  std::size_t handed_ = 0;
};

// Data lines up to the "end" line or the first line whose length character is not "M", to
// `out`; groups never span lines. Writes at most data.size() / 4 * 3 bytes; with Contiguous the
// output may be where the data is or behind it, as a group's bytes are written after its
// characters are read and are fewer.
template <typename Char, typename Out>
DecodedBlock DecodeDataLines(View<Char> data, Out& out) {
  CharacterCodes code_of;
  DecodedBlock block;
  std::size_t start = 0;
  for (;;) {
    if constexpr (std::is_same_v<Char, char>) {
      // Most lines are whole lines of 60 data characters: taken whole, and then they cannot be
      // the "end" line.
      constexpr std::size_t kWholeLine = 45;
      if (const std::size_t length =
              DecodeUuLine(data.data() + start, data.size() - start, out.Room(kWholeLine))) {
        out.Advance(kWholeLine);
        start += length;
        continue;
      }
    }
    const auto line = NextLine(data, start);
    if (!line) {
      return Failed(ConvertError::out_of_range, start);
    }
    const View<Char> text = data.substr(start, line->end - start);
    if (FindAscii(text, "end") != View<Char>::npos) {
      break;
    }
    if (text.empty()) {  // no length character to read
      return Failed(ConvertError::out_of_range, start);
    }
    const bool last_line = text[0] != Char{'M'};
    if (last_line) {
      const long long surplus =
          static_cast<long long>((text.size() - 1) / 4 * 3) - (code_of(text[0]) - 32);
      if (surplus < std::numeric_limits<std::int16_t>::min() ||
          surplus > std::numeric_limits<std::int16_t>::max()) {
        return Failed(ConvertError::overflow, start);
      }
      block.surplus = static_cast<std::int16_t>(surplus);
    }
    std::uint8_t* const line_bytes = out.Room((text.size() - 1) / 4 * 3);
    std::uint8_t* to = line_bytes;
    std::array<std::uint8_t, 4> g{};
    std::size_t held = 0;
    View<Char> rest = text.substr(1);
    if constexpr (std::is_same_v<Char, char>) {
      const std::size_t taken = DecodeUuBlocks(rest.data(), rest.size(), to);
      to += taken / 4 * 3;
      rest.remove_prefix(taken);
      // Whole groups of ASCII characters, each its own code, while all four are data.
      while (rest.size() >= 4) {
        const int v0 = static_cast<unsigned char>(rest[0]) - 32;
        const int v1 = static_cast<unsigned char>(rest[1]) - 32;
        const int v2 = static_cast<unsigned char>(rest[2]) - 32;
        const int v3 = static_cast<unsigned char>(rest[3]) - 32;
        if (((v0 | v1 | v2 | v3) & ~0xFF) != 0) {
          break;  // one is below 32: the character by character loop fails on it
        }
        to[0] = static_cast<std::uint8_t>(((v0 & 0x3F) << 2) | ((v1 >> 4) & 0x03));
        to[1] = static_cast<std::uint8_t>(((v1 & 0x0F) << 4) | ((v2 >> 2) & 0x0F));
        to[2] = static_cast<std::uint8_t>(((v2 & 0x03) << 6) | (v3 & 0x3F));
        to += 3;
        rest.remove_prefix(4);
      }
    }
    for (const Char c : rest) {
      const int value = code_of(c) - 32;
      if (value < 0 || value > 0xFF) {
        return Failed(ConvertError::overflow, start);
      }
      g[held++] = static_cast<std::uint8_t>(value);
      if (held == g.size()) {
        held = 0;
        to[0] = static_cast<std::uint8_t>(((g[0] & 0x3F) << 2) | ((g[1] >> 4) & 0x03));
        to[1] = static_cast<std::uint8_t>(((g[1] & 0x0F) << 4) | ((g[2] >> 2) & 0x0F));
        to[2] = static_cast<std::uint8_t>(((g[2] & 0x03) << 6) | (g[3] & 0x3F));
        to += 3;
      }
    }
    out.Advance(static_cast<std::size_t>(to - line_bytes));
    if (last_line) {
      break;
    }
    start = line->next;
  }
  block.count = out.count();
  return block;
}

// The length of a decoded block once its last line's padding is taken off.
std::size_t TrimmedLength(const DecodedBlock& block) {
  const auto surplus = static_cast<std::size_t>(block.surplus < 1 ? 0 : block.surplus);
  return surplus < block.count ? block.count - surplus : 0;
}

// UuencodeToSJis on either kind of text; `consumed` receives how much of the record the lines up
// to the begin line took. The bytes are decoded into `in_place` when it is given, a buffer whose
// start is at or behind the record's, which then becomes the output; else into a fresh buffer.
template <typename Char>
ConvertResult DecodeBlock(ByteBuffer& bytConvertStrings, View<Char> record, Text& strFileName,
                          std::size_t& consumed, ByteBuffer* in_place) {
  strFileName.clear();
  const BeginSearch search = FindBeginLine(record, strFileName);
  consumed = search.consumed;
  if (search.failed) {
    return {ConvertError::out_of_range, 0, search.consumed};
  }
  if (!search.found) {
    return {ConvertError::none, bytConvertStrings.size()};
  }

  const View<Char> data = record.substr(search.consumed);
  ByteBuffer fresh;
  if (in_place == nullptr) {
    // Three bytes for four characters at most.
    ReserveLarge(fresh, data.size() / 4 * 3 + 1);
    fresh.resize(data.size() / 4 * 3 + 1);
  }
  ByteBuffer& bytes = in_place != nullptr ? *in_place : fresh;
  Contiguous out(bytes.data());
  const DecodedBlock block = DecodeDataLines(data, out);
  if (block.error != ConvertError::none) {
    return {block.error, 0, search.consumed + block.failed_at};
  }
  bytes.resize(TrimmedLength(block));
  if (bytes.empty()) {
    bytes.push_back(0);  // the decoded bytes start as one zero byte that the first one replaces
  }
  bytConvertStrings = std::move(bytes);
  return {ConvertError::none, bytConvertStrings.size()};
}

// LoweredContains(ascii, "end"). A block's end line usually stands near the end of the file, so
// the last few kilobytes are looked at first: the same answer, without reading the whole block.
bool LoweredContainsEnd(std::string_view ascii) {
  constexpr std::size_t kTail = 4096;
  const std::size_t tail = ascii.size() > kTail ? ascii.size() - kTail : 0;
  return LoweredContains(ascii.substr(tail), "end") || (tail > 0 && LoweredContains(ascii, "end"));
}

}  // namespace

ConvertResult clsConvert::UuencodeToSJis(ByteBuffer& bytConvertStrings, Text& strRecord,
                                         Text& strFileName) {
  std::size_t consumed = 0;
  const ConvertResult result = DecodeBlock(bytConvertStrings, std::u16string_view(strRecord),
                                           strFileName, consumed, nullptr);
  strRecord.erase(0, consumed);
  return result;
}

std::optional<ConvertResult> UuencodedFile(ByteBuffer& file, ByteBuffer& bytConvertStrings,
                                           Text& strFileName) {
  std::size_t consumed = 0;
  if (IsAscii(file)) {
    const std::string_view record(reinterpret_cast<const char*>(file.data()), file.size());
    if (!LoweredContains(record, "begin ") || !LoweredContainsEnd(record)) {
      return std::nullopt;
    }
    return DecodeBlock(bytConvertStrings, record, strFileName, consumed, &file);
  }
  const Text record = BytesToText(file);
  if (!LoweredContains(record, u"begin ") || !LoweredContains(record, u"end")) {
    return std::nullopt;
  }
  ConvertResult result =
      DecodeBlock(bytConvertStrings, std::u16string_view(record), strFileName, consumed, nullptr);
  if (!result.ok()) {
    // From the character the text stopped at to the byte it was decoded from.
    std::size_t byte = 0;
    for (std::size_t c = 0; c < result.stopped_at && byte < file.size(); ++c) {
      byte += FirstCharacterLength(std::span(file).subspan(byte), true);
    }
    result.stopped_at = byte;
  }
  return result;
}

std::optional<ConvertResult> UuencodedAsciiToSink(std::span<const std::uint8_t> file,
                                                  StreamOutput& sink, bool reencode) {
  const std::string_view record(reinterpret_cast<const char*>(file.data()), file.size());
  if (!LoweredContains(record, "begin ") || !LoweredContainsEnd(record)) {
    return std::nullopt;
  }
  Text name;
  const BeginSearch search = FindBeginLine(record, name);
  if (search.failed) {
    return ConvertResult{ConvertError::out_of_range, 0, search.consumed};
  }
  Pieces out(sink, reencode);
  if (!search.found) {
    out.Finish(0);
    return ConvertResult{ConvertError::none, 1};
  }
  const DecodedBlock block = DecodeDataLines(record.substr(search.consumed), out);
  if (block.error != ConvertError::none) {
    sink.WithdrawAll();
    return ConvertResult{block.error, 0, search.consumed + block.failed_at};
  }
  const std::size_t length = TrimmedLength(block);
  out.Finish(length);
  return ConvertResult{ConvertError::none, std::max<std::size_t>(length, 1)};
}

}  // namespace quillora
