// The front door: runs the converter that belongs to a conversion mode and hands on its result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "convert/stream_output.h"
#include "text/byte_buffer.h"

namespace quillora {

// What a conversion hands on.
enum class Product {
  // The result as code page 932 text: the bytes TextToBytes makes of the text KanjiConv returns,
  // made without the text where the converters' bytes allow.
  cp932_text,
  // The bytes the result was made from: the converter's output where a converter ran, the input
  // where the mode passes it through, the code page 932 text for modes 8 and 11, nothing for modes
  // without conversion.
  converter_bytes,
};

// How a conversion went.
struct Conversion {
  bool read = true;  // false: the file could not be read, and nothing was converted
  // A converter failed at this byte of the input: the result holds what it produced before.
  std::optional<std::size_t> stopped_at;
};

// Converts input, read elsewhere (standard input), by conversion mode and option into out.
// strFileName names the input; mode 10 replaces it with the name on the begin line.
Conversion ConvertBytes(ByteBuffer input, Text& strFileName, std::int16_t intConversionMode,
                        std::int16_t intOption, Product product, StreamOutput& out);

// Whether ConvertView can run a mode: the modes that read their input once, front to back,
// without changing or keeping it (1 as code page 932 text, 8, 9, 10, 11).
[[nodiscard]] bool ConvertsView(std::int16_t intConversionMode, Product product);

// ConvertBytes for a mode of ConvertsView, on bytes that stay the caller's and are followed by a
// zero byte (input.data()[input.size()] == 0), such as a MappedFile's.
Conversion ConvertView(std::span<const std::uint8_t> input, std::int16_t intConversionMode,
                       Product product, StreamOutput& out);

// The same on the file strFileName, read whole.
Conversion ConvertFile(Text& strFileName, std::int16_t intConversionMode, std::int16_t intOption,
                       Product product, StreamOutput& out);

}  // namespace quillora
