// Code page 932 codec, checked against ICU's windows-31j converter with Microsoft's departures from
// it written out independently here.
#include "text/cp932_codec.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <array>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "text/sjis_bytes.h"

namespace quillora::test {
namespace {

constexpr char16_t kUndecodable = 0x30FB;

bool IsLead(unsigned b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrail(unsigned b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

std::u16string Utf16(char32_t code_point) {
  if (code_point > 0xFFFF) {
    return {U16_LEAD(code_point), U16_TRAIL(code_point)};
  }
  return {static_cast<char16_t>(code_point)};
}

// A slow reference: ICU asked about one character at a time, then Microsoft's table applied.
class Reference {
 public:
  Reference() {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open("windows-31j", &status);
    ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  }
  ~Reference() { ucnv_close(converter_); }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  Text Decode(const ByteBuffer& bytes) {
    static const std::map<unsigned, char16_t> kSingles = {
        {0x1A, 0x1A},   {0x1C, 0x1C},   {0x7F, 0x7F},   {0x80, 0x80},
        {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};
    Text text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const unsigned b = bytes[i];
      if (IsLead(b) && i + 1 < bytes.size() && IsTrail(bytes[i + 1])) {
        text += IcuDecode({bytes[i], bytes[i + 1]}).value_or(kUndecodable);
        ++i;
      } else if (IsLead(b)) {
        text += kUndecodable;
      } else if (kSingles.contains(b)) {
        text += kSingles.at(b);
      } else {
        text += IcuDecode({bytes[i]}).value_or(u'\uFFFF');
      }
    }
    return text;
  }

  ByteBuffer Encode(char32_t code_point) {
    static const std::map<char32_t, ByteBuffer> kFixes = {
        {0x1A, {0x1A}},         {0x1C, {0x1C}},         {0x7F, {0x7F}},
        {0x80, {0x80}},         {0xF8F0, {0xA0}},       {0xF8F1, {0xFD}},
        {0xF8F2, {0xFE}},       {0xF8F3, {0xFF}},       {0xF86F, {0x3F}},
        {0x301C, {0x81, 0x60}}, {0x2016, {0x81, 0x61}}, {0x2212, {0x81, 0x7C}},
        {0x00A2, {0x81, 0x91}}, {0x00A3, {0x81, 0x92}}, {0x00AC, {0x81, 0xCA}},
        {0x2014, {0x81, 0x5C}}, {0x00A5, {0x5C}},       {0x203E, {0x7E}}};
    if (kFixes.contains(code_point)) {
      return kFixes.at(code_point);
    }
    const std::u16string units = Utf16(code_point);
    std::array<char, 8> bytes{};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter_);
    const int32_t count = ucnv_fromUChars(converter_, bytes.data(), bytes.size(), units.data(),
                                          static_cast<int32_t>(units.size()), &status);
    // Failures and the default-ignorable characters ICU drops without a word both give "?".
    if (U_FAILURE(status) || count == 0) {
      return {0x3F};
    }
    return {bytes.begin(), bytes.begin() + count};
  }

  ByteBuffer Encode(std::u16string_view text) {
    ByteBuffer bytes;
    for (std::size_t i = 0; i < text.size();) {
      char32_t code_point = text[i++];
      if (U16_IS_LEAD(code_point) && i < text.size() && U16_IS_TRAIL(text[i])) {
        code_point = static_cast<char32_t>(U16_GET_SUPPLEMENTARY(code_point, text[i++]));
      }
      const ByteBuffer one = Encode(code_point);
      bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
  }

 private:
  std::optional<char16_t> IcuDecode(std::initializer_list<std::uint8_t> bytes) {
    const std::string in(bytes.begin(), bytes.end());
    std::array<char16_t, 4> units{};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter_);
    const int32_t count = ucnv_toUChars(converter_, units.data(), units.size(), in.data(),
                                        static_cast<int32_t>(in.size()), &status);
    if (U_FAILURE(status) || count != 1) {
      return std::nullopt;
    }
    return units[0];
  }

  UConverter* converter_ = nullptr;
};

// The text round trip, done the slow way.
ByteBuffer RoundTrip(std::span<const std::uint8_t> bytes) {
  return TextToBytes(BytesToText(bytes));
}

ByteBuffer Reencoded(std::span<const std::uint8_t> bytes) {
  ByteBuffer out(2 * bytes.size());
  const ReencodeProgress progress = ReencodeBytes(bytes, out.data(), true);
  EXPECT_EQ(progress.read, bytes.size());
  out.resize(progress.written);
  return out;
}

// Decoding and encoding work character by character, so every one- and two-byte input covers
// every character the composed tables hold. Re-encoding takes pairs that re-encode to themselves
// four at a time, so any two bytes also go in the last place of such a run and first before one.
TEST(cp932_codec_test, every_one_and_two_byte_sequence_decodes_and_reencodes_as_reference) {
  Reference reference;
  for (unsigned first = 0; first < 256; ++first) {
    const ByteBuffer one{static_cast<std::uint8_t>(first)};
    ASSERT_EQ(BytesToText(one), reference.Decode(one)) << std::hex << first;
    ASSERT_EQ(Reencoded(one), RoundTrip(one)) << std::hex << first;
    for (unsigned second = 0; second < 256; ++second) {
      const auto b = static_cast<std::uint8_t>(first);
      const auto t = static_cast<std::uint8_t>(second);
      ASSERT_EQ(BytesToText(ByteBuffer{b, t}), reference.Decode({b, t}))
          << std::hex << first << " " << second;
      for (const ByteBuffer& bytes :
           {ByteBuffer{b, t}, ByteBuffer{0x88, 0x9F, 0x82, 0xA0, 0x88, 0x9F, b, t, 0x88, 0x9F},
            ByteBuffer{b, t, 0x82, 0xA0, 0x88, 0x9F, 0x82, 0xA0, 0x41}}) {
        ASSERT_EQ(Reencoded(bytes), RoundTrip(bytes)) << testing::PrintToString(bytes);
      }
    }
  }
}

TEST(cp932_codec_test, every_code_point_encodes_as_reference) {
  Reference reference;
  // Every BMP code point; outside it, where nothing is mapped, a stride that ends on U+10FFFF.
  for (char32_t code_point = 0; code_point <= 0x10FFFF;
       code_point += code_point < 0x10000 ? 1 : 41) {
    if (U_IS_SURROGATE(code_point)) {
      continue;
    }
    ASSERT_EQ(TextToBytes(Utf16(code_point)), reference.Encode(code_point))
        << std::hex << static_cast<unsigned>(code_point);
  }
}

// Mixed strings exercise the ASCII blocks, the pairing of lead and trail bytes and surrogates
// together. Each is converted as the head of a longer buffer, whose rest must not be read, and
// re-encoded in pieces cut anywhere, a lead byte at a cut waiting for the next piece.
TEST(cp932_codec_test, random_strings_convert_as_reference_whole_and_in_pieces) {
  Reference reference;
  std::mt19937 rng(932);
  const ByteBuffer byte_alphabet = {0x00, 0x1A, 0x41, 0x5C, 0x7F, 0x80, 0x81, 0x82, 0x85, 0x9F,
                                    0xA0, 0xB1, 0xE0, 0xED, 0xEE, 0xFA, 0xFC, 0xFD, 0xFF, 0x40};
  const std::u16string unit_alphabet =
      u"A~\u00A5\u00AD\u3042\u4E9C\uFF71\uE000\uF8F3\xD83D\xDE00\xDC00";
  ByteBuffer bytes;
  std::u16string text;
  const auto append_pieces = [&] {
    for (std::size_t pieces = rng() % 12; pieces > 0; --pieces) {
      const std::size_t run = rng() % 3 == 0 ? 1 + rng() % 12 : 0;  // often enough for a block
      bytes.insert(bytes.end(), run, 'a');
      text.append(run, u'a');
      if (run == 0) {
        bytes.push_back(byte_alphabet[rng() % byte_alphabet.size()]);
        text.push_back(unit_alphabet[rng() % unit_alphabet.size()]);
      }
    }
  };
  for (int trial = 0; trial < 3000; ++trial) {
    bytes.clear();
    text.clear();
    append_pieces();
    const ByteBuffer head_bytes = bytes;
    const std::u16string head_text = text;
    append_pieces();
    ASSERT_EQ(BytesToText(std::span(bytes).first(head_bytes.size())), reference.Decode(head_bytes))
        << ::testing::PrintToString(head_bytes);
    ASSERT_EQ(TextToBytes(std::u16string_view(text).substr(0, head_text.size())),
              reference.Encode(head_text))
        << trial;

    ASSERT_EQ(Reencoded(bytes), RoundTrip(bytes)) << ::testing::PrintToString(bytes);
    ByteBuffer pieces;
    ByteBuffer held;  // what the previous piece left unread
    std::size_t at = 0;
    do {
      const std::size_t take = std::min<std::size_t>(rng() % 9, bytes.size() - at);
      held.insert(held.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at + take));
      at += take;
      const bool last = at == bytes.size();
      ByteBuffer out(2 * held.size());
      const ReencodeProgress progress = ReencodeBytes(held, out.data(), last);
      ASSERT_LE(held.size() - progress.read, last ? 0U : 1U);
      pieces.insert(pieces.end(), out.begin(),
                    out.begin() + static_cast<std::ptrdiff_t>(progress.written));
      held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(progress.read));
    } while (at < bytes.size() || !held.empty());
    ASSERT_EQ(pieces, RoundTrip(bytes)) << ::testing::PrintToString(bytes);
  }
}

// The katakana take Unicode's compatibility forms, but for the sound marks: the spacing ones, as
// text converters give them, not the combining ones. Of the rest only ASCII widens.
TEST(cp932_codec_test, halfwidth_to_fullwidth_widens_katakana_and_ascii) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfkc = unorm2_getNFKCInstance(&status);
  for (char16_t half = 0xFF61; half <= 0xFF9F; ++half) {
    UChar full[4] = {};
    ASSERT_EQ(unorm2_normalize(nfkc, &half, 1, full, 4, &status), 1) << u_errorName(status);
    const char16_t expected = full[0] == 0x3099 ? 0x309B : full[0] == 0x309A ? 0x309C : full[0];
    EXPECT_EQ(HalfwidthToFullwidth(half), expected) << std::hex << static_cast<unsigned>(half);
  }
  const std::pair<char16_t, char16_t> cases[] = {
      {u'!', u'！'},      {u'~', u'～'},          {u' ', u'\u3000'},     {u'\x7F', u'\x7F'},
      {u'\xA5', u'\xA5'}, {u'\uFF60', u'\uFF60'}, {u'\uFFA0', u'\uFFA0'}};
  for (const auto& [half, full] : cases) {
    EXPECT_EQ(HalfwidthToFullwidth(half), full) << std::hex << static_cast<unsigned>(half);
  }
}

