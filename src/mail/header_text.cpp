#include "header_text.h"

#include <gmime/gmime.h>

#include <optional>
#include <string>
#include <string_view>

#include "part_text.h"
#include "source_map.h"

namespace quillora::mail {
namespace {

bool IsBlank(std::uint8_t b) {
  return b == ' ' || b == '\t' || b == '\r' || b == '\n';
}

struct EncodedWord {
  std::size_t end = 0;  // one past "?="
  std::string charset;  // without an RFC 2231 language ("*ja")
  bool base64 = false;
  std::size_t text_begin = 0;
  std::size_t text_end = 0;
};

// Where the text of encoded words ends, looked up for positions that only grow, so that a
// header full of "=?" that never close is still read in linear time.
class WordEnds {
 public:
  explicit WordEnds(std::span<const std::uint8_t> raw) : raw_(raw) {}

  // The first "?=" from `from` on (or the end of the value), or beyond it when a blank comes
  // first. A folded line break
  // (CR LF or LF, then blanks) may lie inside the text: some mailers fold in the middle of a
  // long word.
  std::size_t From(std::size_t from) {
    // The search from searched_ stopped at stop_; nothing stops it earlier from a later start.
    if (from >= searched_ && from <= stop_) {
      return closed_ ? stop_ : raw_.size() + 1;
    }
    searched_ = from;
    std::size_t i = from;
    while (i + 1 < raw_.size() && !(raw_[i] == '?' && raw_[i + 1] == '=')) {
      if (raw_[i] == '\r' || raw_[i] == '\n') {
        std::size_t next = i + (raw_[i] == '\r' && raw_[i + 1] == '\n' ? 2 : 1);
        if (next >= raw_.size() || (raw_[next] != ' ' && raw_[next] != '\t')) {
          break;
        }
        while (next < raw_.size() && (raw_[next] == ' ' || raw_[next] == '\t')) {
          ++next;
        }
        i = next;
        continue;
      }
      if (IsBlank(raw_[i])) {
        break;
      }
      ++i;
    }
    // A word cut off by the end of the value (its "?=" lost) still ends there.
    if (i + 1 == raw_.size() && !IsBlank(raw_[i])) {
      i = raw_[i] == '?' ? i : raw_.size();
    }
    stop_ = i;
    closed_ = i == raw_.size() || (raw_[i] == '?' && (i + 1 == raw_.size() || raw_[i + 1] == '='));
    return closed_ ? stop_ : raw_.size() + 1;
  }

 private:
  std::span<const std::uint8_t> raw_;
  std::size_t searched_ = 1;
  std::size_t stop_ = 0;
  bool closed_ = false;
};

// The encoded word starting at raw[at] ("=?"), when it is one.
std::optional<EncodedWord> ReadEncodedWord(std::span<const std::uint8_t> raw, std::size_t at,
                                           WordEnds& ends) {
  if (at + 1 >= raw.size() || raw[at] != '=' || raw[at + 1] != '?') {
    return std::nullopt;
  }
  std::size_t charset_end = at + 2;
  while (charset_end < raw.size() && raw[charset_end] != '?' && !IsBlank(raw[charset_end])) {
    ++charset_end;
  }
  if (charset_end + 2 >= raw.size() || raw[charset_end + 2] != '?') {
    return std::nullopt;
  }
  const std::uint8_t method = raw[charset_end + 1];
  if (method != 'B' && method != 'b' && method != 'Q' && method != 'q') {
    return std::nullopt;
  }
  const std::size_t text_begin = charset_end + 3;
  const std::size_t text_end = ends.From(text_begin);
  if (text_end > raw.size()) {
    return std::nullopt;
  }
  EncodedWord word;
  word.end = std::min(text_end + 2, raw.size());
  word.charset.assign(raw.begin() + static_cast<std::ptrdiff_t>(at + 2),
                      raw.begin() + static_cast<std::ptrdiff_t>(charset_end));
  word.charset = word.charset.substr(0, word.charset.find('*'));
  word.base64 = method == 'B' || method == 'b';
  word.text_begin = text_begin;
  word.text_end = text_end;
  return word;
}

int HexValue(std::uint8_t b) {
  if (b >= '0' && b <= '9') {
    return b - '0';
  }
  if (b >= 'A' && b <= 'F') {
    return b - 'A' + 10;
  }
  if (b >= 'a' && b <= 'f') {
    return b - 'a' + 10;
  }
  return -1;
}

// The Q encoding: "_" is a blank and "=XX" a byte; anything else stands for itself.
void AppendQ(std::span<const std::uint8_t> text, ByteBuffer& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = i + 2 < text.size() && text[i] == '=' ? HexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low >= 0) {
      out.push_back(static_cast<std::uint8_t>(high << 4 | low));
      i += 2;
    } else {
      if (IsBlank(text[i])) {
        continue;  // a fold inside the word
      }
      out.push_back(text[i] == '_' ? std::uint8_t{' '} : text[i]);
    }
  }
}

