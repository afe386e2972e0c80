// The front door on real files: every conversion mode, unreadable files, failing converters, and
// both products against a slow reference.
#include "convert/front_door.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/clsConvert.h"
#include "converter_cases.h"
#include "support/collector.h"
#include "support/reference_conversion.h"
#include "support/temp_folder.h"
#include "text/cp932_codec.h"

namespace quillora::test {
namespace {

using namespace std::string_view_literals;

// Writes bytes to a file of the folder; returns its path as text.
Text Write(const TempFolder& folder, const std::string& name, std::string_view bytes) {
  return WriteBytes(folder / name, bytes).u16string();
}

struct Case {
  const char* name;
  std::string_view file;
  std::int16_t mode;
  std::int16_t option;
  std::string_view bytes;  // the bytes the result is made from
  std::u16string_view text;
  std::u16string_view name_after = {};  // mode 10's file name; empty: the path stays
};

// The product of the file, or nullopt when it cannot be read.
std::optional<ByteBuffer> Product(Text& name, std::int16_t mode, std::int16_t option,
                                  quillora::Product product) {
  Collector out;
  if (!ConvertFile(name, mode, option, product, out.sink).read) {
    return std::nullopt;
  }
  EXPECT_TRUE(out.sink.Finish());
  return out.collected;
}

class front_door_test : public testing::TestWithParam<Case> {};

TEST_P(front_door_test, converts) {
  const Case& c = GetParam();
  const TempFolder folder;
  const Text path = Write(folder, "input", c.file);
  const Text name_after = c.name_after.empty() ? path : Text(c.name_after);
  Text name = path;
  EXPECT_EQ(Product(name, c.mode, c.option, Product::converter_bytes),
            ByteBuffer(c.bytes.begin(), c.bytes.end()));
  EXPECT_EQ(name, name_after);
  name = path;
  EXPECT_EQ(Product(name, c.mode, c.option, Product::cp932_text), TextToBytes(c.text));
  EXPECT_EQ(name, name_after);
  name = path;
  EXPECT_EQ(clsConvert().KanjiConv(name, c.mode, c.option), c.text);
  EXPECT_EQ(name, name_after);
}

constexpr std::string_view kJis = "\x1B\x24\x42\x30\x21\x1B\x28\x42";
// A repeated kanji-in at the very end makes the JIS decoders fail after one character.
constexpr std::string_view kJisFailingLate = "\x1B\x24\x42\x30\x21\x1B\x24\x42";

INSTANTIATE_TEST_SUITE_P(
    Modes, front_door_test,
    testing::Values(
        Case{"mode1_without_kanji_in_is_the_file", "\x82\xA0\x41", 1, 0, "\x82\xA0\x41", u"あA"},
        Case{"mode1_failure_keeps_what_was_produced", kJisFailingLate, 1, 0, "\x88\x9F", u"亜"},
        Case{"mode2_failure_keeps_what_was_produced", kJisFailingLate, 2, 0, "\xB0\xA1",
             u"\uFF70\uFF61"},
        Case{"mode4_failure_drops_the_padding", "\x41\x88", 4, 1, "\x41\x1B\x24\x42", u"A\x1B$B"},
        // The first stage fails after 41 1B 24 42; with its padding zero the second would add
        // 80 80.
        Case{"mode5_second_stage_sees_only_produced_bytes", "\x41\x88", 5, 1, "\x41", u"A"},
        Case{"mode7_failure_before_output_is_empty", "\x8E\xB1", 7, 0, "", u""},
        // 83 41 is ア: its trail byte is the letter A only as a byte, not as a character.
        Case{"mode9_trail_byte_is_no_symbol",
             "Content-Transfer-Encoding: Base64\r\n\r\nQU\x83\x41JD", 9, 0,
             "Content-Transfer-Encoding: Base64\r\n\r\nABC",
             u"Content-Transfer-Encoding: Base64\r\n\r\nABC"},
        Case{"mode10_uuencode", "BEGIN 644 CAT.TXT\r\n#8V%T\r\n`\r\nEND\r\n", 10, 0, "cat", u"cat",
             u"cat.txt"},
        Case{"mode10_failure_is_empty", "begin 644 cat.txt\r\n\r\nend\r\n", 10, 0, "", u"",
             u"cat.txt"},
        Case{"mode11_odd_final_byte", "\xFF\xFE\x41\x00\x42"sv, 11, 0, "A?", u"A?"},
        Case{"mode11_beyond_code_page_932", "\xFF\xFE\xE9\x00\x3D\xD8\x00\xDE\x42\x30"sv, 11, 0,
             "??\x82\xA0", u"??あ"},
        Case{"mode11_without_ff_is_the_file", "\xFE\xFF\x00\x41"sv, 11, 0, "\xFE\xFF\x00\x41"sv,
             u"\uF8F2\uF8F3\0A"sv},
        Case{"mode0_nothing", kJis, 0, 0, "", u""},
        Case{"lowest_mode_nothing", kJis, -32768, 0, "", u""}),
    [](const testing::TestParamInfo<Case>& row) { return std::string(row.param.name); });

TEST(front_door_test, empty_or_unreadable_file_gives_empty_text_in_every_mode) {
  const TempFolder folder;
  struct Row {
    Text path;
    bool readable;
  };
  const Row rows[] = {{Write(folder, "empty", ""), true},
                      {(folder / "missing").u16string(), false},
                      {(folder / "").u16string(), false},  // the folder itself
                      {Text(u"bad\xD800name"), false}};
  const std::int16_t modes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, -1};
  for (const Row& row : rows) {
    for (const std::int16_t mode : modes) {
      Text name = row.path;
      const std::optional<ByteBuffer> text = Product(name, mode, 0, Product::cp932_text);
      EXPECT_EQ(text.has_value(), row.readable) << mode;
      EXPECT_EQ(text.value_or(ByteBuffer()), ByteBuffer()) << mode;
      EXPECT_EQ(clsConvert().KanjiConv(name, mode, 0), u"") << mode;
      EXPECT_EQ(name, row.path) << mode;
    }
  }
}

// Both products of the in-memory entry, handed on in pieces of the given size, against the slow
// reference; mode 10 names the same file. The modes that also read bytes in place do so the same
// way, to a sink that can withdraw its output and to one that cannot, and stop at the same byte.
testing::AssertionResult MatchesReference(const ByteBuffer& bytes, std::int16_t mode,
                                          std::int16_t option,
                                          std::size_t piece = std::size_t{1} << 20) {
  Text expected_name = u"mail";
  const reference::Outcome expected = reference::Convert(bytes, expected_name, mode, option);
  for (const auto product : {Product::converter_bytes, Product::cp932_text}) {
    Collector out(piece);
    Text name = u"mail";
    const Conversion whole = ConvertBytes(bytes, name, mode, option, product, out.sink);
    if (!out.sink.Finish()) {
      return testing::AssertionFailure() << "not delivered";
    }
    const ByteBuffer want =
        product == Product::cp932_text ? TextToBytes(expected.text) : expected.bytes;
    if (out.collected != want || name != expected_name) {
      return testing::AssertionFailure() << "differs in mode " << mode << " option " << option
                                         << " product " << static_cast<int>(product);
    }
    if (!ConvertsView(mode, product)) {
      continue;
    }
    ByteBuffer guarded = bytes;
    guarded.push_back(0);
    const auto input = std::span<const std::uint8_t>(guarded).first(bytes.size());
    Collector withdrawable(Collector::Withdrawable{}, piece);
    Collector lasting(piece);
    for (Collector* view : {&withdrawable, &lasting}) {
      const Conversion in_place = ConvertView(input, mode, product, view->sink);
      if (!view->sink.Finish() || view->collected != want ||
          in_place.stopped_at != whole.stopped_at) {
        return testing::AssertionFailure()
               << "read in place, differs in mode " << mode << " product "
               << static_cast<int>(product) << (view == &lasting ? " (cannot withdraw)" : "");
      }
    }
  }
  return testing::AssertionSuccess();
}

// Regression: UTF-16 is encoded a stretch at a time, and a stretch that ended on a high
// surrogate took one unit more; before a second high surrogate and its low one that split the
// pair, giving three question marks for two characters. Every place against small pieces.
TEST(front_door_test, utf16_high_surrogates_before_a_pair_at_every_place_of_a_stretch) {
  for (std::size_t place = 0; place < 40; ++place) {
    ByteBuffer bytes = {0xFF, 0xFE};
    bytes.insert(bytes.end(), 2 * place, 0x41);
    for (const std::uint8_t high : {0xDA, 0xDA, 0xDC}) {  // D8DA D8DA DCDC, little-endian
      bytes.push_back(0xDA);
      bytes.push_back(high == 0xDC ? 0xDC : 0xD8);
    }
    bytes.insert(bytes.end(), 40, 0x42);
    ASSERT_TRUE(MatchesReference(bytes, 11, 0, 64)) << "place " << place;
  }
}

// Mode 10 looks for "end" in the last 4 KiB of a file first: wherever "end" stands (before that
// tail, across its start, in it, nowhere), the answer is the reference's.
TEST(front_door_test, uuencode_end_before_across_or_in_the_tail_of_a_long_file) {
  const std::string start = "begin 644 a.txt\n#86)C\n`\n";
  const std::size_t size = start.size() + 10000;
  const std::size_t tail = size - 4096;
  // Where "\nEnD\n" is put; its letters stand one to three places later.
  for (const std::size_t at :
       {std::size_t{30}, tail - 3, tail - 2, tail - 1, tail, size - 5, size}) {
    std::string file = start + std::string(10000, 'x');
    if (at < size) {
      file.replace(at, 5, "\nEnD\n");
    }
    const ByteBuffer bytes(file.begin(), file.end());
    ASSERT_TRUE(MatchesReference(bytes, 10, 0, 4096)) << "end at " << at;
  }
}

// A uuencoded block is handed on a piece at a time while it is decoded: a block that fails after
// many pieces shows nothing, and the last line's length takes bytes off the end, up to 32 more
// than the line holds (a length character of NUL), across any piece's end.
TEST(front_door_test, long_uuencoded_blocks_end_as_whole_ones) {
  const struct {
    const char* name;
    std::string last_lines;
  } endings[] = {
      {"end line", "`\nend\n"},
      {"short last line", "#86)C\nend\n"},
      {"length below the blank", std::string("\x00\nend\n", 6)},
      {"length a little below", "\x10\n"},
      {"length beyond the line", "~86)C86)C\n"},
      {"bad character", "M86)C\t86)C\n`\nend\n"},
      {"cut short", "M86)C86)C"},
      {"blank line before end", "\n\nend\n"},
      {"long last line", "!" + std::string(3000, 'A') + "\nend\n"},
      {"last line longer than a piece", "!" + std::string(100000, 'A') + "\nend\n"},
  };
  for (const auto& ending : endings) {
    for (const std::size_t lines : {1U, 1456U, 2913U}) {  // 45 bytes a line: around 64 KiB
      for (const std::string_view line_end : {"\n"sv, "\r\n"sv}) {
        std::string file = "begin 644 end.bin";  // "end" in every file: each is decoded
        file += line_end;
        for (std::size_t k = 0; k < lines; ++k) {
          file += "M";
          for (std::size_t c = 0; c < 60; ++c) {
            file += static_cast<char>(0x20 + (k * 7 + c * 13) % 64);
          }
          file += line_end;
        }
        file += ending.last_lines;
        const ByteBuffer bytes(file.begin(), file.end());
        ASSERT_TRUE(MatchesReference(bytes, 10, 0, 4096))
            << ending.name << ", " << lines << " lines, " << line_end.size();
      }
    }
  }
}

// Random mail-like inputs in every mode. The pieces make ASCII mail (which the mail decoders read
// as bytes) as well as mail with Japanese in it (read as text).
TEST(front_door_test, match_the_reference_in_every_mode) {
  std::vector<std::string_view> pieces = {"Content-Transfer-Encoding: base64\r\n",
                                          "CONTENT-TRANSFER-ENCODING: BASE64\n",
                                          "begin 644 Cat.TXT\r\n", "Subject: x\r\n"};
  pieces.insert(
      pieces.end(),
      {"\r\n",      "\n",       "QUJD",       "QQ==",  "gqCCog==", "=",        "  ",       "BEGIN ",
       "#8V%T\r\n", "M",        "`\n",        "end\n", "END",      "\x1B$B",   "0!$\"",    "\x1B(B",
       "\x8E\xB6",  "\xB0\xA1", "\x88\x9F",   "\x82",  "\xED\x40", "\x85\x40", "\xFF\xFE", "\xFF",
       "A\x00"sv,   "\x3D\xD8", "\x00\xDE"sv, "\t",    "abc"});
  const std::int16_t modes[] = {1, 2, 4, 5, 7, 8, 9, 10, 11, 3, -1};
  std::mt19937 rng(932);
  for (int trial = 0; trial < 1500; ++trial) {
    std::string input;
    const bool ascii = rng() % 2 == 0;
    for (std::size_t k = rng() % 16; k > 0; --k) {
      const std::string_view piece = pieces[rng() % pieces.size()];
      if (!ascii || std::none_of(piece.begin(), piece.end(), [](char c) { return c < 0; })) {
        input += piece;
      }
    }
    if (rng() % 4 == 0 && !input.empty()) {
      input.insert(0, 1, '\xFF');
    }
    const ByteBuffer bytes(input.begin(), input.end());
    for (const std::int16_t mode : modes) {
      for (const std::int16_t option : {std::int16_t{0}, std::int16_t{1}}) {
        ASSERT_TRUE(MatchesReference(bytes, mode, option, 64 + rng() % 64))
            << testing::PrintToString(input);
      }
    }
  }
}

// UTF-16 is taken a stretch at a time; a surrogate pair or an odd byte at any cut must come out as
// from the whole.
TEST(front_door_test, long_utf16_keeps_pairs_across_stretches) {
  for (const std::size_t shift : {0U, 1U, 2U, 3U}) {
    ByteBuffer input{0xFF, 0xFE};
    while (input.size() < (std::size_t{1} << 17) + 64) {
      const std::size_t at = input.size() + shift;
      if (at % 65536 >= 65530 || at % 65536 < 4) {
        input.insert(input.end(), {0x3D, 0xD8, 0x00, 0xDE});  // U+1F600
      } else {
        input.insert(input.end(), {0x42, 0x30});  // U+3042
      }
    }
    if (shift % 2 == 1) {
      input.push_back(0x41);
    }
    EXPECT_TRUE(MatchesReference(input, 11, 0)) << shift;
  }
}

// A Base64 body is decoded and re-encoded a piece at a time; a lead byte at any piece's end, and
// a piece that ends inside a line, must come out as from the whole.
TEST(front_door_test, long_base64_keeps_pairs_across_pieces) {
  constexpr std::string_view kSymbols =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (const std::size_t shift : {0U, 1U, 2U, 3U, 5U}) {
    ByteBuffer body(shift, 'a');
    while (body.size() < (std::size_t{3} << 16)) {
      body.insert(body.end(), {0x82, 0xA0, 0x88, 0x9F});  // あ亜
    }
    std::string mail = "Content-Transfer-Encoding: base64\r\n\r\n";
    for (std::size_t k = 0; k + 3 <= body.size(); k += 3) {
      const unsigned v = body[k] << 16 | body[k + 1] << 8 | body[k + 2];
      for (const unsigned bits : {18U, 12U, 6U, 0U}) {
        mail += kSymbols[(v >> bits) & 63];
      }
      mail += k % 57 == 54 ? "\r\n" : "";
    }
    EXPECT_TRUE(MatchesReference(ByteBuffer(mail.begin(), mail.end()), 9, 0)) << shift;
  }
}

}  // namespace
}  // namespace quillora::test
