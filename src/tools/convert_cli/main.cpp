// quillora-convert: runs the conversion engine's front door on one file from the command line.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <new>
#include <span>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "arguments.h"
#include "guess_command.h"
#include "mail_command.h"
#include "io/atomic_file.h"
#include "io/file_reading.h"
#include "text/cp932_codec.h"
#include "convert/cp932_sink.h"
#include "convert/front_door.h"
#include "io/large_buffer.h"
#include "text/utf8.h"

namespace quillora::convert_cli {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

void Complain(const std::string& message) {
  std::fprintf(stderr, "quillora-convert: %s\n", message.c_str());
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
  const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  return std::fflush(stdout) == 0 && wrote;
}

FrontDoorOutcome Convert(const Request& request) {
  Text name = u"-";
  if (request.input == "-") {
    std::optional<ByteBuffer> input = ReadStandardInput();
    if (!input) {
      return {};
    }
    return RunFrontDoorOnBytes(std::move(*input), name, request.mode, request.option);
  }
  std::optional<Text> path = TextFromUtf8(request.input);
  if (!path) {
    return {};  // a name that is not UTF-8 names no file the engine can reach
  }
  return RunFrontDoor(*path, request.mode, request.option);
}

// The code page 932 text made straight from the converters' bytes, without the text in between;
// false when the input cannot be read.
bool ConvertToCp932(const Request& request, Cp932Sink& sink) {
  Text name = u"-";
  if (request.input == "-") {
    std::optional<ByteBuffer> input = ReadStandardInput();
    return input &&
           RunFrontDoorOnBytesToCp932(std::move(*input), name, request.mode, request.option, sink);
  }
  std::optional<Text> path = TextFromUtf8(request.input);
  return path && RunFrontDoorToCp932(*path, request.mode, request.option, sink);
}

// Writes each piece straight to the descriptor; remembers the first error.
class DescriptorWriter {
 public:
  explicit DescriptorWriter(int fd) : fd_(fd) {}
  bool operator()(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
      const ssize_t wrote = ::write(fd_, bytes.data(), bytes.size());
      if (wrote < 0 && errno == EINTR) {
        continue;
      }
      if (wrote <= 0) {
        error_ = wrote < 0 ? errno : EIO;
        return false;
      }
      bytes = bytes.subspan(static_cast<std::size_t>(wrote));
    }
    return true;
  }
  [[nodiscard]] int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
};

int ComplainUnreadable(const Request& request) {
  Complain((request.input == "-" ? std::string("standard input") : request.input) +
           " cannot be read");
  return kFailed;
}

int ComplainUnwritable(int error) {
  Complain("cannot write to standard output: " + std::generic_category().message(error));
  return kFailed;
}

// Replaces the -o file whole with bytes.
int WriteOutputFile(const std::string& name, const ByteBuffer& bytes) {
  const std::string problem = WriteFileAtomically(name, bytes);
  if (!problem.empty()) {
    Complain(problem);
    return kFailed;
  }
  return kDone;
}

// The default output, code page 932 text, made and written a piece at a time.
int RunCp932(const Request& request) {
  if (request.output) {
    // Held whole for the atomic write: reserved once, at about the size it will have.
    ByteBuffer out;
    std::error_code unknown_size;
    const std::uintmax_t input_size =
        request.input == "-" ? 0 : std::filesystem::file_size(request.input, unknown_size);
    ReserveLarge(out, static_cast<std::size_t>(unknown_size ? 0 : input_size) + 4096);
    Cp932Sink sink([&out](std::span<const std::uint8_t> piece) {
      out.insert(out.end(), piece.begin(), piece.end());
      return true;
    });
    if (!ConvertToCp932(request, sink)) {
      return ComplainUnreadable(request);
    }
    (void)sink.Finish();
    return WriteOutputFile(*request.output, out);
  }
  std::fflush(stdout);
  DescriptorWriter writer(STDOUT_FILENO);
  Cp932Sink sink(std::ref(writer), std::size_t{1} << 20);
  if (!ConvertToCp932(request, sink)) {
    return ComplainUnreadable(request);
  }
  if (!sink.Finish()) {
    return ComplainUnwritable(writer.error());
  }
  return kDone;
}

int Run(const Request& request) {
  if (!request.bytes && request.encoding == OutputEncoding::cp932) {
    return RunCp932(request);
  }
  FrontDoorOutcome outcome = Convert(request);
  if (!outcome.file_read) {
    return ComplainUnreadable(request);
  }
  const ByteBuffer out = OutputBytes(outcome, request);

  if (request.output) {
    return WriteOutputFile(*request.output, out);
  }
  if (!WriteStandardOutput(out)) {
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
  if (!arguments.empty() && (arguments[0] == "mail" || arguments[0] == "guess")) {
    const auto rest = std::span(arguments).subspan(1);
    return arguments[0] == "mail" ? RunMailCommand(rest) : RunGuessCommand(rest);
  }
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
