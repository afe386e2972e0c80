// clsConvert::EUCHankakuKanaConvert on any bytes.
#include "convert/clsConvert.h"
#include "converter_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora;
  const ByteBuffer original(data, data + size);
  ByteBuffer in = original;
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().EUCHankakuKanaConvert(out, in);
  fuzz::CheckFixedOutput(out, result);
  FUZZ_CHECK(out.size() <= 2 * size + 1);
  FUZZ_CHECK(in == fuzz::WithGuardByte(original));
  // Without a single shift there is nothing to widen.
  if (std::find(original.begin(), original.end(), 0x8E) == original.end()) {
    FUZZ_CHECK(result.ok() && out == original);
  }
  return 0;
}
