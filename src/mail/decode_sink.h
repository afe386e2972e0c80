// Where the charset decoders write: text with CR LF line ends, and the repairs made on the way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mail/charset.h"

namespace quillora::mail {

class DecodeSink {
 public:
  DecodeSink(Text& text, std::vector<DecodeIssue>& issues) : text_(text), issues_(issues) {
    last_of_kind_.fill(kNone);
  }

  // Noise read as text has a repair every few bytes, and each listed one costs more than a hundred
  // bytes of report: past this many, a repair widens the last one of its kind instead.
  static constexpr std::size_t kListedIssues = 10000;

  // A character read from the `length` bytes at `at`. CR, LF and CR LF each become CR LF.
  void Put(char32_t c, std::size_t at, std::size_t length) {
    if (c < 0x80 && c != U'\r' && c != U'\n') {  // most of any mail: nothing to check
      after_cr_ = false;
      text_ += static_cast<char16_t>(c);
      return;
    }
    PutOther(c, at, length);
  }
  // A character looked up in a table, where 0 means the code has none: then U+FFFD.
  void PutMapped(char16_t c, std::size_t at, std::size_t length) {
    c == 0 ? Invalid(at, length) : Put(c, at, length);
  }
  // An invalid byte (or pair): U+FFFD.
  void Invalid(std::size_t at, std::size_t length);
  // A missing return to ASCII, supplied at `at`; produces nothing.
  void RepairedEscape(std::size_t at, std::size_t length);

 private:
  void PutOther(char32_t c, std::size_t at, std::size_t length);
  void Note(RepairKind kind, std::size_t at, std::size_t length, std::size_t text_at);

  static constexpr std::size_t kNone = ~std::size_t{0};

  Text& text_;
  std::vector<DecodeIssue>& issues_;
  // Where the last issue of each kind is in issues_, once the list is full.
  std::array<std::size_t, kRepairKindCount> last_of_kind_;
  bool after_cr_ = false;
};

}  // namespace quillora::mail
