#include "command_input.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "io/file_reading.h"
#include "text/utf8.h"

namespace quillora::convert_cli {

void Complain(const std::string& message) {
  std::fprintf(stderr, "quillora-convert: %s\n", message.c_str());
}

std::optional<CommandInput> ReadCommandInput(const std::string& name) {
  std::optional<ByteBuffer> input;
  if (name == "-") {
    input = ReadStandardInput();
  } else if (const std::optional<Text> path = TextFromUtf8(name)) {
    if (std::optional<MappedFile> mapped = MappedFile::Open(NativePath(*path))) {
      ExitWhenMappedFileShrinks(kFailed,
                                "quillora-convert: the input was cut short while it was read\n");
      return CommandInput(std::move(*mapped));
    }
    input = ReadWholeFile(NativePath(*path));
  }
  if (!input) {
    Complain((name == "-" ? std::string("standard input") : name) + " cannot be read");
    return std::nullopt;
  }
  return CommandInput(std::move(*input));
}

bool WriteToStandardOutput(const ByteBuffer& bytes) {
  const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  if (std::fflush(stdout) == 0 && wrote) {
    return true;
  }
  Complain("cannot write to standard output: " + std::generic_category().message(errno));
  return false;
}

}  // namespace quillora::convert_cli
