// clsConvert::UuencodeToSJis on any text, and on a block a standard encoder wrote: there it must
// give back the bytes encoded and the name on the begin line.
#include <string_view>

#include "convert/clsConvert.h"
#include "converter_properties.h"
#include "front_door_run.h"
#include "text/cp932_codec.h"

namespace {

using namespace quillora;

Text RecordFrom(std::span<const std::uint8_t> bytes, bool units) {
  if (!units) {
    return BytesToText(bytes);
  }
  Text text;
  for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
    text.push_back(static_cast<char16_t>(bytes[k] | bytes[k + 1] << 8));
  }
  return text;
}

void CheckAnyText(const Text& original) {
  Text record = original;
  Text name = u"unchanged";
  ByteBuffer out = fuzz::Sentinel();
  const ConvertResult result = clsConvert().UuencodeToSJis(out, record, name);
  FUZZ_CHECK(original.ends_with(record));
  if (!result.ok() || out == fuzz::Sentinel()) {
    FUZZ_CHECK(out == fuzz::Sentinel());  // a failure leaves the buffer as handed over
  } else {
    FUZZ_CHECK(result.count == out.size() && !out.empty());
  }
}

// The traditional form: 45 bytes a line behind "M", a shorter last line, a zero-length line.
Text Uuencoded(std::span<const std::uint8_t> bytes, char16_t zero, std::u16string_view line_end) {
  const auto symbol = [zero](unsigned v) { return v == 0 ? zero : static_cast<char16_t>(v + 32); };
  Text text = u"begin 644 Photo.TXT";
  text += line_end;
  for (std::size_t k = 0; k < bytes.size(); k += 45) {
    const std::size_t count = std::min<std::size_t>(45, bytes.size() - k);
    text += symbol(static_cast<unsigned>(count));
    for (std::size_t g = 0; g < count; g += 3) {
      const unsigned b0 = bytes[k + g];
      const unsigned b1 = g + 1 < count ? bytes[k + g + 1] : 0;
      const unsigned b2 = g + 2 < count ? bytes[k + g + 2] : 0;
      text += symbol(b0 >> 2);
      text += symbol((b0 << 4 | b1 >> 4) & 0x3F);
      text += symbol((b1 << 2 | b2 >> 6) & 0x3F);
      text += symbol(b2 & 0x3F);
    }
    text += line_end;
  }
  text += zero;
  text += line_end;
  text += u"end";
  text += line_end;
  return text;
}

void CheckEncodedBlock(fuzz::Choices& choices) {
  const char16_t zero = (choices.Byte() & 1) != 0 ? u'`' : u' ';
  const std::u16string_view line_end = (choices.Byte() & 1) != 0 ? u"\n" : u"\r\n";
  const std::span<const std::uint8_t> body = choices.Rest();
  Text record = Uuencoded(body, zero, line_end);
  // A data line that happens to hold "end" ends the block early; that is how the format is read.
  const std::size_t data_start = record.find(line_end) + line_end.size();
  if (record.find(u"end", data_start) < record.size() - 3 - line_end.size()) {
    return;
  }
  const Text file = record;
  Text name;
  ByteBuffer out;
  FUZZ_CHECK(clsConvert().UuencodeToSJis(out, record, name).ok());
  FUZZ_CHECK(fuzz::ThroughFrontDoor(file, 10) == TextToBytes(BytesToText(out)));
  FUZZ_CHECK(name == u"photo.txt");
  FUZZ_CHECK(out == (body.empty() ? ByteBuffer{0x00} : ByteBuffer(body.begin(), body.end())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices choices(data, size);
  switch (choices.Byte() % 3) {
    case 0:
      CheckAnyText(RecordFrom(choices.Rest(), false));
      fuzz::CheckReadInPlace(choices.Rest(), 10);
      break;
    case 1:
      CheckAnyText(RecordFrom(choices.Rest(), true));
      break;
    default:
      CheckEncodedBlock(choices);
      break;
  }
  return 0;
}
