// clsConvert::JisToSJis on any bytes.
#include "convert/clsConvert.h"
#include "converter_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora;
  const ByteBuffer original(data, data + size);
  ByteBuffer in = original;
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().JisToSJis(out, in);
  fuzz::CheckFixedOutput(out, result);
  FUZZ_CHECK(out.size() <= size);  // escapes emit nothing, a pair never outgrows its two bytes
  FUZZ_CHECK(in == fuzz::WithGuardByte(original));
  return 0;
}
