// Each candidate charset decodes the bytes; a candidate scores by how Japanese its text looks
// (kana and kanji up, half-width kana and private-use characters down) and loses heavily for each
// invalid byte. EUC-JP read as Shift_JIS is valid but turns into half-width kana; Shift_JIS read
// as EUC-JP breaks at its first lead byte below A1; UTF-8 is rarely valid by chance.
#include "charset_sniff.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <vector>

#include "jis_tables.h"

namespace quillora::mail {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
// Enough text to judge by, taken from the first byte that is not plain ASCII on; the rest of a
// large body only costs time.
constexpr std::size_t kSniffBytes = std::size_t{64} << 10;

long CharacterScore(char16_t c) {
  if (c < 0x80) {
    return 0;
  }
  if (c >= 0x3041 && c <= 0x309F) {
    return 3;  // hiragana
  }
  if (c >= 0x30A0 && c <= 0x30FF) {
    return 2;  // katakana
  }
  if (c >= 0x4E00 && c <= 0x9FFF) {
    return 2;  // kanji
  }
  if (c >= 0x3000 && c <= 0x303F) {
    return 2;  // Japanese punctuation
  }
  if (c >= 0xFF01 && c <= 0xFF5E) {
    return 1;  // full-width ASCII
  }
  if (c >= 0xFF61 && c <= 0xFF9F) {
    return -1;  // half-width kana
  }
  if (c >= 0xE000 && c <= 0xF8FF) {
    return -4;  // private use
  }
  if (c >= 0x80 && c <= 0x9F) {
    return -4;  // C1 controls
  }
  if (c == 0xFFFD) {
    return -12;  // an invalid byte
  }
  return -1;
}

struct Reading {
  Charset charset;
  long score = 0;
  std::size_t invalid = 0;
  std::size_t characters = 0;  // beyond ASCII
  std::size_t kana = 0;        // full-width hiragana and katakana
  std::size_t nec_row13 = 0;
  std::size_t ibm = 0;
};

std::unique_ptr<std::bitset<0x10000>> RowSet(unsigned first, unsigned last) {
  auto set = std::make_unique<std::bitset<0x10000>>();
  for (unsigned row = first; row <= last; ++row) {
    for (unsigned cell = 0; cell < 94; ++cell) {
      if (const char16_t c = Jis0208ToUnicode(row, cell)) {
        set->set(c);
      }
    }
  }
  return set;
}

bool IsNecRow13(char16_t c) {
  static const auto set = RowSet(12, 12);
  return set->test(c);
}

bool IsIbmExtension(char16_t c) {
  static const auto set = RowSet(88, 91);
  return set->test(c);
}

Reading Read(Charset charset, std::span<const std::uint8_t> bytes) {
  Text text;
  text.reserve(bytes.size());
  std::vector<DecodeIssue> issues;
  DecodeCharset(charset, bytes, text, issues);
  Reading reading{charset};
  const bool utf16 = charset == Charset::utf16le || charset == Charset::utf16be;
  for (const char16_t c : text) {
    if (c < 0x80) {
      continue;
    }
    ++reading.characters;
    // Two ASCII bytes read as one UTF-16 unit make a kanji: no evidence of UTF-16 at all.
    const bool ascii_pair =
        utf16 && (c >> 8) >= 0x20 && (c >> 8) <= 0x7E && (c & 0xFF) >= 0x20 && (c & 0xFF) <= 0x7E;
    reading.score += ascii_pair ? 0 : CharacterScore(c);
    reading.invalid += c == 0xFFFD;
    reading.kana += c >= 0x3041 && c <= 0x30FF;
    reading.nec_row13 += IsNecRow13(c);
    reading.ibm += IsIbmExtension(c);
  }
  return reading;
}

// Text in a single-byte charset reads as some kanji in Shift_JIS or EUC-JP, but hardly ever as
// kana: Japanese prose has kana in every sentence.
bool ReadsAsJapaneseProse(const Reading& reading) {
  return reading.invalid == 0 && reading.score > 0 && reading.kana > 0 &&
         reading.kana * 8 >= reading.characters;
}

std::string Plural(std::size_t count, std::string_view what) {
  return std::to_string(count) + " " + std::string(what) + (count == 1 ? "" : "s");
}

// Where the window to judge by starts: the line, at an even offset, of the first byte beyond
// plain ASCII text (8-bit, an escape or a zero byte).
std::size_t WindowStart(std::span<const std::uint8_t> bytes) {
  if (bytes.size() <= kSniffBytes) {
    return 0;
  }
  const auto telling = std::find_if(bytes.begin(), bytes.end(),
                                    [](auto b) { return b >= 0x80 || b == kEsc || b == 0; });
  std::size_t start = static_cast<std::size_t>(telling - bytes.begin());
  const std::size_t earliest = start > 256 ? start - 256 : 0;
  while (start > earliest && bytes[start - 1] != '\n') {
    --start;
  }
  return std::min(start, bytes.size() - kSniffBytes) & ~std::size_t{1};
}

std::span<const std::uint8_t> Window(std::span<const std::uint8_t> bytes) {
  const std::size_t start = WindowStart(bytes);
  return bytes.subspan(start, std::min(bytes.size() - start, kSniffBytes));
}

// "ESC $ B at byte 212", for the first designation of a two-byte set or of kana.
std::string FirstDesignation(std::span<const std::uint8_t> bytes) {
  for (std::size_t i = 0; i + 2 < bytes.size(); ++i) {
    if (bytes[i] != kEsc) {
      continue;
    }
    const char a = static_cast<char>(bytes[i + 1]);
    const char b = static_cast<char>(bytes[i + 2]);
    if ((a == '$' && (b == 'B' || b == '@' || b == '(')) || (a == '(' && b == 'I')) {
      return std::string("ESC ") + a + " " + b + " at byte " + std::to_string(i);
    }
  }
  return {};
}

std::string Extras(const Reading& reading) {
  std::string extras;
  if (reading.nec_row13 > 0) {
    extras += "; " + Plural(reading.nec_row13, "NEC row-13 character");
  }
  if (reading.ibm > 0) {
    extras += "; " + Plural(reading.ibm, "IBM extension");
  }
  if (reading.invalid > 0) {
    extras += "; " + Plural(reading.invalid, "invalid byte");
  }
  return extras;
}

std::optional<Charset> Utf16ByZeros(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    return Charset::utf16le;
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    return Charset::utf16be;
  }
  // Units that are ASCII (high byte 00) or kana (high byte 30, low byte from 41; or a half-width
  // or full-width form, high byte FF) when read little-endian and big-endian.
  struct Count {
    std::size_t ascii = 0;
    std::size_t kana = 0;
  } le, be;
  auto count = [](Count& side, std::uint8_t high, std::uint8_t low) {
    side.ascii += high == 0 && low != 0;
    side.kana += (high == 0x30 && low >= 0x41) || (high == 0xFF && low >= 0x01 && low <= 0xEF);
  };
  const std::size_t units = bytes.size() / 2;
  for (std::size_t u = 0; u < units; ++u) {
    count(le, bytes[2 * u + 1], bytes[2 * u]);
    count(be, bytes[2 * u], bytes[2 * u + 1]);
  }
  // Other text has almost no zero byte, and the digit 0 before a letter in every other place
  // only by design; so a fifth of ASCII units, or half of kana units, settles it.
  auto fits = [units](const Count& side, const Count& other) {
    return (side.ascii * 5 >= units && other.ascii * 20 < units) ||
           (side.kana * 2 >= units && other.kana * 2 < units);
  };
  if (units >= 2 && fits(le, be)) {
    return Charset::utf16le;
  }
  if (units >= 2 && fits(be, le)) {
    return Charset::utf16be;
  }
  return std::nullopt;
}

