// Decoding by decode type.
#include "app/decode_file.h"

#include <utility>

#include "convert/decode_types.h"
#include "convert/front_door.h"
#include "io/file_reading.h"
#include "io/large_buffer.h"
#include "text/utf8.h"

namespace quillora {

std::optional<std::int16_t> ConversionModeOf(const Text& strDecodeType) {
  if (strDecodeType.size() != 1 || strDecodeType[0] < u'0' ||
      strDecodeType[0] >= u'0' + kDecodeTypeCount) {
    return std::nullopt;
  }
  return DecodeTypeAt(strDecodeType[0] - u'0')->mode;
}

ByteBuffer DecodeBytes(ByteBuffer input, Text& strFileName, std::int16_t mode,
                       std::optional<std::size_t>* stopped_at) {
  ByteBuffer decoded;
  // No decoding makes more text than it reads, near enough: one allocation instead of a string of
  // copies as the result grows.
  ReserveLarge(decoded, input.size() + 4096);
  StreamOutput out(StreamOutput::AppendTo(decoded));
  const Conversion conversion =
      ConvertBytes(std::move(input), strFileName, mode, 0, Product::cp932_text, out);
  out.Finish();
  if (stopped_at != nullptr) {
    *stopped_at = conversion.stopped_at;
  }
  return decoded;
}

ByteBuffer DecodeFile(Text& strFileName, const Text& strDecodeType,
                      std::optional<std::size_t>* stopped_at) {
  const std::optional<std::int16_t> mode = ConversionModeOf(strDecodeType);
  if (!mode) {
    return {};
  }
  const std::optional<std::string> name = FileNameToUtf8(strFileName);
  std::optional<ByteBuffer> input = name ? ReadWholeFile(*name) : std::nullopt;
  if (!input) {
    return {};
  }
  return DecodeBytes(std::move(*input), strFileName, *mode, stopped_at);
}

}  // namespace quillora
