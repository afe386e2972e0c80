// The command line of quillora-convert.
#include "arguments.h"

#include <charconv>
#include <cstddef>
#include <string_view>

#include "convert/decode_types.h"

namespace quillora::convert_cli {
namespace {

std::optional<std::int16_t> ParseInt16(std::string_view text) {
  std::int16_t value = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) {
    return std::nullopt;
  }
  return value;
}

// A negative mode ("-3") and "-" (standard input) are operands, not options.
bool IsOption(std::string_view argument) {
  return argument.size() > 1 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9');
}

}  // namespace

Command ParseArguments(const std::vector<std::string>& arguments) {
  Request request;
  std::vector<std::string_view> operands;
  bool options_ended = false;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    const std::string_view argument = arguments[k];
    if (options_ended || !IsOption(argument)) {
      operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help") {
      return ShowHelp{};
    } else if (argument == "--version") {
      return ShowVersion{};
    } else if (argument == "--bytes") {
      request.bytes = true;
    } else if (argument == "--strict") {
      request.strict = true;
    } else if (argument == "--option" || argument == "--to" || argument == "-o") {
      if (k + 1 == arguments.size()) {
        return UsageError{std::string(argument) + " needs a value"};
      }
      const std::string& value = arguments[++k];
      if (argument == "-o") {
        // "-" is standard output, as "-" for FILE is standard input.
        request.output = value == "-" ? std::nullopt : std::optional<std::string>(value);
      } else if (argument == "--to") {
        if (value != "cp932" && value != "utf-8") {
          return UsageError{"--to takes cp932 or utf-8, not '" + value + "'"};
        }
        request.encoding = value == "utf-8" ? OutputEncoding::utf8 : OutputEncoding::cp932;
      } else if (const auto option = ParseInt16(value)) {
        request.option = *option;
      } else {
        return UsageError{"--option takes an integer from -32768 to 32767, not '" + value + "'"};
      }
    } else {
      return UsageError{"unknown option '" + std::string(argument) + "'"};
    }
  }
  if (operands.size() != 2) {
    return UsageError{"expected MODE and FILE"};
  }
  const auto mode = ModeNamed(operands[0]) ? ModeNamed(operands[0]) : ParseInt16(operands[0]);
  if (!mode) {
    return UsageError{"MODE must be a name or an integer from -32768 to 32767, not '" +
                      std::string(operands[0]) + "'"};
  }
  if (request.bytes && request.encoding == OutputEncoding::utf8) {
    return UsageError{
        "--bytes writes the bytes as they are; it cannot be combined with --to utf-8"};
  }
  request.mode = *mode;
  request.input = operands[1];
  return request;
}

std::string UsageText() {
  std::string names;
  for (const DecodeType& type : kDecodeTypes) {
    if (!type.whole_mail) {
      names += "  " + std::string(type.command_name) + " (" + std::to_string(type.mode) + ")";
    }
  }
  return R"(Usage: quillora-convert [OPTION]... MODE FILE
       quillora-convert mail [--to ENC] [--report FILE] [--save-attachments DIR] [--strict] FILE
       quillora-convert guess FILE
Converts FILE by conversion mode MODE and writes the result as code page 932 text. "mail" reads
a whole mail (MIME, encoded headers, any Japanese charset) and writes it as readable text;
"guess" names the decode type or charset FILE is in, with the evidence.

MODE is any integer from -32768 to 32767; these convert, the others give no output:
   1  JIS (ISO-2022-JP) to Shift_JIS     7  EUC-JP to JIS
   2  JIS to EUC-JP                      8  EUC-JP to Shift_JIS
   4  Shift_JIS to JIS                   9  MIME Base64 mail to Shift_JIS
   5  Shift_JIS to EUC-JP               10  uuencode to Shift_JIS
                                        11  UTF-16LE with byte-order mark to Shift_JIS
The decoding modes also answer to names:
)" + names +
         R"(
FILE is the file to convert; - reads standard input.

Options:
  --option N  option for modes 4, 5 and 7: 0 (the default) widens half-width katakana,
              any other value keeps them
  --bytes     write the bytes the result was made from instead of the text
  --to ENC    write the text as cp932 (the default) or utf-8
  -o FILE     write to FILE, replacing it whole, instead of to standard output (-)
  --strict    end with status 3 when the conversion stopped early
  --help      show this text
  --version   show the version

A conversion that stops early (a converter meets bytes it cannot take) writes what came before
and a warning naming the byte where it stopped.

Exit status: 0 done; 1 FILE cannot be read or the output cannot be written; 2 usage error;
3 with --strict, the conversion stopped early.
)";
}

}  // namespace quillora::convert_cli