// A charset of elsewhere is believed unless ICU finds bytes it cannot read while the content
// reads as clean Japanese; a single-byte charset, which reads anything, yields to Japanese prose.
CharsetChoice ChooseIcu(IcuCharset icu, std::span<const std::uint8_t> bytes,
                        const Sniffed& sniffed) {
  const std::span<const std::uint8_t> sample = Window(bytes);
  Text text;
  std::vector<DecodeIssue> issues;
  DecodeWithIcu(icu, sample, text, issues);
  const bool readable = std::none_of(issues.begin(), issues.end(), [](const DecodeIssue& issue) {
    return issue.kind == RepairKind::replaced_invalid_byte;
  });
  const Reading japanese = Read(sniffed.charset, sample);
  const bool clean_japanese =
      sniffed.charset != Charset::us_ascii && japanese.invalid == 0 && japanese.score > 0;
  if (icu.single_byte ? ReadsAsJapaneseProse(japanese) : clean_japanese && !readable) {
    return {sniffed.charset, std::nullopt, RepairKind::charset_override,
            "labelled " + icu.label + ", read as " + std::string(CharsetName(sniffed.charset)) +
                " (" + sniffed.evidence + ")"};
  }
  return {sniffed.charset, std::move(icu), std::nullopt, {}};
}

}  // namespace

