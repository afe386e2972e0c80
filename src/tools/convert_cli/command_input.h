// What every command of quillora-convert shares: its exit statuses, its messages, its input and
// output.
#pragma once

#include <optional>
#include <string>

#include "text/byte_buffer.h"

namespace quillora::convert_cli {

constexpr int kDone = 0;
constexpr int kFailed = 1;  // the input cannot be read or the output cannot be written
constexpr int kUsage = 2;
constexpr int kRepaired = 3;  // --strict: the conversion stopped early or repaired the text

// One line on standard error, named after the program.
void Complain(const std::string& message);

// The named file, or standard input for "-"; nullopt (after a message) when it cannot be read.
[[nodiscard]] std::optional<ByteBuffer> ReadCommandInput(const std::string& name);

// False (after a message) when standard output cannot take the bytes.
[[nodiscard]] bool WriteToStandardOutput(const ByteBuffer& bytes);

}  // namespace quillora::convert_cli
