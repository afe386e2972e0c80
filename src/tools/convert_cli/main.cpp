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
#include "convert/front_door.h"
#include "convert/stream_output.h"
#include "io/atomic_file.h"
#include "io/file_reading.h"
#include "io/large_buffer.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora::convert_cli {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kStopped = 3;

void Complain(const std::string& message) {
  std::fprintf(stderr, "quillora-convert: %s\n", message.c_str());
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

// The input's bytes, and the name mode 10 is given (the file name as text, for a caption).
std::optional<ByteBuffer> ReadInput(const Request& request, Text& name) {
  if (request.input == "-") {
    name = u"-";
    return ReadStandardInput();
  }
  // The name is read as the bytes the system gave, whatever their encoding.
  name = TextFromFileName(request.input);
  return ReadWholeFile(request.input);
}

// Runs the request. The output streams to standard output a piece at a time, except where it must
// be held whole: for the atomic write of -o, and for UTF-8, which is made from the whole text.
int Run(const Request& request) {
  Text name;
  std::optional<ByteBuffer> input = ReadInput(request, name);
  if (!input) {
    return ComplainUnreadable(request);
  }
  const bool held = request.output || request.encoding == OutputEncoding::utf8;
  ByteBuffer whole;
  if (held) {
    ReserveLarge(whole, input->size() + 4096);  // about the size it will have
  }
  std::fflush(stdout);
  DescriptorWriter writer(STDOUT_FILENO);
  StreamOutput out(held ? StreamOutput::AppendTo(whole) : StreamOutput::Deliver(std::ref(writer)));
  const Conversion conversion =
      ConvertBytes(std::move(*input), name, request.mode, request.option,
                   request.bytes ? Product::converter_bytes : Product::cp932_text, out);
  if (!out.Finish()) {
    return ComplainUnwritable(writer.error());
  }
  // Said once the output is complete, whatever follows, so that it is never lost.
  const int done = conversion.stopped_at && request.strict ? kStopped : kDone;
  if (conversion.stopped_at) {
    Complain("warning: the conversion stopped at byte " +
             std::to_string(*conversion.stopped_at) + "; the output holds what came before it");
  }
  if (!held) {
    return done;
  }
  if (request.encoding == OutputEncoding::utf8) {
    ByteBuffer utf8;
    AppendTextAsUtf8(BytesToText(whole), utf8);
    whole = std::move(utf8);
  }
  if (request.output) {
    return WriteOutputFile(*request.output, whole) == kDone ? done : kFailed;
  }
  if (!writer(whole)) {
    return ComplainUnwritable(writer.error());
  }
  return done;
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