Sniffed SniffCharset(std::span<const std::uint8_t> whole) {
  const bool bom_first = whole.size() >= 2 && ((whole[0] == 0xFF && whole[1] == 0xFE) ||
                                               (whole[0] == 0xFE && whole[1] == 0xFF));
  const std::span<const std::uint8_t> bytes =
      bom_first ? whole.first(std::min(whole.size(), kSniffBytes)) : Window(whole);
  if (const auto utf16 = Utf16ByZeros(bytes)) {
    const bool bom = bytes.size() >= 2 && (bytes[0] == 0xFF || bytes[0] == 0xFE) &&
                     (bytes[1] == 0xFF || bytes[1] == 0xFE);
    const Reading reading = Read(*utf16, bytes);
    return {*utf16, (bom ? std::string("byte-order mark")
                         : std::string("ASCII or kana units without a byte-order mark")) +
                        "; " + Plural(reading.characters, "non-ASCII character") + Extras(reading)};
  }
  const bool eight_bit = std::any_of(bytes.begin(), bytes.end(), [](auto b) { return b >= 0x80; });
  const std::string designation = FirstDesignation(
      whole.first(static_cast<std::size_t>(bytes.data() - whole.data()) + bytes.size()));
  if (!eight_bit) {
    if (designation.empty()) {
      return {Charset::us_ascii, "7-bit bytes, no escape sequence"};
    }
    const Reading reading = Read(Charset::iso2022jp, bytes);
    return {Charset::iso2022jp, designation + Extras(reading)};
  }
  // UTF-8 that is valid is UTF-8: no other charset makes valid sequences of that length by chance.
  const Reading utf8 = Read(Charset::utf8, bytes);
  if (utf8.invalid == 0) {
    return {Charset::utf8,
            "valid UTF-8; " + Plural(utf8.characters, "non-ASCII character") + Extras(utf8)};
  }
  std::vector<Reading> readings{utf8};
  for (const Charset charset : {Charset::shift_jis, Charset::euc_jp}) {
    readings.push_back(Read(charset, bytes));
  }
  // UTF-16 without a byte-order mark and without ASCII has no zero bytes to show it.
  if (bytes.size() % 2 == 0) {
    for (const Charset charset : {Charset::utf16le, Charset::utf16be}) {
      Reading reading = Read(charset, bytes);
      // Short Shift_JIS or EUC-JP often reads as some kanji in UTF-16 too: UTF-16 must win
      // clearly.
      reading.score -= 10 + static_cast<long>(reading.characters / 2);
      if (reading.invalid == 0) {
        readings.push_back(reading);
      }
    }
  }
  if (!designation.empty()) {
    // Escape sequences that read without an invalid byte are ISO-2022-JP, with 8-bit kana in it.
    const Reading jis = Read(Charset::iso2022jp, bytes);
    if (jis.invalid == 0) {
      return {Charset::iso2022jp,
              designation + "; 8-bit bytes read as JIS X 0201 kana" + Extras(jis)};
    }
    readings.push_back(jis);
  }
  const auto best =
      std::max_element(readings.begin(), readings.end(),
                       [](const Reading& a, const Reading& b) { return a.score < b.score; });
  std::string evidence = designation.empty() ? "" : designation + "; ";
  evidence +=
      Plural(best->characters, "non-ASCII character") + " score " + std::to_string(best->score);
  for (const Reading& other : readings) {
    if (&other != &*best) {
      evidence += ", as " + std::string(CharsetName(other.charset)) + " " +
                  std::to_string(other.score) + " (" + Plural(other.invalid, "invalid byte") + ")";
    }
  }
  return {best->charset, evidence + Extras(*best)};
}

