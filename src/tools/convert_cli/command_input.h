// Input and output shared by the mail and guess commands.
#pragma once

#include <optional>
#include <string>

#include "text/byte_buffer.h"

namespace quillora::convert_cli {

void Complain(const std::string& message);

// The named file, or standard input for "-"; nullopt (after a message) when it cannot be read.
[[nodiscard]] std::optional<ByteBuffer> ReadCommandInput(const std::string& name);

// False (after a message) when standard output cannot take the bytes.
[[nodiscard]] bool WriteToStandardOutput(const ByteBuffer& bytes);

}  // namespace quillora::convert_cli
