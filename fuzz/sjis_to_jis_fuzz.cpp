// clsConvert::SjisToJis on any bytes, either way of treating half-width katakana; on well-formed
// Shift_JIS it must be undone by JisToSJis.
#include "convert/clsConvert.h"
#include "converter_properties.h"

namespace {

using quillora::ByteBuffer;

bool IsLead(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrail(std::uint8_t b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// The payload with every byte dropped that would make it ill-formed: a lead byte without a trail
// byte, and ESC, which JIS gives a meaning of its own.
ByteBuffer WellFormed(std::span<const std::uint8_t> bytes) {
  ByteBuffer sjis;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    if (IsLead(bytes[k])) {
      if (k + 1 < bytes.size() && IsTrail(bytes[k + 1])) {
        sjis.push_back(bytes[k]);
        sjis.push_back(bytes[++k]);
      }
    } else if (bytes[k] != 0x1B) {
      sjis.push_back(bytes[k]);
    }
  }
  return sjis;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora;
  fuzz::Choices choices(data, size);
  const bool keep_halfwidth = (choices.Byte() & 1) != 0;
  const ByteBuffer original(choices.Rest().begin(), choices.Rest().end());

  ByteBuffer in = original;
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().SjisToJis(out, in, keep_halfwidth);
  fuzz::CheckGrowingOutput(out, result);
  if (keep_halfwidth) {
    FUZZ_CHECK(in == original);
  } else {
    ByteBuffer widened;
    ByteBuffer copy = original;
    clsConvert().HankakuKanaToZenkakuKana(widened, copy);
    FUZZ_CHECK(in == widened);
  }

  const ByteBuffer sjis = WellFormed(original);
  ByteBuffer sjis_in = sjis;
  ByteBuffer jis;
  FUZZ_CHECK(clsConvert().SjisToJis(jis, sjis_in, keep_halfwidth).ok());
  ByteBuffer back;
  FUZZ_CHECK(clsConvert().JisToSJis(back, jis).ok());
  if (keep_halfwidth) {
    FUZZ_CHECK(back == sjis);
  } else {
    FUZZ_CHECK(back == sjis_in);  // the widened text
  }
  return 0;
}
