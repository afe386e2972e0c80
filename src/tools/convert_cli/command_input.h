// What every command of quillora-convert shares: its exit statuses, its messages, its input and
// output.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "io/mapped_file.h"
#include "text/byte_buffer.h"

namespace quillora::convert_cli {

constexpr int kDone = 0;
constexpr int kFailed = 1;  // the input cannot be read or the output cannot be written
constexpr int kUsage = 2;
constexpr int kRepaired = 3;  // --strict: the conversion stopped early or repaired the text

// One line on standard error, named after the program.
void Complain(const std::string& message);

// A command's input: a file's pages where it can be mapped, else its bytes read into memory.
class CommandInput {
 public:
  explicit CommandInput(MappedFile mapped) : mapped_(std::move(mapped)) {}
  explicit CommandInput(ByteBuffer read) : read_(std::move(read)) {}
  [[nodiscard]] std::span<const std::uint8_t> bytes() const {
    return mapped_ ? mapped_->bytes() : std::span<const std::uint8_t>(read_);
  }

 private:
  std::optional<MappedFile> mapped_;
  ByteBuffer read_;
};

// The named file, or standard input for "-"; nullopt (after a message) when it cannot be read.
[[nodiscard]] std::optional<CommandInput> ReadCommandInput(const std::string& name);

// False (after a message) when standard output cannot take the bytes.
[[nodiscard]] bool WriteToStandardOutput(const ByteBuffer& bytes);

}  // namespace quillora::convert_cli
