// The command line of quillora-convert.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quillora::convert_cli {

enum class OutputEncoding { cp932, utf8 };

struct Request {
  std::int16_t mode = 0;
  std::int16_t option = 0;
  bool bytes = false;
  bool strict = false;  // a conversion that stops early ends with status 3
  OutputEncoding encoding = OutputEncoding::cp932;
  std::string input;                  // "-" for standard input
  std::optional<std::string> output;  // standard output when absent (or given as "-")
};

struct ShowHelp {};
struct ShowVersion {};
struct UsageError {
  std::string message;
};

using Command = std::variant<Request, ShowHelp, ShowVersion, UsageError>;

[[nodiscard]] Command ParseArguments(const std::vector<std::string>& arguments);

// The --help text.
[[nodiscard]] std::string UsageText();

}  // namespace quillora::convert_cli
