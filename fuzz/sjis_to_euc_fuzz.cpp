// clsConvert::SjisToEucConvert on any bytes: it cannot fail and leaves the result in both buffers.
#include "convert/clsConvert.h"
#include "converter_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora;
  ByteBuffer in(data, data + size);
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().SjisToEucConvert(out, in);
  FUZZ_CHECK(result.ok());
  FUZZ_CHECK(out.size() == result.count);
  FUZZ_CHECK(out.size() <= 2 * size);
  FUZZ_CHECK(in == out);
  return 0;
}
