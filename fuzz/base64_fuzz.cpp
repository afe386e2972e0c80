// clsConvert::Base64ToSJis on any text, and on mail whose body a standard encoder wrote: there the
// body must come back as the bytes encoded.
#include <string_view>

#include "convert/clsConvert.h"
#include "converter_properties.h"
#include "front_door_run.h"
#include "text/cp932_codec.h"

namespace {

using namespace quillora;

// Any UTF-16 units, lone surrogates included, or code page 932 text as a file would give it.
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

Text Base64Lines(std::span<const std::uint8_t> bytes, std::size_t symbols_per_line,
                 std::u16string_view line_end) {
  static constexpr char16_t kAlphabet[] =
      u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  Text symbols;
  for (std::size_t k = 0; k < bytes.size(); k += 3) {
    const std::size_t left = bytes.size() - k;
    const unsigned group = unsigned{bytes[k]} << 16 |
                           (left > 1 ? unsigned{bytes[k + 1]} << 8 : 0U) |
                           (left > 2 ? unsigned{bytes[k + 2]} : 0U);
    symbols += kAlphabet[group >> 18 & 0x3F];
    symbols += kAlphabet[group >> 12 & 0x3F];
    symbols += left > 1 ? kAlphabet[group >> 6 & 0x3F] : u'=';
    symbols += left > 2 ? kAlphabet[group & 0x3F] : u'=';
  }
  Text lines;
  for (std::size_t k = 0; k < symbols.size(); k += symbols_per_line) {
    lines += symbols.substr(k, symbols_per_line);
    lines += line_end;
  }
  return lines;
}

void CheckAnyText(const Text& original) {
  Text record = original;
  ByteBuffer out = fuzz::Sentinel();
  clsConvert().Base64ToSJis(out, record);
  // Only a header is consumed, and it comes out first, as it was.
  FUZZ_CHECK(original.ends_with(record));
  const Text header = original.substr(0, original.size() - record.size());
  const ByteBuffer header_bytes = TextToBytes(header);
  FUZZ_CHECK(out.size() >= header_bytes.size());
  FUZZ_CHECK(std::equal(header_bytes.begin(), header_bytes.end(), out.begin()));
  // Mail that never names the encoding is no Base64 mail: the text comes out as it is.
  Text lowered = original;
  for (char16_t& c : lowered) {
    c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
  }
  if (lowered.find(u"content-transfer-encoding") == Text::npos ||
      lowered.find(u"base64") == Text::npos) {
    FUZZ_CHECK(record == original);
    FUZZ_CHECK(out == TextToBytes(original));
  }
}

void CheckEncodedMail(fuzz::Choices& choices) {
  const std::u16string_view line_end = (choices.Byte() & 1) != 0 ? u"\n" : u"\r\n";
  const std::size_t per_line = 4 + choices.Byte() % 96;
  const bool lower_case = (choices.Byte() & 1) != 0;
  const std::span<const std::uint8_t> body = choices.Rest();

  Text header =
      lower_case ? u"content-transfer-encoding: base64" : u"Content-Transfer-Encoding: Base64";
  header += line_end;
  Text record = header + Text(line_end) + Base64Lines(body, per_line, line_end);
  ByteBuffer out;
  const Text file = record;
  clsConvert().Base64ToSJis(out, record);
  FUZZ_CHECK(fuzz::ThroughFrontDoor(file, 9) == out);

  ByteBuffer expected = TextToBytes(header + Text(line_end));
  // What KanjiConv makes of the decoded bytes: their text, encoded again.
  const ByteBuffer decoded = body.empty() ? ByteBuffer{0x00} : TextToBytes(BytesToText(body));
  expected.insert(expected.end(), decoded.begin(), decoded.end());
  FUZZ_CHECK(out == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices choices(data, size);
  switch (choices.Byte() % 3) {
    case 0:
      CheckAnyText(RecordFrom(choices.Rest(), false));
      fuzz::CheckReadInPlace(choices.Rest(), 9);
      break;
    case 1:
      CheckAnyText(RecordFrom(choices.Rest(), true));
      break;
    default:
      CheckEncodedMail(choices);
      break;
  }
  return 0;
}
