// Decoding a file by decode type: the step from the Decode menu to the conversion engine.
#pragma once

#include <cstdint>
#include <optional>

#include "text/byte_buffer.h"

namespace quillora {

// The conversion mode for a decode type written as text: exactly "0" to "4" give 1, 8, 10, 9 and
// 11; any other text ("00", "5", "") gives none.
[[nodiscard]] std::optional<std::int16_t> ConversionModeOf(const Text& strDecodeType);

// The text of the file decoded by decode type, as the code page 932 bytes that a saved result
// holds (TextToBytes of the text KanjiConv returns, made without building the text); empty when
// nothing was converted. A uuencode decoding replaces strFileName with the begin line's name.
[[nodiscard]] ByteBuffer DecodeFile(Text& strFileName, const Text& strDecodeType);

}  // namespace quillora
