// KanjiConv in every conversion mode, through the front door's in-memory entries. The first byte
// picks the mode, the second the option, the third the size of the pieces the code page 932
// output is handed on in; the rest is the file. Both entries are held to a slow reference built
// from the public converters the obvious way, so that their fast paths cannot drift from it.
#include <algorithm>
#include <array>

#include "convert/clsConvert.h"
#include "text/cp932_codec.h"
#include "convert/front_door.h"
#include "mail_text.h"
#include "fuzz_check.h"

namespace {

using namespace quillora;

FrontDoorOutcome FromBytes(ByteBuffer bytes) {
  Text text = BytesToText(bytes);
  return {std::move(text), std::move(bytes), true};
}

FrontDoorOutcome FromText(Text text) {
  ByteBuffer bytes = TextToBytes(text);
  return {std::move(text), std::move(bytes), true};
}

ByteBuffer Produced(ByteBuffer output, ConvertResult result) {
  if (!result.ok()) {
    output.resize(std::min(result.count, output.size()));
  }
  return output;
}

FrontDoorOutcome Reference(ByteBuffer input, Text& name, std::int16_t mode, std::int16_t option) {
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
      return FromText(convert.EucToSjisConvert(input));
    case 9: {
      Text record = BytesToText(input);
      convert.Base64ToSJis(output, record);
      break;
    }
    case 10: {
      Text record = BytesToText(input);
      const Text lowered = LowerCase(record);
      if (lowered.find(u"begin ") == Text::npos || lowered.find(u"end") == Text::npos) {
        return {std::move(record), std::move(input), true};
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
      return {{}, {}, true};
  }
  return FromBytes(Produced(std::move(output), result));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Every mode that converts, and neighbours and extremes of those that do not.
  static constexpr std::array<std::int16_t, 16> kModes{1,  2, 4, 5, 7,  8,  9,     10,
                                                       11, 0, 3, 6, 12, -1, 32767, -32768};
  fuzz::Choices choices(data, size);
  const std::int16_t mode = kModes[choices.Byte() % kModes.size()];
  const auto option = static_cast<std::int16_t>(static_cast<std::int8_t>(choices.Byte()));
  const std::size_t piece = 1 + choices.Byte() % 64;
  const ByteBuffer file(choices.Rest().begin(), choices.Rest().end());

  Text expected_name = u"mail.txt";
  const FrontDoorOutcome expected = Reference(file, expected_name, mode, option);

  Text name = u"mail.txt";
  const FrontDoorOutcome outcome = RunFrontDoorOnBytes(file, name, mode, option);
  FUZZ_CHECK(outcome.file_read);
  FUZZ_CHECK(outcome.text == expected.text);
  FUZZ_CHECK(outcome.bytes == expected.bytes);
  FUZZ_CHECK(name == expected_name);

  // The code page 932 entry gives TextToBytes of that text, whatever the pieces.
  ByteBuffer delivered;
  Cp932Sink sink(
      [&](std::span<const std::uint8_t> bytes) {
        delivered.insert(delivered.end(), bytes.begin(), bytes.end());
        return true;
      },
      piece);
  Text cp932_name = u"mail.txt";
  FUZZ_CHECK(RunFrontDoorOnBytesToCp932(file, cp932_name, mode, option, sink));
  FUZZ_CHECK(sink.Finish());
  FUZZ_CHECK(delivered == TextToBytes(expected.text));
  FUZZ_CHECK(cp932_name == expected_name);
  return 0;
}
