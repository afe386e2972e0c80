// The vector Base64 and uuencode kernels against a plain reading of the same characters.
#include "convert/sextets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text/byte_buffer.h"

namespace quillora::test {
namespace {

constexpr std::string_view kBase64Symbols =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  const std::size_t at = kBase64Symbols.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int UuValue(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x20 && b <= 0x7F ? (b - 0x20) & 0x3F : -1;
}

struct Kernel {
  const char* name;
  std::function<std::size_t(const char*, std::size_t, std::uint8_t*)> run;
  int (*value)(char);
  std::string_view alphabet;  // characters the kernel must take
  bool groups_before_a_stop;  // also takes the whole groups that open the block it stops in
};

void PrintTo(const Kernel& kernel, std::ostream* out) {
  *out << kernel.name;
}

const std::array<Kernel, 2> kKernels{{
    {"base64", DecodeBase64Blocks, Base64Value, kBase64Symbols, true},
    {"uuencode", DecodeUuBlocks, UuValue,
     " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz"
     "{|}~\x7F",
     false},
}};

// Whole blocks of 16 while every character has a value, three bytes for each four.
ByteBuffer PlainReading(const Kernel& kernel, std::string_view chars) {
  ByteBuffer bytes;
  for (std::size_t block = 0; block + 16 <= chars.size(); block += 16) {
    std::array<int, 16> v{};
    std::size_t valid = 0;
    while (valid < 16 && (v[valid] = kernel.value(chars[block + valid])) >= 0) {
      ++valid;
    }
    const std::size_t taken = valid == 16 || kernel.groups_before_a_stop ? valid / 4 * 4 : 0;
    for (std::size_t g = 0; g < taken; g += 4) {
      const int group = v[g] << 18 | v[g + 1] << 12 | v[g + 2] << 6 | v[g + 3];
      bytes.push_back(static_cast<std::uint8_t>(group >> 16));
      bytes.push_back(static_cast<std::uint8_t>(group >> 8));
      bytes.push_back(static_cast<std::uint8_t>(group));
    }
    if (valid < 16) {
      break;
    }
  }
  return bytes;
}

void ExpectPlainReading(const Kernel& kernel, std::string_view chars) {
  ByteBuffer out(chars.size() / 4 * 3);
  const std::size_t taken = kernel.run(chars.data(), chars.size(), out.data());
  const ByteBuffer want = PlainReading(kernel, chars);
  ASSERT_EQ(taken, want.size() / 3 * 4);
  out.resize(want.size());
  ASSERT_EQ(out, want);
}

class sextets_test : public testing::TestWithParam<Kernel> {
 protected:
  void SetUp() override {
    if (!HaveSextetVectors()) {
      GTEST_SKIP() << "no vector kernels on this processor";
    }
  }
};

// Every byte value at every place of a block of characters the kernel takes.
TEST_P(sextets_test, every_byte_at_every_place_stops_where_the_plain_reading_does) {
  const Kernel& kernel = GetParam();
  for (unsigned b = 0; b < 256; ++b) {
    for (std::size_t at = 0; at < 32; ++at) {
      std::string chars(40, 'Q');
      for (std::size_t k = 0; k < chars.size(); ++k) {
        chars[k] = kernel.alphabet[(k * 7 + b) % kernel.alphabet.size()];
      }
      chars[at] = static_cast<char>(b);
      ExpectPlainReading(kernel, chars);
      if (HasFatalFailure()) {
        FAIL() << kernel.name << ": byte " << b << " at " << at;
      }
    }
  }
}

// Random characters of every size to 300 at every alignment, now and then one it does not take.
TEST_P(sextets_test, random_characters_of_every_size_and_alignment_match_the_plain_reading) {
  const Kernel& kernel = GetParam();
  std::mt19937 random(932);
  for (std::size_t size = 0; size <= 300; ++size) {
    for (std::size_t align = 0; align < 16; ++align) {
      // The characters end where their buffer does: a read past them is a sanitizer fault.
      std::vector<char> storage(align + size);
      const std::string_view chars(storage.data() + align, size);
      for (std::size_t k = 0; k < size; ++k) {
        storage[align + k] = random() % 97 == 0
                                 ? static_cast<char>(random())
                                 : kernel.alphabet[random() % kernel.alphabet.size()];
      }
      ExpectPlainReading(kernel, chars);
      if (HasFatalFailure()) {
        FAIL() << kernel.name << ": size " << size << ", alignment " << align;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(kernels, sextets_test, testing::ValuesIn(kKernels),
                         [](const testing::TestParamInfo<Kernel>& info) {
                           return std::string(info.param.name);
                         });

// Whole lines: "M", 60 data characters and a line end, each part now and then spoiled (a
// character outside 0x20-0x60, a CR without LF, no line end, fewer than 65 characters in
// reach), at every alignment. A line is taken whole, as the plain reading of its 60 characters,
// or not at all.
TEST(uu_line_test, a_whole_line_is_taken_as_the_plain_reading_or_not_at_all) {
  if (!HaveSextetVectors()) {
    GTEST_SKIP() << "no vector kernels on this processor";
  }
  const Kernel& uu = kKernels[1];
  std::mt19937 random(60);
  for (int trial = 0; trial < 20000; ++trial) {
    const std::size_t align = static_cast<std::size_t>(trial) % 16;
    std::string line = "M";
    for (int k = 0; k < 60; ++k) {
      line += static_cast<char>(0x20 + random() % 0x41);
    }
    const std::size_t end_kind = random() % 4;
    line += end_kind == 0 ? "\n" : end_kind == 1 ? "\r\n" : end_kind == 2 ? "\rM" : "MM";
    line += "M0123456789abcdefghij";
    if (random() % 4 == 0) {
      line[random() % 62] = static_cast<char>(random());  // perhaps no longer that line
    }
    const std::size_t available = random() % 2 == 0 ? line.size() : random() % 70;
    std::vector<char> storage(align + available);  // nothing in reach past `available`
    line.copy(storage.data() + align, std::min(available, line.size()));

    const std::string_view data(line.data() + 1, 60);
    bool whole = line[0] == 'M' && available >= 65;
    for (const char c : data) {
      whole = whole && c >= 0x20 && c <= 0x60;
    }
    whole = whole && (line[61] == '\n' || (line[61] == '\r' && line[62] == '\n'));
    ByteBuffer out(48, 0xEE);
    const std::size_t length = DecodeUuLine(storage.data() + align, available, out.data());
    if (!whole) {
      ASSERT_EQ(length, 0U) << testing::PrintToString(line);
      ASSERT_EQ(out, ByteBuffer(48, 0xEE));
      continue;
    }
    ASSERT_EQ(length, line[61] == '\n' ? 62U : 63U) << testing::PrintToString(line);
    // The plain reading takes whole blocks of 16; the line holds 60 characters.
    ByteBuffer want = PlainReading(uu, std::string(data) + "    ");
    want.resize(45);
    out.resize(45);
    ASSERT_EQ(out, want) << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace quillora::test
