// The command line: [-d|-D] INPUT [OUTPUT], each argument optionally in double quotes.
#pragma once

#include <span>

#include "app/modQuillora.h"
#include "text/byte_buffer.h"

namespace quillora {

// Sets CommandFile and CommandOutput from the text that follows the program name. Empty text
// leaves both unchanged. The switch counts only as the first word ("-d" or "-D" followed by a blank
// or the end); anywhere else "-d" is ordinary text. Text after the second argument is ignored.
void ParseCommandLine(const Text& strCommandLine, AppState& state = App());

// The command-line text for these arguments (program name excluded): joined by single blanks, an
// argument that is empty or holds a blank in double quotes.
[[nodiscard]] Text CommandLineFromArguments(std::span<const Text> arguments);

// The same for main's argv: argv[0] is skipped, the rest are read as UTF-8.
[[nodiscard]] Text CommandLineFromArgv(int argc, const char* const* argv);

// ParseCommandLine(CommandLineFromArgv(argc, argv)), except where that text cannot carry the
// arguments: a POSIX file name may hold a double quote, which the grammar has no way to escape.
// Such arguments are taken whole by the same rules (the switch only as the first one, then the
// input and the output), so that no other file is read or written in their stead.
void ParseCommandArgv(int argc, const char* const* argv, AppState& state = App());

}  // namespace quillora
