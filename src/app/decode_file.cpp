// Decoding a file by decode type.
#include "app/decode_file.h"

#include <array>
#include <filesystem>

#include "app/paths.h"
#include "convert/cp932_sink.h"
#include "convert/front_door.h"
#include "io/large_buffer.h"

namespace quillora {

std::optional<std::int16_t> ConversionModeOf(const Text& strDecodeType) {
  // JIS, EUC, UUENCODE, MIME(BASE64), UNICODE, by decode type.
  constexpr std::array<std::int16_t, 5> kModes{1, 8, 10, 9, 11};
  if (strDecodeType.size() != 1 || strDecodeType[0] < u'0' || strDecodeType[0] > u'4') {
    return std::nullopt;
  }
  return kModes[static_cast<std::size_t>(strDecodeType[0] - u'0')];
}

ByteBuffer DecodeFile(Text& strFileName, const Text& strDecodeType) {
  const std::optional<std::int16_t> mode = ConversionModeOf(strDecodeType);
  if (!mode) {
    return {};
  }
  ByteBuffer decoded;
  // No decoding makes more text than it reads, near enough: one allocation instead of a string of
  // copies as the result grows.
  std::error_code unknown_size;
  ReserveLarge(decoded,
               static_cast<std::size_t>(
                   std::filesystem::file_size(NativePath(strFileName), unknown_size) + 4096));
  Cp932Sink sink([&decoded](std::span<const std::uint8_t> piece) {
    decoded.insert(decoded.end(), piece.begin(), piece.end());
    return true;
  });
  if (!RunFrontDoorToCp932(strFileName, *mode, 0, sink)) {
    return {};
  }
  sink.Finish();
  return decoded;
}

}  // namespace quillora
