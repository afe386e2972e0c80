// Byte buffers and wide text, the two currencies of the conversion engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillora {

// A growable array of unsigned bytes indexed from 0; output buffers are handed over holding one
// zero byte.
using ByteBuffer = std::vector<std::uint8_t>;

// The platform's wide-character text: UTF-16 code units.
using Text = std::u16string;

}  // namespace quillora
