// Code page 932 codec, checked against ICU's windows-31j converter with Microsoft's departures from
// it written out independently here.
#include "convert/cp932_codec.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/utf16.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quillora {
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
      char32_t code_point = 0;
      U16_NEXT(text.data(), i, text.size(), code_point);
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

TEST(cp932_codec_test, every_one_and_two_byte_sequence_decodes_as_reference) {
  Reference reference;
  for (unsigned first = 0; first < 256; ++first) {
    const ByteBuffer one{static_cast<std::uint8_t>(first)};
    ASSERT_EQ(BytesToText(one), reference.Decode(one)) << std::hex << first;
    for (unsigned second = 0; second < 256; ++second) {
      const ByteBuffer two{static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)};
      ASSERT_EQ(BytesToText(two), reference.Decode(two)) << std::hex << first << ' ' << second;
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

TEST(cp932_codec_test, every_assigned_code_round_trips) {
  std::size_t duplicates = 0;
  for (unsigned code = 0; code < 0x10000; ++code) {
    const bool pair = IsLead(code >> 8) && IsTrail(code & 0xFF);
    if (!pair && (code > 0xFF || IsLead(code))) {
      continue;
    }
    const ByteBuffer bytes =
        pair ? ByteBuffer{static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)}
             : ByteBuffer{static_cast<std::uint8_t>(code)};
    const Text text = BytesToText(bytes);
    ASSERT_EQ(text.size(), 1U);
    if (text[0] == kUndecodable && code != 0x8145) {
      continue;
    }
    const ByteBuffer encoded = TextToBytes(text);
    if (encoded != bytes) {
      // A duplicate: the code Microsoft prefers for the same character.
      ++duplicates;
      EXPECT_EQ(BytesToText(encoded), text) << std::hex << code;
    }
  }
  // NEC row 13 and the NEC-selected IBM extensions repeat characters found elsewhere.
  EXPECT_EQ(duplicates, 398U);
}

struct DecodeCase {
  const char* name;
  ByteBuffer bytes;
  Text text;
};

TEST(cp932_codec_test, special_byte_sequences_decode_as_windows_does) {
  const std::vector<DecodeCase> cases = {
      {"controls_map_to_themselves", {0x1A, 0x1C, 0x7F}, u"\u001A\u001C\u007F"},
      {"bytes_icu_leaves_unmapped",
       {0x80, 0xA0, 0xFD, 0xFE, 0xFF},
       u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},
      {"unassigned_pair_is_one_dot", {0x81, 0xAD, 0x41}, u"\u30FBA"},
      {"lead_before_non_trail_stands_alone", {0x81, 0x20, 0x81, 0x7F}, u"\u30FB \u30FB\u007F"},
      {"lead_before_unmapped_single", {0x9F, 0xFD}, u"\u30FB\uF8F1"},
      {"lead_at_end", {0x41, 0x81}, u"A\u30FB"},
      {"trail_may_be_a_lead_byte", {0x88, 0x9F, 0x81, 0x81, 0x40}, u"亜＝@"},
      {"user_defined_area", {0xF0, 0x40, 0xF9, 0xFC}, u"\uE000\uE757"},
      {"pair_straddles_ascii_block", {'A', 'B', 'C', 'D', 'E', 'F', 'G', 0x82, 0xA0}, u"ABCDEFGあ"},
      {"lead_at_end_after_ascii_block",
       {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0xE0},
       u"ABCDEFGH\u30FB"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(BytesToText(c.bytes), c.text) << c.name;
  }
}

struct EncodeCase {
  const char* name;
  std::u16string text;
  ByteBuffer bytes;
};

TEST(cp932_codec_test, special_characters_encode_as_windows_does) {
  const std::vector<EncodeCase> cases = {
      {"lone_high_surrogate_at_end", u"A\xD800", {0x41, 0x3F}},
      {"lone_low_surrogate", {0xDC00, u'A'}, {0x3F, 0x41}},
      {"high_surrogate_before_non_low", {0xD800, u'A'}, {0x3F, 0x41}},
      {"reversed_surrogates", u"\xDC00\xD800", {0x3F, 0x3F}},
      {"surrogate_pair_is_one_question_mark",
       u"😀ABCDEFGH",
       {0x3F, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}},
      {"jis_forms",
       u"\u301C\u2016\u2212\u00A2\u00A3\u00AC\u2014\u00A5\u203E",
       {0x81, 0x60, 0x81, 0x61, 0x81, 0x7C, 0x81, 0x91, 0x81, 0x92, 0x81, 0xCA, 0x81, 0x5C, 0x5C,
        0x7E}},
      {"preferred_duplicates", u"\u7E8A\u2252\u2160", {0xFA, 0x5C, 0x81, 0xE0, 0x87, 0x54}},
      {"ignorables_icu_drops", u"\u00AD\u200B\uFEFF", {0x3F, 0x3F, 0x3F}},
      {"icu_one_way_private_use", u"\uF86F", {0x3F}},
      {"controls_map_to_themselves", u"\u001A\u001C\u007F", {0x1A, 0x1C, 0x7F}},
      {"unmapped_bytes_come_back",
       u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3",
       {0x80, 0xA0, 0xFD, 0xFE, 0xFF}},
      {"user_defined_area_ends", u"\uE000\uE757\uE758", {0xF0, 0x40, 0xF9, 0xFC, 0x3F}},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(TextToBytes(c.text), c.bytes) << c.name;
  }
}

TEST(cp932_codec_test, append_keeps_existing_bytes) {
  ByteBuffer out{0x00};
  AppendTextAsBytes(u"Aあ", out);
  EXPECT_EQ(out, (ByteBuffer{0x00, 0x41, 0x82, 0xA0}));
}

// Mixed strings exercise the ASCII blocks, the pairing of lead and trail bytes and surrogates
// together. Each is converted as the head of a longer buffer, whose rest must not be read.
TEST(cp932_codec_test, random_strings_convert_as_reference) {
  Reference reference;
  std::mt19937 rng(932);
  const ByteBuffer byte_alphabet = {0x00, 0x1A, 0x41, 0x5C, 0x7F, 0x80, 0x81, 0x82, 0x9F, 0xA0,
                                    0xA4, 0xB1, 0xE0, 0xED, 0xF0, 0xFA, 0xFC, 0xFD, 0xFF, 0x40};
  const std::u16string unit_alphabet =
      u"A~\u00A5\u00AD\u3042\u4E9C\uFF71\uE000\uF8F3\xD83D\xDE00\xDC00";
  ByteBuffer bytes;
  std::u16string text;
  const auto append_pieces = [&] {
    for (std::size_t pieces = rng() % 12; pieces > 0; --pieces) {
      if (rng() % 3 == 0) {
        // A run of ASCII, often long enough for a block.
        const std::size_t run = 1 + rng() % 12;
        bytes.insert(bytes.end(), run, 'a');
        text.append(run, u'a');
      } else {
        bytes.push_back(byte_alphabet[rng() % byte_alphabet.size()]);
        text.push_back(unit_alphabet[rng() % unit_alphabet.size()]);
      }
    }
  };
  for (int trial = 0; trial < 2000; ++trial) {
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
  }
}

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

// Decoding and encoding each work character by character, so every one- and two-byte input
// covers every character the composed tables hold.
TEST(cp932_codec_test, reencoding_every_one_and_two_byte_sequence_matches_the_round_trip) {
  for (unsigned first = 0; first < 256; ++first) {
    const ByteBuffer one{static_cast<std::uint8_t>(first)};
    ASSERT_EQ(Reencoded(one), RoundTrip(one)) << std::hex << first;
    for (unsigned second = 0; second < 256; ++second) {
      const ByteBuffer two{static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)};
      ASSERT_EQ(Reencoded(two), RoundTrip(two)) << std::hex << first << " " << second;
    }
  }
}

// Pairs that re-encode to themselves go four at a time: any two bytes in any of the four places
// (after other pairs, or first with pairs after it) must come out as the round trip makes them.
TEST(cp932_codec_test, reencoding_takes_runs_of_pairs_as_the_round_trip_does) {
  for (unsigned first = 0; first < 256; ++first) {
    for (unsigned second = 0; second < 256; ++second) {
      const auto b = static_cast<std::uint8_t>(first);
      const auto t = static_cast<std::uint8_t>(second);
      const ByteBuffer last_place{0x88, 0x9F, 0x82, 0xA0, 0x88, 0x9F, b, t, 0x88, 0x9F};
      ASSERT_EQ(Reencoded(last_place), RoundTrip(last_place)) << std::hex << first << " " << second;
      const ByteBuffer first_place{b, t, 0x82, 0xA0, 0x88, 0x9F, 0x82, 0xA0, 0x41};
      ASSERT_EQ(Reencoded(first_place), RoundTrip(first_place))
          << std::hex << first << " " << second;
    }
  }
}

TEST(cp932_codec_test, reencoding_spot_checks) {
  struct Row {
    const char* name;
    ByteBuffer in;
    ByteBuffer out;
  };
  const Row rows[] = {
      {"ascii block and tail",
       {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49},
       {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49}},
      {"NEC-selected IBM extension becomes IBM", {0xED, 0x40}, {0xFA, 0x5C}},
      {"unassigned pair becomes one middle dot", {0x85, 0x40}, {0x81, 0x45}},
      {"lone lead at the end", {0x41, 0x88}, {0x41, 0x81, 0x45}},
      {"lead before a non-trail byte", {0x88, 0x0A}, {0x81, 0x45, 0x0A}},
      {"private use survives", {0xF0, 0x40}, {0xF0, 0x40}},
      {"special single bytes survive",
       {0x80, 0xA0, 0xFD, 0xFE, 0xFF},
       {0x80, 0xA0, 0xFD, 0xFE, 0xFF}},
      {"trail byte in an ASCII block is paired",
       {0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x88, 0x9F},
       {0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x88, 0x9F}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Reencoded(row.in), row.out) << row.name;
    EXPECT_EQ(RoundTrip(row.in), row.out) << row.name;
  }
}

// Encoded text reads back as itself: every character's code is a whole character whatever follows
// it (a single byte is no lead byte; a pair is a lead and a trail byte) and re-encodes to itself.
// So TextToBytes(BytesToText(TextToBytes(text))) is TextToBytes(text), and output that was
// encoded once need not be re-encoded.
TEST(cp932_codec_test, encoded_text_reads_back_as_itself) {
  for (unsigned unit = 0; unit < 0x10000; ++unit) {
    const std::u16string text(1, static_cast<char16_t>(unit));
    const ByteBuffer code = TextToBytes(text);
    ASSERT_TRUE(code.size() == 1 || code.size() == 2) << std::hex << unit;
    if (code.size() == 1) {
      ASSERT_FALSE(IsLead(code[0])) << std::hex << unit;
    } else {
      ASSERT_TRUE(IsLead(code[0]) && IsTrail(code[1])) << std::hex << unit;
    }
    ASSERT_EQ(Reencoded(code), code) << std::hex << unit;
  }
  const ByteBuffer pair = TextToBytes(u"\xD83D\xDE00");
  EXPECT_EQ(Reencoded(pair), pair);
}

// Pieces cut anywhere, a lead byte at a cut waiting for the next piece, give the same bytes as the
// whole.
TEST(cp932_codec_test, reencoding_in_pieces_matches_the_whole) {
  std::mt19937 rng(31);
  const ByteBuffer alphabet = {0x00, 0x0A, 0x41, 0x5C, 0x7F, 0x80, 0x81, 0x82, 0x85, 0x88, 0x9F,
                               0xA0, 0xB1, 0xE0, 0xED, 0xEE, 0xF0, 0xFA, 0xFC, 0xFD, 0xFF, 0x40};
  for (int trial = 0; trial < 3000; ++trial) {
    ByteBuffer bytes(rng() % 40);
    for (std::uint8_t& b : bytes) {
      b = rng() % 3 == 0 ? 0x61 : alphabet[rng() % alphabet.size()];
    }
    const ByteBuffer expected = RoundTrip(bytes);
    ASSERT_EQ(Reencoded(bytes), expected) << ::testing::PrintToString(bytes);

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
    ASSERT_EQ(pieces, expected) << ::testing::PrintToString(bytes);
  }
}

TEST(cp932_codec_test, halfwidth_katakana_widen_to_the_euc_grid) {
  // The EUC-JP codes of the full-width forms of U+FF61..U+FF9F.
  const std::string grid =
      "\xA1\xA3\xA1\xD6\xA1\xD7\xA1\xA2\xA1\xA6\xA5\xF2\xA5\xA1\xA5\xA3\xA5\xA5\xA5\xA7\xA5\xA9"
      "\xA5\xE3\xA5\xE5\xA5\xE7\xA5\xC3\xA1\xBC\xA5\xA2\xA5\xA4\xA5\xA6\xA5\xA8\xA5\xAA\xA5\xAB"
      "\xA5\xAD\xA5\xAF\xA5\xB1\xA5\xB3\xA5\xB5\xA5\xB7\xA5\xB9\xA5\xBB\xA5\xBD\xA5\xBF\xA5\xC1"
      "\xA5\xC4\xA5\xC6\xA5\xC8\xA5\xCA\xA5\xCB\xA5\xCC\xA5\xCD\xA5\xCE\xA5\xCF\xA5\xD2\xA5\xD5"
      "\xA5\xD8\xA5\xDB\xA5\xDE\xA5\xDF\xA5\xE0\xA5\xE1\xA5\xE2\xA5\xE4\xA5\xE6\xA5\xE8\xA5\xE9"
      "\xA5\xEA\xA5\xEB\xA5\xEC\xA5\xED\xA5\xEF\xA5\xF3\xA1\xAB\xA1\xAC";
  UErrorCode status = U_ZERO_ERROR;
  UConverter* euc = ucnv_open("EUC-JP", &status);
  std::u16string expected(grid.size(), u'\0');
  expected.resize(static_cast<std::size_t>(
      ucnv_toUChars(euc, expected.data(), static_cast<int32_t>(expected.size()), grid.data(),
                    static_cast<int32_t>(grid.size()), &status)));
  ucnv_close(euc);
  ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  ASSERT_EQ(expected.size(), 63U);
  for (unsigned k = 0; k < 63; ++k) {
    EXPECT_EQ(HalfwidthToFullwidth(static_cast<char16_t>(0xFF61 + k)), expected[k]) << k;
  }
}

TEST(cp932_codec_test, halfwidth_to_fullwidth_spot_checks) {
  const std::vector<std::pair<char16_t, char16_t>> cases = {
      {u'ｶ', u'カ'},      {u'ﾞ', u'゛'},          {u'ﾟ', u'゜'},          {u'ｰ', u'ー'},
      {u'･', u'・'},      {u'!', u'！'},          {u'\\', u'＼'},         {u'~', u'～'},
      {u' ', u'\u3000'},  {u'\0', u'\0'},         {u'\x1F', u'\x1F'},     {u'\x7F', u'\x7F'},
      {u'\xA5', u'\xA5'}, {u'\uFF60', u'\uFF60'}, {u'\uFFA0', u'\uFFA0'}, {u'あ', u'あ'},
      {u'Ａ', u'Ａ'},     {u'\u3000', u'\u3000'}, {u'\xD800', u'\xD800'}};
  for (const auto& [half, full] : cases) {
    EXPECT_EQ(HalfwidthToFullwidth(half), full) << std::hex << static_cast<unsigned>(half);
  }
}

}  // namespace
}  // namespace quillora
