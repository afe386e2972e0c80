// Decoding by decode type.
#include "app/decode_file.h"

#include <utility>

#include "convert/decode_types.h"
#include "convert/front_door.h"
#include "io/file_reading.h"
#include "io/large_buffer.h"
#include "mail/mail_reader.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora {
namespace {

ByteBuffer ReadWholeMail(const ByteBuffer& input, DecodeNotes* notes) {
  mail::MailReading reading = mail::ReadMail(input);
  ByteBuffer cp932;
  AppendTextAsBytes(reading.text, cp932);
  if (notes != nullptr) {
    notes->charsets = std::move(reading.charsets);
    notes->transfer_encodings = std::move(reading.transfer_encodings);
    notes->repairs = reading.events.size();
  }
  return cp932;
}

}  // namespace

std::optional<int> DecodeTypeOf(const Text& strDecodeType) {
  if (strDecodeType.size() != 1 || strDecodeType[0] < u'0' ||
      strDecodeType[0] >= u'0' + kDecodeTypeCount) {
    return std::nullopt;
  }
  return strDecodeType[0] - u'0';
}

ByteBuffer DecodeBytes(ByteBuffer input, Text& strFileName, int decode_type, DecodeNotes* notes) {
  const DecodeType& type = *DecodeTypeAt(decode_type);
  if (type.whole_mail) {
    return ReadWholeMail(input, notes);
  }
  ByteBuffer decoded;
  // No decoding makes more text than it reads, near enough: one allocation instead of a string of
  // copies as the result grows.
  ReserveLarge(decoded, input.size() + 4096);
  StreamOutput out(StreamOutput::AppendTo(decoded));
  const Conversion conversion =
      ConvertBytes(std::move(input), strFileName, type.mode, 0, Product::cp932_text, out);
  out.Finish();
  if (notes != nullptr) {
    notes->stopped_at = conversion.stopped_at;
  }
  return decoded;
}

ByteBuffer DecodeFile(Text& strFileName, const Text& strDecodeType, DecodeNotes* notes) {
  const std::optional<int> decode_type = DecodeTypeOf(strDecodeType);
  if (!decode_type) {
    return {};
  }
  const std::optional<std::string> name = FileNameToUtf8(strFileName);
  std::optional<ByteBuffer> input = name ? ReadWholeFile(*name) : std::nullopt;
  if (!input) {
    return {};
  }
  return DecodeBytes(std::move(*input), strFileName, *decode_type, notes);
}

}  // namespace quillora