CharsetChoice ChooseCharset(std::string_view label, std::span<const std::uint8_t> bytes) {
  const std::optional<Charset> labelled = CharsetFromLabel(label);
  const bool ascii = std::none_of(bytes.begin(), bytes.end(),
                                  [](auto b) { return b >= 0x80 || b == kEsc || b == 0; });
  if (labelled && ascii && *labelled != Charset::utf16le && *labelled != Charset::utf16be) {
    return {*labelled,
            std::nullopt,
            std::nullopt,
            {}};  // every label but UTF-16's reads plain ASCII the same
  }
  if (labelled && (*labelled == Charset::utf16le || *labelled == Charset::utf16be)) {
    const auto by_zeros = Utf16ByZeros(bytes);
    return {by_zeros.value_or(*labelled), std::nullopt, std::nullopt, {}};
  }
  const Sniffed sniffed = SniffCharset(bytes);
  if (!labelled) {
    if (label.empty()) {
      if (sniffed.charset == Charset::us_ascii) {
        return {Charset::us_ascii, std::nullopt, std::nullopt, {}};
      }
      return {sniffed.charset, std::nullopt, RepairKind::charset_override,
              "no charset label; read as " + std::string(CharsetName(sniffed.charset)) + " (" +
                  sniffed.evidence + ")"};
    }
    if (auto icu = IcuCharsetFor(label)) {
      return ChooseIcu(std::move(*icu), bytes, sniffed);
    }
    return {sniffed.charset, std::nullopt, RepairKind::unknown_charset,
            "unknown charset \"" + std::string(label) + "\"; read as " +
                std::string(CharsetName(sniffed.charset)) + " (" + sniffed.evidence + ")"};
  }
  if (sniffed.charset == *labelled || sniffed.charset == Charset::us_ascii) {
    return {*labelled, std::nullopt, std::nullopt, {}};
  }
  const auto override = [&] {
    return CharsetChoice{sniffed.charset, std::nullopt, RepairKind::charset_override,
                         "labelled " + std::string(label) + ", read as " +
                             std::string(CharsetName(sniffed.charset)) + " (" + sniffed.evidence +
                             ")"};
  };
  // 7-bit text with ISO-2022-JP escapes is that, whatever the label: read otherwise, its escape
  // bytes would reach the text. And 8-bit text that is not ISO-2022-JP mixed with Shift_JIS
  // contradicts a 7-bit label.
  const bool seven_bit = std::none_of(bytes.begin(), bytes.end(), [](auto b) { return b >= 0x80; });
  if ((sniffed.charset == Charset::iso2022jp && seven_bit) || *labelled == Charset::iso2022jp ||
      *labelled == Charset::us_ascii) {
    return override();
  }
  // A label is believed unless the content reads clearly better otherwise: without an invalid
  // byte, as Japanese, and by a margin that grows with the text, so that one broken byte in a
  // long text does not overturn it. Latin-1 reads anything, so it yields to Japanese prose.
  const std::span<const std::uint8_t> sample = Window(bytes);
  const Reading as_labelled = Read(*labelled, sample);
  const Reading as_sniffed = Read(sniffed.charset, sample);
  // UTF-16 found only by scoring (no byte-order mark, no ASCII or kana units) is too weak to
  // overrule a label: a few stray bytes read as some character in UTF-16.
  const bool weak_utf16 =
      (sniffed.charset == Charset::utf16le || sniffed.charset == Charset::utf16be) &&
      !Utf16ByZeros(Window(bytes));
  const bool clean_japanese = as_sniffed.invalid == 0 && as_sniffed.score > 0 && !weak_utf16;
  const long margin = 10 + static_cast<long>(as_labelled.characters / 4);
  const bool believable = *labelled == Charset::iso8859_1
                              ? !ReadsAsJapaneseProse(as_sniffed)
                              : !clean_japanese || as_labelled.score + margin >= as_sniffed.score;
  if (believable) {
    return {*labelled, std::nullopt, std::nullopt, {}};
  }
  return override();
}

}  // namespace quillora::mail
