// clsConvert::EucToSjisConvert on any bytes, against the slow reading of its definition: each
// step's bytes decoded on their own and the texts joined; its code page 932 path with each vector
// kernel.
#include <array>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "converter_properties.h"
#include "kernel_outputs.h"
#include "text/cp932_codec.h"

namespace {

using namespace quillora;

Text Decoded(std::initializer_list<std::uint8_t> bytes) {
  return BytesToText(std::span(bytes.begin(), bytes.size()));
}

Text Reference(const ByteBuffer& in) {
  Text text;
  std::size_t i = 0;
  for (; i + 1 < in.size(); ++i) {
    const std::uint8_t a = in[i];
    const std::uint8_t b = in[i + 1];
    if (a <= 0x7F) {
      text += Decoded({a});
      continue;
    }
    ++i;
    if (a == 0x8E) {
      for (const char16_t c : Decoded({b})) {
        text += HalfwidthToFullwidth(c);
      }
      continue;
    }
    // JIS X 0208 row and cell to Shift_JIS, as the textbook gives it.
    const int row = a & 0x7F;
    int trail = (b & 0x7F) + (row % 2 == 1 ? 0x1F : 0x7D);
    if (trail >= 0x7F) {
      ++trail;
    }
    int lead = (row - 0x21) / 2 + 0x81;
    if (lead > 0x9F) {
      lead += 0x40;
    }
    text += Decoded({static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)});
  }
  if (i + 1 == in.size()) {
    text += Decoded({in[i]});
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteBuffer original(data, data + size);
  ByteBuffer in = original;
  const Text text = clsConvert().EucToSjisConvert(in);
  FUZZ_CHECK(in == original);
  FUZZ_CHECK(text == Reference(original));
  const ByteBuffer expected = TextToBytes(text);
  for (const ByteBuffer& made :
       fuzz::KernelOutputs([&original](ReencodeKernel kernel, StreamOutput&sink) {
         EucToSjisAsCp932With(kernel, original, sink);
       })) {
    FUZZ_CHECK(made == expected);
  }
  return 0;
}
