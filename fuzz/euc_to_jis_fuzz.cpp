// clsConvert::EucToJis on any bytes, either way of treating half-width katakana.
#include "convert/clsConvert.h"
#include "converter_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora;
  fuzz::Choices choices(data, size);
  const bool keep_halfwidth = (choices.Byte() & 1) != 0;
  const ByteBuffer original(choices.Rest().begin(), choices.Rest().end());

  ByteBuffer in = original;
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().EucToJis(out, in, keep_halfwidth);
  fuzz::CheckGrowingOutput(out, result);
  if (keep_halfwidth) {
    FUZZ_CHECK(in == original);
    return 0;
  }
  // Without a kept half-width form the input is first widened, and a failed widening is the
  // conversion's failure.
  ByteBuffer widened;
  ByteBuffer copy = original;
  const ConvertResult widening = clsConvert().EUCHankakuKanaConvert(widened, copy);
  if (widening.ok()) {
    FUZZ_CHECK(in == widened);
  } else {
    FUZZ_CHECK(!result.ok() && result.count == 0 && in == copy);
  }
  return 0;
}
