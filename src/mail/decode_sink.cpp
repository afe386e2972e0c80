#include "decode_sink.h"

#include <algorithm>

#include "jis_tables.h"

namespace quillora::mail {

void DecodeSink::Note(RepairKind kind, std::size_t at, std::size_t length, std::size_t text_at) {
  std::size_t& last = last_of_kind_[static_cast<std::size_t>(kind)];
  if (issues_.size() < kListedIssues || last == kNone) {
    issues_.push_back({kind, at, length, text_at, text_.size() - text_at});
    last = issues_.size() >= kListedIssues ? issues_.size() - 1 : kNone;
    return;
  }
  DecodeIssue& widened = issues_[last];
  widened.length = std::max(widened.at + widened.length, at + length) - widened.at;
  widened.text_length = text_.size() - widened.text_at;
  ++widened.more;
}

void DecodeSink::PutOther(char32_t c, std::size_t at, std::size_t length) {
  const bool was_after_cr = after_cr_;
  after_cr_ = c == U'\r';
  if (c == U'\r' || c == U'\n') {
    if (!(c == U'\n' && was_after_cr)) {
      text_ += u"\r\n";
    }
    return;
  }
  const std::size_t text_at = text_.size();
  if (c > 0xFFFF) {
    text_ += static_cast<char16_t>(0xD7C0 + (c >> 10));
    text_ += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    Note(RepairKind::unmappable_in_cp932, at, length, text_at);
    return;
  }
  text_ += static_cast<char16_t>(c);
  if (!Cp932Holds(static_cast<char16_t>(c))) {
    Note(RepairKind::unmappable_in_cp932, at, length, text_at);
  }
}

void DecodeSink::Invalid(std::size_t at, std::size_t length) {
  after_cr_ = false;
  const std::size_t text_at = text_.size();
  text_ += u'\uFFFD';
  Note(RepairKind::replaced_invalid_byte, at, length, text_at);
}

void DecodeSink::RepairedEscape(std::size_t at, std::size_t length) {
  Note(RepairKind::repaired_escape, at, length, text_.size());
}

}  // namespace quillora::mail
