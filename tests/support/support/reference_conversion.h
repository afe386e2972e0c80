// A slow reference of the front door, built from the public converters the obvious way, so that
// the engine's fast paths cannot drift from it: the text each mode stands for, and the bytes it
// was made from.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "convert/clsConvert.h"
#include "mail_text.h"
#include "text/cp932_codec.h"

namespace quillora::test::reference {

struct Outcome {
  Text text;
  ByteBuffer bytes;
};

// EUC-JP to Shift_JIS text step by step, each step's bytes decoded on their own: an ASCII byte, a
// single shift and the byte after it widened, or a pair by the textbook row arithmetic.
inline Text EucStepsAsText(std::span<const std::uint8_t> in) {
  Text text;
  const auto decode = [&text](std::initializer_list<std::uint8_t> bytes) {
    text += BytesToText(std::span(bytes.begin(), bytes.size()));
  };
  std::size_t i = 0;
  for (; i + 1 < in.size(); i += in[i] <= 0x7F ? 1 : 2) {
    const std::uint8_t a = in[i];
    const std::uint8_t b = in[i + 1];
    if (a <= 0x7F) {
      decode({a});
    } else if (a == 0x8E) {
      for (const char16_t c : BytesToText(in.subspan(i + 1, 1))) {
        text += HalfwidthToFullwidth(c);
      }
    } else {
      const int row = a & 0x7F;
      int trail = (b & 0x7F) + (row % 2 == 1 ? 0x1F : 0x7D);
      trail += trail >= 0x7F ? 1 : 0;
      int lead = (row - 0x21) / 2 + 0x81;
      lead += lead > 0x9F ? 0x40 : 0;
      decode({static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)});
    }
  }
  if (i + 1 == in.size()) {
    decode({in[i]});
  }
  return text;
}

inline Outcome FromBytes(ByteBuffer bytes) {
  Text text = BytesToText(bytes);
  return {std::move(text), std::move(bytes)};
}

inline Outcome FromText(Text text) {
  ByteBuffer bytes = TextToBytes(text);
  return {std::move(text), std::move(bytes)};
}

inline ByteBuffer Produced(ByteBuffer output, ConvertResult result) {
  if (!result.ok()) {
    output.resize(std::min(result.count, output.size()));
  }
  return output;
}

// KanjiConv's text and the bytes it was made from.
inline Outcome Convert(ByteBuffer input, Text& name, std::int16_t mode, std::int16_t option) {
  static constexpr std::array<std::uint8_t, 3> kEscDollarB{0x1B, 0x24, 0x42};
  clsConvert convert;
  ByteBuffer output{0};
  const bool keep_halfwidth = option != 0;
  ConvertResult result;
  switch (mode) {
    case 1:
      if (std::search(input.begin(), input.end(), kEscDollarB.begin(), kEscDollarB.end()) ==
          input.end()) {
        return FromBytes(std::move(input));
      }
      result = convert.JisToSJis(output, input);
      break;
    case 2:
      result = convert.JisToEuc(output, input);
      break;
    case 4:
      result = convert.SjisToJis(output, input, keep_halfwidth);
      break;
    case 5:
      result = convert.SjisToJis(output, input, keep_halfwidth);
      input = Produced(output, result);
      result = convert.JisToEuc(output, input);
      break;
    case 7:
      result = convert.EucToJis(output, input, keep_halfwidth);
      break;
    case 8:
      return FromText(EucStepsAsText(input));
    case 9: {
      Text record = BytesToText(input);
      convert.Base64ToSJis(output, record);
      break;
    }
    case 10: {
      Text record = BytesToText(input);
      const Text lowered = LowerCase(record);
      if (lowered.find(u"begin ") == Text::npos || lowered.find(u"end") == Text::npos) {
        return {std::move(record), std::move(input)};
      }
      result = convert.UuencodeToSJis(output, record, name);
      break;
    }
    case 11: {
      if (input.empty() || input[0] != 0xFF) {
        return FromBytes(std::move(input));
      }
      Text units;
      for (std::size_t k = 0; k + 1 < input.size(); k += 2) {
        units.push_back(static_cast<char16_t>(input[k] | input[k + 1] << 8));
      }
      if (input.size() % 2 != 0) {
        units.push_back(u'\uFFFD');
      }
      Text text = BytesToText(TextToBytes(units));
      text.erase(0, std::min<std::size_t>(1, text.size()));
      return FromText(std::move(text));
    }
    default:
      return {};
  }
  return FromBytes(Produced(std::move(output), result));
}

}  // namespace quillora::test::reference
