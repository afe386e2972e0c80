// quillora-convert guess: names the decode type or charset of any input, with the evidence.
#pragma once

#include <span>
#include <string>

namespace quillora::convert_cli {

// args: what follows "guess". Returns 0, 1 (input unreadable) or 2 (usage error).
[[nodiscard]] int RunGuessCommand(std::span<const std::string> args);

}  // namespace quillora::convert_cli
