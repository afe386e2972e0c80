// quillora-convert mail: a whole mail read to text, with its repair report and attachments.
#pragma once

#include <span>
#include <string>

namespace quillora::convert_cli {

// args: what follows "mail". Returns the exit status: 0 done, 1 input unreadable or output
// unwritable, 2 usage error, 3 (--strict) something was replaced or unmappable.
[[nodiscard]] int RunMailCommand(std::span<const std::string> args);

}  // namespace quillora::convert_cli
