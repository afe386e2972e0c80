// Decoding by decode type: the step from the Decode menu and the batch run to the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "text/byte_buffer.h"

namespace quillora {

// The conversion mode for a decode type written as the Decode menu writes its index: exactly "0"
// to "4"; any other text ("00", "5", "") gives none.
[[nodiscard]] std::optional<std::int16_t> ConversionModeOf(const Text& strDecodeType);

// The text of the file decoded by decode type, as the code page 932 bytes that a saved result
// holds; empty when nothing was converted or the file cannot be read. A uuencode decoding replaces
// strFileName with the begin line's name. When the decoding stopped early (the result then holds
// what came before), stopped_at receives the input byte where it stopped.
[[nodiscard]] ByteBuffer DecodeFile(Text& strFileName, const Text& strDecodeType,
                                    std::optional<std::size_t>* stopped_at = nullptr);

// The same on bytes already read; strFileName names them.
[[nodiscard]] ByteBuffer DecodeBytes(ByteBuffer input, Text& strFileName, std::int16_t mode,
                                     std::optional<std::size_t>* stopped_at = nullptr);

}  // namespace quillora
