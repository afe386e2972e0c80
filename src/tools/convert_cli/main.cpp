// quillora-convert: runs the conversion engine's front door on one file from the command line.
#include <cerrno>
#include <cstdio>
#include <new>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "arguments.h"
#include "convert/atomic_file.h"
#include "convert/cp932_codec.h"
#include "convert/front_door.h"
#include "convert/utf8.h"

namespace quillora::convert_cli {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

void Complain(const std::string& message) {
  std::fprintf(stderr, "quillora-convert: %s\n", message.c_str());
}

std::optional<ByteBuffer> ReadStandardInput() {
  constexpr std::size_t kChunk = std::size_t{64} * 1024;
  ByteBuffer bytes(kChunk);
  std::size_t filled = 0;
  for (;;) {
    filled += std::fread(bytes.data() + filled, 1, bytes.size() - filled, stdin);
    if (filled < bytes.size()) {
      break;
    }
    bytes.resize(bytes.size() * 2);
  }
  if (std::ferror(stdin) != 0) {
    return std::nullopt;
  }
  bytes.resize(filled);
  bytes.reserve(filled + 1);  // room for a converter's guard byte
  return bytes;
}

ByteBuffer OutputBytes(FrontDoorOutcome& outcome, const Request& request) {
  if (request.bytes) {
    return std::move(outcome.bytes);
  }
  ByteBuffer out;
  if (request.encoding == OutputEncoding::utf8) {
    AppendTextAsUtf8(outcome.text, out);
  } else {
    AppendTextAsBytes(outcome.text, out);
  }
  return out;
}

// One large write; stdio hands a block this size straight to the system.
bool WriteStandardOutput(const ByteBuffer& bytes) {
  const bool wrote =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  return std::fflush(stdout) == 0 && wrote;
}

FrontDoorOutcome Convert(const Request& request) {
  if (request.input == "-") {
    std::optional<ByteBuffer> input = ReadStandardInput();
    if (!input) {
      return {};
    }
    Text name = u"-";
    return RunFrontDoorOnBytes(std::move(*input), name, request.mode, request.option);
  }
  std::optional<Text> path = TextFromUtf8(request.input);
  if (!path) {
    return {};  // a name that is not UTF-8 names no file the engine can reach
  }
  return RunFrontDoor(*path, request.mode, request.option);
}

int Run(const Request& request) {
  FrontDoorOutcome outcome = Convert(request);
  if (!outcome.file_read) {
    Complain((request.input == "-" ? std::string("standard input") : request.input) +
             " cannot be read");
    return kFailed;
  }
  const ByteBuffer out = OutputBytes(outcome, request);

  if (request.output) {
    const std::optional<Text> path = TextFromUtf8(*request.output);
    const std::string problem = path ? WriteFileAtomically(*path, out)
                                     : "cannot write '" + *request.output + "': invalid name";
    if (!problem.empty()) {
      Complain(problem);
      return kFailed;
    }
  } else if (!WriteStandardOutput(out)) {
    Complain("cannot write to standard output: " + std::generic_category().message(errno));
    return kFailed;
  }
  return kDone;
}

}  // namespace
}  // namespace quillora::convert_cli

int main(int argc, char** argv) {
  using namespace quillora::convert_cli;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const Command command = ParseArguments(arguments);
  if (const auto* error = std::get_if<UsageError>(&command)) {
    Complain(error->message);
    std::fputs("Try 'quillora-convert --help'.\n", stderr);
    return kUsage;
  }
  if (std::holds_alternative<ShowHelp>(command)) {
    std::fputs(UsageText().c_str(), stdout);
    return kDone;
  }
  if (std::holds_alternative<ShowVersion>(command)) {
    std::puts("quillora-convert " QUILLORA_VERSION_TEXT);
    return kDone;
  }
  try {
    return Run(std::get<Request>(command));
  } catch (const std::bad_alloc&) {
    Complain("not enough memory for this file");
    return kFailed;
  }
}