// EncodeUtf16Le against TextToBytes of the units, for random units of every size to 300 bytes
// at every alignment, mostly ASCII (taken 16 at a time) or mostly kana and kanji (taken 8 at a
// time where all encode to two bytes): with them half-width kana, unmapped units, surrogates
// paired and alone, and an odd final byte.
TEST(cp932_codec_test, utf16le_bytes_encode_as_their_units_do) {
  std::mt19937 random(11);
  const std::array<char16_t, 12> others{u'\u3042',        u'\u6F22', u'\u30FB', u'\u9FA0',
                                        u'\uFF76',        u'\u00A5', u'\uFFFD', char16_t{0xD83D},
                                        char16_t{0xDE00}, u'\uE000', u'\u0080', u'\uFFFF'};
  for (const bool japanese : {false, true}) {
    for (std::size_t size = 0; size <= 300; ++size) {
      for (std::size_t align = 0; align < 16; ++align) {
        ByteBuffer storage(align + size);  // a read past the units is a sanitizer fault
        Text units;
        for (std::size_t k = 0; k < size; k += 2) {
          const char16_t unit = japanese            ? (random() % 16 != 0 ? others[random() % 4]
                                                                          : others[random() % others.size()])
                                : random() % 4 != 0 ? static_cast<char16_t>(random() % 0x80)
                                                    : others[random() % others.size()];
          storage[align + k] = static_cast<std::uint8_t>(unit);
          if (k + 1 < size) {
            storage[align + k + 1] = static_cast<std::uint8_t>(unit >> 8);
            units.push_back(unit);
          } else {
            units.push_back(u'\uFFFD');
          }
        }
        ByteBuffer out(size + 1);
        out.resize(EncodeUtf16Le(std::span(storage).subspan(align, size), out.data()));
        ASSERT_EQ(out, TextToBytes(units)) << "size " << size << ", alignment " << align;
      }
    }
  }
}

// IsAscii takes 64, 32 and then single bytes: one byte above ASCII at each place of every size to
// 300, at every alignment, is seen.
TEST(cp932_codec_test, one_byte_above_ascii_anywhere_makes_bytes_not_ascii) {
  for (std::size_t size = 0; size <= 300; ++size) {
    for (std::size_t align = 0; align < 16; ++align) {
      ByteBuffer storage(align + size, 0x7F);  // a read past the bytes is a sanitizer fault
      const std::span<std::uint8_t> bytes = std::span(storage).subspan(align, size);
      ASSERT_TRUE(IsAscii(bytes)) << "size " << size;
      for (std::size_t at = 0; at < size; ++at) {
        bytes[at] = static_cast<std::uint8_t>(0x80 | at);
        ASSERT_FALSE(IsAscii(bytes)) << "size " << size << ", at " << at;
        bytes[at] = 0x7F;
      }
    }
  }
}

}  // namespace
}  // namespace quillora::test
