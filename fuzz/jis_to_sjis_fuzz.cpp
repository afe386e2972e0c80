// clsConvert::JisToSJis on any bytes, and its code page 932 path with each vector kernel.
#include "conversions.h"
#include "convert/clsConvert.h"
#include "converter_properties.h"
#include "kernel_outputs.h"
#include "text/cp932_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora;
  const ByteBuffer original(data, data + size);
  ByteBuffer in = original;
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().JisToSJis(out, in);
  fuzz::CheckFixedOutput(out, result);
  FUZZ_CHECK(out.size() <= size);  // escapes emit nothing, a pair never outgrows its two bytes
  FUZZ_CHECK(in == fuzz::WithGuardByte(original));
  // The text of what it produced, re-encoded, from every kernel.
  out.resize(std::min(out.size(), result.count));
  const ByteBuffer expected = TextToBytes(BytesToText(out));
  for (const ByteBuffer& made :
       fuzz::KernelOutputs([&in, size](ReencodeKernel kernel, StreamOutput&sink) {
         (void)JisToSjisAsCp932With(kernel, std::span(in).first(size), sink);
       })) {
    FUZZ_CHECK(made == expected);
  }
  return 0;
}
