// KanjiConv in every conversion mode, through the front door's in-memory entry. The first byte
// picks the mode, the second the option, the third the size of the pieces the output is handed on
// in; the rest is the file. Both products are held to a slow reference built from the public
// converters the obvious way, so that the fast paths cannot drift from it.
#include <array>

#include "convert/front_door.h"
#include "fuzz_check.h"
#include "support/reference_conversion.h"
#include "text/cp932_codec.h"

namespace {

using namespace quillora;

ByteBuffer Delivered(const ByteBuffer& file, Text& name, std::int16_t mode, std::int16_t option,
                     Product product, std::size_t piece) {
  ByteBuffer delivered;
  StreamOutput out(StreamOutput::AppendTo(delivered), piece);
  ConvertBytes(file, name, mode, option, product, out);
  FUZZ_CHECK(out.Finish());
  return delivered;
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
  const test::reference::Outcome expected =
      test::reference::Convert(file, expected_name, mode, option);

  Text name = u"mail.txt";
  FUZZ_CHECK(Delivered(file, name, mode, option, Product::converter_bytes, piece) ==
             expected.bytes);
  FUZZ_CHECK(name == expected_name);

  // The text product is TextToBytes of that text, whatever the pieces.
  name = u"mail.txt";
  FUZZ_CHECK(Delivered(file, name, mode, option, Product::cp932_text, piece) ==
             TextToBytes(expected.text));
  FUZZ_CHECK(name == expected_name);
  return 0;
}
