#include "mail_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <vector>

#include "command_input.h"
#include "io/atomic_file.h"
#include "mail/attachment_files.h"
#include "mail/mail_reader.h"
#include "report_json.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora::convert_cli {
namespace {

struct MailRequest {
  bool utf8 = false;
  bool strict = false;
  std::optional<std::string> report;
  std::optional<std::string> attachments;
  std::string input;
};

std::optional<MailRequest> Parse(std::span<const std::string> args) {
  MailRequest request;
  std::vector<std::string_view> operands;
  bool options_ended = false;
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string_view argument = args[k];
    if (options_ended || argument == "-") {
      operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    const bool takes_value =
        argument == "--to" || argument == "--report" || argument == "--save-attachments";
    if (takes_value && k + 1 < args.size()) {
      const std::string& value = args[++k];
      if (argument == "--to") {
        if (value != "cp932" && value != "utf-8") {
          Complain("--to takes cp932 or utf-8, not '" + value + "'");
          return std::nullopt;
        }
        request.utf8 = value == "utf-8";
      } else if (argument == "--report") {
        request.report = value;
      } else {
        request.attachments = value;
      }
    } else if (argument == "--strict") {
      request.strict = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      Complain(takes_value ? std::string(argument) + " needs a value"
                           : "unknown option '" + std::string(argument) + "'");
      return std::nullopt;
    } else {
      operands.push_back(argument);
    }
  }
  if (operands.size() != 1) {
    Complain("mail expects one FILE (or - for standard input)");
    return std::nullopt;
  }
  request.input = operands[0];
  return request;
}

// Whether the path names the file standard output writes to (/dev/stdout, or the file itself).
bool IsStandardOutput(const std::string& path) {
  struct stat output {};
  struct stat named {};
  return ::fstat(STDOUT_FILENO, &output) == 0 && ::stat(path.c_str(), &named) == 0 &&
         output.st_dev == named.st_dev && output.st_ino == named.st_ino;
}

// Saves every attachment; false (after a message) when one cannot be written.
bool SaveAll(const mail::MailReading& reading, const std::string& folder_name,
             std::vector<std::filesystem::path>& saved) {
  const std::filesystem::path folder(folder_name);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) {
    Complain(folder_name + ": not a folder that can be made");
    return false;
  }
  for (const mail::Attachment& attachment : reading.attachments) {
    std::string problem;
    saved.push_back(mail::SaveAttachment(folder, mail::SafeFileName(attachment.name),
                                         attachment.data, problem));
    if (saved.back().empty()) {
      Complain(problem);
      return false;
    }
  }
  return true;
}

}  // namespace

int RunMailCommand(std::span<const std::string> args) {
  if (!args.empty() && args[0] == "--help") {
    std::fputs(
        "Usage: quillora-convert mail [--to cp932|utf-8] [--report FILE] [--save-attachments DIR]"
        " [--strict] FILE|-\n"
        "Reads a whole mail (MIME, encoded headers, the Japanese charsets) and writes its text.\n"
        "Exit status: 0 done; 1 unreadable input or unwritable output; 2 usage error;\n"
        "3 with --strict when a byte was replaced or a character could not be written.\n",
        stdout);
    return kDone;
  }
  const std::optional<MailRequest> request = Parse(args);
  if (!request) {
    std::fputs("Try 'quillora-convert mail --help'.\n", stderr);
    return kUsage;
  }
  if (request->report && IsStandardOutput(*request->report)) {
    // The report would replace the file the text is being written to.
    Complain("--report cannot name the standard output, which takes the text");
    return kUsage;
  }
  const std::optional<CommandInput> input = ReadCommandInput(request->input);
  if (!input) {
    return kFailed;
  }
  // Code page 932 text goes out as it is read, a piece at a time: no memory of its size.
  mail::ReadOptions options{request->utf8 ? mail::MailProduct::text : mail::MailProduct::cp932,
                            request->attachments.has_value(),
                            {}};
  int write_error = 0;
  if (!request->utf8) {
    options.deliver = [&write_error](std::span<const std::uint8_t> piece) {
      if (write_error == 0 && std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size()) {
        write_error = errno != 0 ? errno : EIO;
      }
    };
  }
  const mail::MailReading reading = mail::ReadMail(input->bytes(), options);

  // Written as UTF-8, every character survives: the unmappable events do not apply.
  std::vector<const mail::RepairEvent*> events;
  bool lossy = false;
  for (const mail::RepairEvent& event : reading.events) {
    if (request->utf8 && event.kind == mail::RepairKind::unmappable_in_cp932) {
      continue;
    }
    events.push_back(&event);
    lossy = lossy || event.kind == mail::RepairKind::unmappable_in_cp932 ||
            event.kind == mail::RepairKind::replaced_invalid_byte;
  }
  ReportOptions report{request->input, request->utf8 ? "utf-8" : "cp932", {}};
  if (request->attachments && !SaveAll(reading, *request->attachments, report.saved_as)) {
    return kFailed;
  }
  if (request->report) {
    const std::string json = ReportJson(reading, events, report);
    const std::string problem = WriteFileAtomically(
        *request->report,
        std::span(reinterpret_cast<const std::uint8_t*>(json.data()), json.size()));
    if (!problem.empty()) {
      Complain(problem);
      return kFailed;
    }
  }
  if (request->utf8) {
    ByteBuffer utf8;
    AppendTextAsUtf8(reading.text, utf8);
    if (!WriteToStandardOutput(utf8)) {
      return kFailed;
    }
  } else if (write_error != 0 || std::fflush(stdout) != 0) {
    Complain("cannot write to standard output: " +
             std::generic_category().message(write_error != 0 ? write_error : errno));
    return kFailed;
  }
  return request->strict && lossy ? kRepaired : kDone;
}

}  // namespace quillora::convert_cli
