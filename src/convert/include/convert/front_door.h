// The front door's work in detail: the text KanjiConv returns and the bytes it was made from.
#pragma once

#include <cstdint>
#include <optional>

#include "text/byte_buffer.h"
#include "convert/cp932_sink.h"

namespace quillora {

struct FrontDoorOutcome {
  Text text;         // what KanjiConv returns
  ByteBuffer bytes;  // the bytes the text was made from (empty for modes without conversion)
  bool file_read = false;
};

// KanjiConv with its intermediate bytes; strFileName is passed through by reference (mode 10).
[[nodiscard]] FrontDoorOutcome RunFrontDoor(Text& strFileName, std::int16_t intConversionMode,
                                            std::int16_t intOption);

// The same on bytes read elsewhere (standard input); strFileName only names them.
[[nodiscard]] FrontDoorOutcome RunFrontDoorOnBytes(ByteBuffer input, Text& strFileName,
                                                   std::int16_t intConversionMode,
                                                   std::int16_t intOption);

// KanjiConv's text as code page 932, handed to sink: the bytes TextToBytes makes of the text, made
// without the text where the converters' bytes allow (quillora-convert's output). False when the
// file cannot be read.
[[nodiscard]] bool RunFrontDoorToCp932(Text& strFileName, std::int16_t intConversionMode,
                                       std::int16_t intOption, Cp932Sink& sink);

// The same on bytes read elsewhere.
[[nodiscard]] bool RunFrontDoorOnBytesToCp932(ByteBuffer input, Text& strFileName,
                                              std::int16_t intConversionMode,
                                              std::int16_t intOption, Cp932Sink& sink);

}  // namespace quillora
