// quillora-convert: runs the conversion engine's front door on one file from the command line.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "arguments.h"
#include "command_input.h"
#include "convert/front_door.h"
#include "convert/stream_output.h"
#include "guess_command.h"
#include "io/atomic_file.h"
#include "io/file_reading.h"
#include "io/large_buffer.h"
#include "io/mapped_file.h"
#include "mail_command.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora::convert_cli {
namespace {

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
      written_ += static_cast<std::size_t>(wrote);
    }
    return true;
  }
  [[nodiscard]] int error() const { return error_; }
  // Bytes written since the start or since the output was taken back.
  [[nodiscard]] std::size_t written() const { return written_; }
  // After the output was taken back, nothing went wrong and nothing is written.
  void Forget() {
    error_ = 0;
    written_ = 0;
  }
  // An error as a write's.
  void Fail(int error) { error_ = error; }

 private:
  int fd_;
  int error_ = 0;
  std::size_t written_ = 0;
};

// Where standard output can be cut back to after writing: a regular file that ends where this
// output starts. Elsewhere (a pipe, a terminal, the middle of a file) what is written stays.
std::optional<off_t> TruncatableStart(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  const bool appends = flags >= 0 && (flags & O_APPEND) != 0;
  if (!appends && ::lseek(fd, 0, SEEK_CUR) != status.st_size) {
    return std::nullopt;
  }
  return status.st_size;
}

int ComplainUnreadable(const Request& request) {
  Complain((request.input == "-" ? std::string("standard input") : request.input) +
           " cannot be read");
  return kFailed;
}

int ComplainUnwritable(int error) {
  Complain("cannot write to standard output: " + std::generic_category().message(error));
  return kFailed;
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

// Where the output goes: standard output or the -o file, a piece at a time as it is made.
class Destination {
 public:
  explicit Destination(const Request& request) : writer_(STDOUT_FILENO) {
    if (request.output) {
      file_.emplace(*request.output);
    } else {
      start_ = TruncatableStart(STDOUT_FILENO);
    }
  }

  // An -o file that cannot be written is known before any work is done.
  [[nodiscard]] bool Usable() { return !file_ || file_->Write({}); }
  bool operator()(std::span<const std::uint8_t> bytes) {
    return file_ ? file_->Write(bytes) : writer_(bytes);
  }
  [[nodiscard]] bool CanTakeBack() const {
    return file_ ? file_->CanRestart() : start_.has_value();
  }
  // Everything written so far is gone, and with it any error in writing it.
  bool TakeBack() {
    if (file_) {
      return file_->Restart();
    }
    // A file that another program wrote to as well would lose its bytes: ours then stay.
    struct stat status {};
    if (::fstat(STDOUT_FILENO, &status) != 0 ||
        status.st_size != *start_ + static_cast<off_t>(writer_.written())) {
      shared_ = true;
      return false;
    }
    writer_.Forget();
    if (::ftruncate(STDOUT_FILENO, *start_) != 0 || ::lseek(STDOUT_FILENO, *start_, SEEK_SET) < 0) {
      writer_.Fail(errno);
      return false;
    }
    return true;
  }
  // Puts the -o file in place; false, said in words, when anything failed.
  [[nodiscard]] bool Close() {
    if (shared_) {
      Complain(
          "the output written before the failure stays in the standard output: another "
          "program wrote to the same file meanwhile");
      return false;
    }
    if (!file_) {
      return writer_.error() == 0 || ComplainUnwritable(writer_.error()) == kDone;
    }
    const std::string problem = file_->Commit();
    if (!problem.empty()) {
      Complain(problem);
    }
    return problem.empty();
  }

 private:
  DescriptorWriter writer_;
  std::optional<AtomicFile> file_;
  std::optional<off_t> start_;
  bool shared_ = false;
};

// Runs the request. The output streams a piece at a time, except UTF-8, which is made from the
// whole text.
int Run(const Request& request) {
  const Product product = request.bytes ? Product::converter_bytes : Product::cp932_text;
  // Modes that read their input once are given the file's pages as they are, not a copy.
  std::optional<MappedFile> mapped;
  if (request.input != "-" && ConvertsView(request.mode, product)) {
    mapped = MappedFile::Open(request.input);
    ExitWhenMappedFileShrinks(kFailed,
                              "quillora-convert: the input was cut short while it was read\n");
  }
  Text name;
  std::optional<ByteBuffer> input;
  if (!mapped) {
    input = ReadInput(request, name);
    if (!input) {
      return ComplainUnreadable(request);
    }
  }
  std::fflush(stdout);
  Destination destination(request);
  if (!destination.Usable()) {
    return destination.Close() ? kDone : kFailed;
  }
  const bool utf8 = request.encoding == OutputEncoding::utf8;
  ByteBuffer whole;
  if (utf8) {
    // About the size it will have; a mapped input leaves `input` empty.
    ReserveLarge(whole, (mapped ? mapped->bytes().size() : input->size()) + 4096);
  }
  StreamOutput::TakeBack take_back;
  if (utf8) {
    take_back = StreamOutput::TakeBackFrom(whole);
  } else if (destination.CanTakeBack()) {
    take_back = [&destination] { return destination.TakeBack(); };
  }
  StreamOutput out(
      utf8 ? StreamOutput::AppendTo(whole) : StreamOutput::Deliver(std::ref(destination)),
      std::move(take_back));
  const Conversion conversion =
      mapped ? ConvertView(mapped->bytes(), request.mode, product, out)
             : ConvertBytes(std::move(*input), name, request.mode, request.option, product, out);
  bool written = out.Finish();
  if (utf8) {
    ByteBuffer text;
    AppendTextAsUtf8(BytesToText(whole), text);
    whole = ByteBuffer();
    written = destination(text);
  }
  if (!destination.Close() || !written) {
    return kFailed;
  }
  if (conversion.stopped_at) {
    Complain("warning: the conversion stopped at byte " + std::to_string(*conversion.stopped_at) +
             "; the output holds what came before it");
    return request.strict ? kRepaired : kDone;
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
