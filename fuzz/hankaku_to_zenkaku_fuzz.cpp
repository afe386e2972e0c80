// clsConvert::HankakuKanaToZenkakuKana on any bytes: it cannot fail.
#include "convert/clsConvert.h"
#include "converter_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora;
  const ByteBuffer original(data, data + size);
  ByteBuffer in = original;
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().HankakuKanaToZenkakuKana(out, in);
  FUZZ_CHECK(result.ok());
  FUZZ_CHECK(out.size() == result.count);
  FUZZ_CHECK(out.size() <= 2 * size);
  FUZZ_CHECK(in == fuzz::WithGuardByte(original));
  // Bytes below 0x80 that no lead byte claims come through unchanged, so ASCII text is untouched.
  if (std::all_of(original.begin(), original.end(), [](std::uint8_t b) { return b < 0x80; })) {
    FUZZ_CHECK(out == original);
  }
  return 0;
}
