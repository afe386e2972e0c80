// Shared by the converter tests: table rows, JIS X 0208.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "convert/convert_result.h"
#include "support/collector.h"
#include "support/hex.h"
#include "text/byte_buffer.h"
#include "text/cp932_codec.h"

namespace quillora::test {

struct ByteCase {
  const char* name;
  const char* input;
  const char* output;  // the whole output buffer afterwards, padding included
  ConvertError error;
  std::size_t count;
  const char* input_after = nullptr;  // where it differs from the converter's usual effect
};

enum class InputAfter { guard_appended, unchanged, output };

// Every output starts as EE EE, so that a buffer left untouched shows.
inline void RunCases(std::span<const ByteCase> cases,
                     const std::function<ConvertResult(ByteBuffer&, ByteBuffer&)>& convert,
                     InputAfter usual) {
  for (const ByteCase& c : cases) {
    SCOPED_TRACE(c.name);
    ByteBuffer out = Hex("EE EE");
    ByteBuffer in = Hex(c.input);
    const ConvertResult result = convert(out, in);
    EXPECT_EQ(ToHex(out), c.output);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.count, c.count);
    std::string input_after = c.input_after != nullptr      ? c.input_after
                              : usual == InputAfter::output ? c.output
                                                            : c.input;
    if (c.input_after == nullptr && usual == InputAfter::guard_appended) {
      input_after += " 00";
    }
    EXPECT_EQ(ToHex(in), ToHex(Hex(input_after)));
  }
}

// Every JIS X 0208 code in the three encodings, Shift_JIS computed the textbook way from row (ku)
// and cell (ten).
struct Jis0208Codes {
  ByteBuffer jis, euc, sjis;
};

inline Jis0208Codes AllJis0208Codes() {
  Jis0208Codes all;
  const auto add = [](ByteBuffer& to, int a, int b) {
    to.insert(to.end(), {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)});
  };
  for (int ku = 1; ku <= 94; ++ku) {
    for (int ten = 1; ten <= 94; ++ten) {
      add(all.jis, ku + 0x20, ten + 0x20);
      add(all.euc, ku + 0xA0, ten + 0xA0);
      add(all.sjis, (ku - 1) / 2 + (ku <= 62 ? 0x81 : 0xC1),
          ku % 2 == 1 ? ten + (ten <= 63 ? 0x3F : 0x40) : ten + 0x9E);
    }
  }
  return all;
}

}  // namespace quillora::test
