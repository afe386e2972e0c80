// The first uuencoded block of a text to its bytes, with the name from its begin line.
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "clsConvert.h"
#include "cp932_codec.h"
#include "mail_text.h"

namespace quillora {
namespace {

constexpr std::u16string_view kBegin = u"begin ";
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

 private:
  ByteBuffer scratch_;
};

// The name on a lower-cased begin line: past "begin " and the character after it, then past the
// first blank if there is one ("begin 644 photo.txt" gives "photo.txt").
Text NameFromBeginLine(std::u16string_view lowered, std::size_t begin_at) {
  const std::size_t from = begin_at + kBeginSkip;
  std::u16string_view rest = from < lowered.size() ? lowered.substr(from) : std::u16string_view{};
  const std::size_t blank = rest.find(u' ');
  if (blank != std::u16string_view::npos) {
    rest.remove_prefix(blank + 1);
  }
  return Text(rest);
}

struct BeginSearch {
  bool failed = false;
  bool found = false;
  std::size_t consumed = 0;  // the lines up to and including the begin line
};

BeginSearch FindBeginLine(std::u16string_view record, Text& strFileName) {
  BeginSearch search;
  for (;;) {
    const auto line = NextLine(record, search.consumed);
    if (!line) {
      search.failed = true;
      return search;
    }
    const Text lowered = LowerCase(record.substr(search.consumed, line->end - search.consumed));
    const std::size_t at = lowered.find(kBegin);
    if (at != Text::npos) {
      strFileName = NameFromBeginLine(lowered, at);
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
  ByteBuffer bytes;
  std::int16_t surplus = 0;  // bytes the last data line's padding added
};

DecodedBlock Failed(ConvertError error) {
  return {error, {}, 0};
}

// Data lines up to the "end" line or the first line whose length character is not "M"; groups
// never span lines.
DecodedBlock DecodeDataLines(std::u16string_view data) {
  CharacterCodes code_of;
  DecodedBlock block;
  block.bytes.reserve(data.size() / 4 * 3 + 1);
  std::size_t start = 0;
  for (;;) {
    const auto line = NextLine(data, start);
    if (!line) {
      return Failed(ConvertError::out_of_range);
    }
    const std::u16string_view text = data.substr(start, line->end - start);
    if (text.find(u"end") != std::u16string_view::npos) {
      break;
    }
    if (text.empty()) {  // no length character to read
      return Failed(ConvertError::out_of_range);
    }
    const bool last_line = text[0] != u'M';
    if (last_line) {
      const long long surplus =
          static_cast<long long>((text.size() - 1) / 4 * 3) - (code_of(text[0]) - 32);
      if (surplus < std::numeric_limits<std::int16_t>::min() ||
          surplus > std::numeric_limits<std::int16_t>::max()) {
        return Failed(ConvertError::overflow);
      }
      block.surplus = static_cast<std::int16_t>(surplus);
    }
    std::array<std::uint8_t, 4> g{};
    std::size_t held = 0;
    for (const char16_t c : text.substr(1)) {
      const int value = code_of(c) - 32;
      if (value < 0 || value > 0xFF) {
        return Failed(ConvertError::overflow);
      }
      g[held++] = static_cast<std::uint8_t>(value);
      if (held == g.size()) {
        held = 0;
        block.bytes.push_back(
            static_cast<std::uint8_t>(((g[0] & 0x3F) << 2) | ((g[1] >> 4) & 0x03)));
        block.bytes.push_back(
            static_cast<std::uint8_t>(((g[1] & 0x0F) << 4) | ((g[2] >> 2) & 0x0F)));
        block.bytes.push_back(static_cast<std::uint8_t>(((g[2] & 0x03) << 6) | (g[3] & 0x3F)));
      }
    }
    if (last_line) {
      break;
    }
    start = line->next;
  }
  return block;
}

}  // namespace

ConvertResult clsConvert::UuencodeToSJis(ByteBuffer& bytConvertStrings, Text& strRecord,
                                         Text& strFileName) {
  strFileName.clear();
  const BeginSearch search = FindBeginLine(strRecord, strFileName);
  strRecord.erase(0, search.consumed);
  if (search.failed) {
    return {ConvertError::out_of_range, 0};
  }
  if (!search.found) {
    return {ConvertError::none, bytConvertStrings.size()};
  }

  DecodedBlock block = DecodeDataLines(strRecord);
  if (block.error != ConvertError::none) {
    return {block.error, 0};
  }
  ByteBuffer& bytes = block.bytes;
  const auto surplus = static_cast<std::size_t>(block.surplus < 1 ? 0 : block.surplus);
  bytes.resize(surplus < bytes.size() ? bytes.size() - surplus : 0);
  if (bytes.empty()) {
    bytes.push_back(0);  // the decoded bytes start as one zero byte that the first one replaces
  }
  bytConvertStrings = std::move(bytes);
  return {ConvertError::none, bytConvertStrings.size()};
}

}  // namespace quillora
