// Generated mail text for the benchmarks: the same text in every encoding the engine reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "text/byte_buffer.h"

namespace quillora::bench {

enum class Style {
  japanese,  // Japanese-dense prose: kanji, kana and punctuation, short lines, a little ASCII
  ascii,     // ASCII-heavy mail: headers, English prose, quoted lines, a Japanese name or phrase
};

struct CorpusSpec {
  Style style = Style::japanese;
  std::size_t bytes = 1 << 20;  // approximate size of the Shift_JIS form
  // Half-width katakana words (with sound marks) for the widening paths. ISO-2022-JP cannot carry
  // them, so the whole-process comparison leaves them out.
  bool halfwidth_kana = false;
  std::uint64_t seed = 20261206;
};

// One text in all forms. Everything is generated from the same fixed seed, so a run is
// reproducible and every encoding holds the same characters.
struct Corpus {
  Text text;
  ByteBuffer sjis;     // code page 932
  ByteBuffer jis;      // ISO-2022-JP: ESC $ B before each run of kanji, ESC ( B after it
  ByteBuffer euc;      // EUC-JP; half-width katakana as 8E xx
  ByteBuffer utf16le;  // byte-order mark FF FE, then UTF-16LE
  ByteBuffer
      base64;  // a mail: headers naming Base64, an empty line, the Shift_JIS body wrapped at 76
  ByteBuffer base64_body;  // the body lines alone, for decoders that take no headers
  ByteBuffer uuencoded;    // a note, then a begin 644 line, 'M' lines, the last line, ` and end
};

[[nodiscard]] Corpus MakeCorpus(const CorpusSpec& spec);

// A multipart mail of about spec.bytes: headers with encoded words, an ISO-2022-JP text part, a
// Base64 Shift_JIS text part and a Base64 attachment, the three parts of even size.
[[nodiscard]] ByteBuffer MakeMail(CorpusSpec spec);

[[nodiscard]] const char* StyleName(Style style);

}  // namespace quillora::bench
