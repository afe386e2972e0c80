#include "platform/rtf_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/utf8.h"

namespace quillora::test {
using namespace rtf;
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The document as "[format]text" runs, paragraphs separated by "|": b, i, u for bold, italic and
// underline, then f=font, s=half points and c=colour where given.
std::string Render(const Document& document) {
  std::string out;
  for (const Paragraph& paragraph : document.paragraphs) {
    out += &paragraph == document.paragraphs.data() ? "" : "|";
    for (const auto& [text, f] : paragraph.runs) {
      out +=
          std::string("[") + (f.bold ? "b" : "") + (f.italic ? "i" : "") + (f.underline ? "u" : "");
      if (f.font >= 0) {
        out += " f=" + Utf8FromText(document.fonts.at(static_cast<std::size_t>(f.font)));
      }
      if (f.half_points > 0) {
        out += " s=" + std::to_string(f.half_points);
      }
      if (f.colour) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "%06X", static_cast<unsigned>(*f.colour));
        out += std::string(" c=") + colour;
      }
      out += "]" + Utf8FromText(text);
    }
  }
  return out;
}

std::string Read(std::string_view rtf) {
  return Render(ReadRtf(Bytes(rtf)));
}

struct Case {
  const char* name;
  std::string_view rtf;
  std::string_view expected;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class rtf_reader_test : public testing::TestWithParam<Case> {};

TEST_P(rtf_reader_test, reads_as_expected) {
  EXPECT_EQ(Read(GetParam().rtf), GetParam().expected);
}

const Case kCases[] = {
    // Formatting
    {"nested_groups", R"({\rtf1 {\b a{\i b{\ul c}d}e}f})", "[b]a[bi]b[biu]c[bi]d[b]e[]f"},
    {"paragraphs_and_line_breaks", "{\\rtf1 one\\par two\\line three\\par\r\n}",
     "[]one|[]two\u2028three|"},
    {"escaped_characters", R"({\rtf1 \\\{\}\~\tab\emdash})", "[]\\{}\u00A0\t\u2014"},
    {"font_size_and_colour",
     R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue255;}\fs20\cf1 a\cf2 b\cf0 c\cf9 d})",
     "[ s=20 c=FF0000]a[ s=20 c=0080FF]b[ s=20]cd"},
    {"font_table_names_in_code_page_932",
     R"({\rtf1{\fonttbl{\f0\fswiss Arial;}{\f1\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;}}\f1 a\f0 b\f7 c})",
     "[ f=ＭＳ 明朝]a[ f=Arial]b[]c"},
    // Characters
    {"lead_and_trail_bytes_make_one_character", R"({\rtf1 \'82\'a0\'82\'a2})", "[]あい"},
    {"trail_byte_5c_is_not_a_backslash", R"({\rtf1 \'83\'5c})", "[]ソ"},
    {"unicode_skips_uc_fallbacks", R"({\rtf1\uc2 \u12354\'82\'a0x})", "[]あx"},
    {"uc_is_scoped_to_its_group", R"({\rtf1 {\uc2\u12354 xx}\u12354 ?z})", "[]ああz"},
    {"surrogate_pair", R"({\rtf1 \u-10179?\u-8704?})", "[]\U0001F600"},
    // Skipped destinations
    {"unknown_destination", R"({\rtf1 a{\*\unknown secret{\b more}\par}b})", "[]ab"},
    {"binary_data_may_hold_braces", R"({\rtf1 a{\pict\bin3 }{}}b})", "[]ab"},
    {"field_instruction_but_not_result",
     R"({\rtf1 {\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}})", "[]link"},
    // Damaged input: what survives is the text before the damage.
    {"huge_numbers",
     R"({\rtf1{\uc99999999999999999999 \u99999999999999999999 x}\u-99999999999 y\cf99999999999 z})",
     "[]z"},
    {"unmatched_closing_brace", R"(}}} text)", ""},
};
INSTANTIATE_TEST_SUITE_P(cases, rtf_reader_test, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Nesting costs heap, not stack.
TEST(rtf_reader_test, deep_nesting) {
  constexpr std::size_t kDepth = 100000;
  EXPECT_EQ(Read(std::string(kDepth, '{') + "x"), "[]x");
  std::string rtf = "{\\rtf1 ";
  for (std::size_t i = 0; i < kDepth; ++i) {
    rtf += i % 2 == 0 ? "{\\b " : "{\\b0 ";
  }
  // The innermost level is plain; its parent is bold; the outermost text is plain again.
  EXPECT_EQ(Read(rtf + "x" + std::string(kDepth - 1, '}') + "y}z}"), "[]x[b]y[]z");
}

// Cut anywhere, a document still reads; random bytes are fuzz/rtf_reader_fuzz.cpp's.
TEST(rtf_reader_test, every_prefix_of_a_document_reads) {
  const std::string rtf =
      R"({\rtf1\ansi\deff0{\fonttbl{\f0\fcharset128 \'82\'6c\'82\'72;}}{\colortbl;\red1\green2\blue3;})"
      R"({\*\generator x;}\uc1\pard\b\f0\fs24\cf1 \'82\'a0\u12354?{\pict\bin2 ab}\i x\par})";
  for (std::size_t length = 0; length <= rtf.size(); ++length) {
    const Document document = ReadRtf(Bytes(std::string_view(rtf).substr(0, length)));
    ASSERT_FALSE(document.paragraphs.empty()) << length;
  }
  EXPECT_EQ(Read(rtf), "[b f=ＭＳ s=24 c=010203]ああ[bi f=ＭＳ s=24 c=010203]x|");
}

}  // namespace
}  // namespace quillora::test