// Each word decodes on its own; one that lacks its padding still gives the bytes it holds.
void AppendB(std::span<const std::uint8_t> text, ByteBuffer& out) {
  const std::size_t start = out.size();
  out.resize(start + text.size() + 4);
  int state = 0;
  guint32 save = 0;
  std::size_t written = g_mime_encoding_base64_decode_step(text.data(), text.size(),
                                                           out.data() + start, &state, &save);
  if (state % 4 != 0) {
    static constexpr std::uint8_t kPadding[] = {'=', '=', '='};
    written += g_mime_encoding_base64_decode_step(kPadding, 4 - static_cast<std::size_t>(state % 4),
                                                  out.data() + start + written, &state, &save);
  }
  out.resize(start + written);
}

// Bytes gathered for one decoding: a run of words of one charset, or unfolded plain text.
struct Run {
  std::string label;  // empty for plain text
  ByteBuffer bytes;
  SourceMap map;
};

class HeaderDecoder {
 public:
  explicit HeaderDecoder(std::span<const std::uint8_t> raw) : raw_(raw), ends_(raw) {}

  HeaderText Decode() {
    std::size_t i = 0;
    while (i < raw_.size() && IsBlank(raw_[i])) {
      ++i;  // the blank after the colon
    }
    std::size_t end = raw_.size();
    while (end > i && IsBlank(raw_[end - 1])) {
      --end;
    }
    raw_ = raw_.first(end);
    ends_ = WordEnds(raw_);
    bool after_word = false;
    while (i < raw_.size()) {
      if (const auto word = ReadEncodedWord(raw_, i, ends_)) {
        AddWord(*word, i);
        i = word->end;
        after_word = true;
        continue;
      }
      // Blanks between two encoded words are no part of the text.
      std::size_t blanks = i;
      while (blanks < raw_.size() && IsBlank(raw_[blanks])) {
        ++blanks;
      }
      if (after_word && blanks > i && ReadEncodedWord(raw_, blanks, ends_)) {
        i = blanks;
        continue;
      }
      after_word = false;
      AddPlain(i);
      ++i;
    }
    Flush();
    return std::move(result_);
  }

 private:
  void AddWord(const EncodedWord& word, std::size_t at) {
    if (run_.label.empty() || !SameLabel(run_.label, word.charset)) {
      Flush();
      run_.label = word.charset;
    }
    run_.map.Add(run_.bytes.size(), at, word.end - at, SourceMap::Scale::whole);
    const auto text = raw_.subspan(word.text_begin, word.text_end - word.text_begin);
    word.base64 ? AppendB(text, run_.bytes) : AppendQ(text, run_.bytes);
  }

  // One byte of plain text; a line break is dropped (unfolding), the blank after it kept.
  void AddPlain(std::size_t at) {
    if (!run_.label.empty()) {
      Flush();
    }
    if (raw_[at] == '\r' || raw_[at] == '\n') {
      return;
    }
    run_.map.Add(run_.bytes.size(), at, 1, SourceMap::Scale::identity);
    run_.bytes.push_back(raw_[at]);
  }

  static bool SameLabel(std::string_view a, std::string_view b) {
    return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
  }

  void Flush() {
    if (!run_.bytes.empty() || !run_.label.empty()) {
      PartText part = DecodePartText(run_.label, run_.bytes, run_.map);
      for (RepairEvent& event : part.events) {
        event.text_offset += result_.text.size();
        result_.events.push_back(std::move(event));
      }
      result_.text += part.text;
    }
    run_ = Run{};
  }

  std::span<const std::uint8_t> raw_;
  WordEnds ends_;
  Run run_;
  HeaderText result_;
};

}  // namespace

HeaderText DecodeHeaderValue(std::span<const std::uint8_t> raw) {
  return HeaderDecoder(raw).Decode();
}

}  // namespace quillora::mail
