// Line and case helpers shared by the mail decoders and the front door.
#include "mail_text.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace quillora {

namespace {

template <typename Char>
std::optional<LineSpan> NextLineIn(std::basic_string_view<Char> text, std::size_t start) noexcept {
  const std::size_t lf = text.find(Char{'\n'}, start);
  if (lf == std::basic_string_view<Char>::npos) {
    return std::nullopt;
  }
  const bool after_cr = lf > start && text[lf - 1] == Char{'\r'};
  return LineSpan{after_cr ? lf - 1 : lf, lf + 1};
}

template <typename Char>
bool OnlyBlanksIn(std::basic_string_view<Char> text, std::size_t start) noexcept {
  return start >= text.size() ||
         text.find_first_not_of(Char{' '}, start) == std::basic_string_view<Char>::npos;
}

}  // namespace

std::optional<LineSpan> NextLine(std::u16string_view text, std::size_t start) noexcept {
  return NextLineIn(text, start);
}

std::optional<LineSpan> NextLine(std::string_view ascii, std::size_t start) noexcept {
  return NextLineIn(ascii, start);
}

bool OnlyBlanksFrom(std::u16string_view text, std::size_t start) noexcept {
  return OnlyBlanksIn(text, start);
}

bool OnlyBlanksFrom(std::string_view ascii, std::size_t start) noexcept {
  return OnlyBlanksIn(ascii, start);
}

std::string LowerCase(std::string_view ascii) {
  std::string lowered(ascii);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + ('a' - 'A'));
    }
  }
  return lowered;
}

Text LowerCase(std::u16string_view text) {
  Text lowered;
  lowered.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (U16_IS_LEAD(c) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
    }
    c = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
    if (c < 0x10000) {
      lowered.push_back(static_cast<char16_t>(c));
    } else {
      lowered.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      lowered.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return lowered;
}

// Without the lowered copy: each character lowered as it is compared, by the same simple case
// mapping. Few characters above ASCII lower into it (U+0130 and U+212A do); a table of all of them
// is made once.
bool LoweredContains(std::u16string_view text, std::u16string_view word) {
  static const auto* const kLowerAscii = [] {
    auto* lower = new std::array<char16_t, 0x10000>{};  // 0: does not lower into ASCII
    for (UChar32 c = 0; c < 0x10000; ++c) {
      const UChar32 lowered = u_tolower(c);
      if (lowered < 0x80 && !(c >= 0xD800 && c <= 0xDFFF)) {
        (*lower)[static_cast<std::size_t>(c)] = static_cast<char16_t>(lowered);
      }
    }
    return lower;
  }();
  const std::array<char16_t, 0x10000>& lower = *kLowerAscii;
  if (word.empty()) {
    return true;
  }
  // A surrogate never lowers into ASCII, so taking the units one by one matches LowerCase's
  // code points.
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    if (lower[text[at]] != word[0]) {
      continue;
    }
    std::size_t k = 1;
    while (k < word.size() && lower[text[at + k]] == word[k]) {
      ++k;
    }
    if (k == word.size()) {
      return true;
    }
  }
  return false;
}

bool LoweredContains(std::string_view ascii, std::string_view word) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
  };
  const auto matches_at = [&](std::size_t at) {
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (lower(ascii[at + k]) != word[k]) {
        return false;
      }
    }
    return true;
  };
  if (word.empty()) {
    return true;
  }
  if (word.size() > ascii.size()) {
    return false;
  }
  const std::size_t last = ascii.size() - word.size();
  // OR-ing 0x20 turns a letter of either case into the lower-case one (and other bytes into
  // bytes that matches_at rejects).
  const auto fold_of = [](char c) -> std::uint8_t { return c >= 'a' && c <= 'z' ? 0x20 : 0; };
  std::size_t at = 0;
#if defined(__x86_64__) || defined(_M_X64)
  // Sixteen places at a time (SSE2, which every x86-64 processor has), where the first two
  // letters stand in either case; uuencoded data holds a capital E in every 64 characters, but
  // seldom followed by an N.
  if (word.size() >= 2) {
    const __m128i first = _mm_set1_epi8(word[0]);
    const __m128i second = _mm_set1_epi8(word[1]);
    const __m128i fold_first = _mm_set1_epi8(static_cast<char>(fold_of(word[0])));
    const __m128i fold_second = _mm_set1_epi8(static_cast<char>(fold_of(word[1])));
    for (; at + 16 <= last + 1; at += 16) {
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ascii.data() + at));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ascii.data() + at + 1));
      const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(here, fold_first), first),
                                         _mm_cmpeq_epi8(_mm_or_si128(next, fold_second), second));
      for (auto marks = static_cast<unsigned>(_mm_movemask_epi8(both)); marks != 0;
           marks &= marks - 1) {
        if (matches_at(at + static_cast<std::size_t>(std::countr_zero(marks)))) {
          return true;
        }
      }
    }
  }
#endif
  // Eight bytes at a time, looking for the first letter in either case.
  constexpr std::uint64_t kOnes = 0x0101010101010101U;
  const std::uint64_t first = kOnes * static_cast<unsigned char>(word[0]);
  const std::uint64_t fold = kOnes * fold_of(word[0]);
  for (; at + 8 <= last + 1; at += 8) {
    std::uint64_t block = 0;
    std::memcpy(&block, ascii.data() + at, sizeof block);
    const std::uint64_t x = (block | fold) ^ first;  // a zero byte where the letter may stand
    // The high bit of every zero byte, and perhaps of a byte after one: each is looked at.
    for (std::uint64_t marks = (x - kOnes) & ~x & (kOnes * 0x80); marks != 0; marks &= marks - 1) {
      if (matches_at(at + static_cast<std::size_t>(std::countr_zero(marks)) / 8)) {
        return true;
      }
    }
  }
  for (; at <= last; ++at) {
    if (matches_at(at)) {
      return true;
    }
  }
  return false;
}

}  // namespace quillora
