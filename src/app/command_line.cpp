// The command-line grammar: an optional switch, then one or two arguments.
#include "app/command_line.h"

#include <algorithm>
#include <vector>

#include "text/utf8.h"

namespace quillora {

namespace {

// Blanks only, as the grammar separates arguments with blanks and nothing else.
Text TrimBlanks(const Text& text) {
  const std::size_t begin = text.find_first_not_of(u' ');
  if (begin == Text::npos) {
    return Text();
  }
  return text.substr(begin, text.find_last_not_of(u' ') - begin + 1);
}

bool StartsWithSwitch(const Text& text) {
  return text.size() >= 2 && text[0] == u'-' && (text[1] == u'd' || text[1] == u'D') &&
         (text.size() == 2 || text[2] == u' ');
}

}  // namespace

void ParseCommandLine(const Text& strCommandLine, AppState& state) {
  if (strCommandLine.empty()) {
    return;
  }
  state.CommandFile.clear();
  state.CommandOutput.reset();
  // The switch and the blank after it.
  Text rest = StartsWithSwitch(strCommandLine)
                  ? strCommandLine.substr(std::min<std::size_t>(3, strCommandLine.size()))
                  : strCommandLine;

  if (!rest.empty() && rest.front() == u'"') {
    const std::size_t close = rest.find(u'"', 1);
    if (close == Text::npos) {
      state.CommandFile = rest.substr(1);
      rest.clear();
    } else {
      state.CommandFile = rest.substr(1, close - 1);
      rest = TrimBlanks(rest.substr(close + 1));
    }
  } else {
    const std::size_t blank = rest.find(u' ');
    if (blank == Text::npos) {
      state.CommandFile = rest;
      rest.clear();
    } else {
      state.CommandFile = rest.substr(0, blank);
      rest = TrimBlanks(rest.substr(blank));
    }
  }
  if (rest.empty()) {
    return;
  }

  if (rest.front() == u'"') {
    const std::size_t close = rest.find(u'"', 1);
    state.CommandOutput = close == Text::npos ? rest.substr(1) : rest.substr(1, close - 1);
  } else {
    state.CommandOutput = rest.substr(0, rest.find(u' '));
  }
}

Text CommandLineFromArguments(std::span<const Text> arguments) {
  Text line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const Text& argument = arguments[i];
    if (i > 0) {
      line += u' ';
    }
    if (argument.empty() || argument.find(u' ') != Text::npos) {
      line += u'"' + argument + u'"';
    } else {
      line += argument;
    }
  }
  return line;
}

namespace {

std::vector<Text> ArgumentsFromArgv(int argc, const char* const* argv) {
  std::vector<Text> arguments;
  for (int i = 1; i < argc; ++i) {
    arguments.push_back(argv[i] == nullptr ? Text() : TextFromFileName(argv[i]));
  }
  return arguments;
}

}  // namespace

Text CommandLineFromArgv(int argc, const char* const* argv) {
  return CommandLineFromArguments(ArgumentsFromArgv(argc, argv));
}

void ParseCommandArgv(int argc, const char* const* argv, AppState& state) {
  const std::vector<Text> arguments = ArgumentsFromArgv(argc, argv);
  const bool quotes = std::any_of(arguments.begin(), arguments.end(), [](const Text& argument) {
    return argument.find(u'"') != Text::npos;
  });
  if (!quotes) {
    ParseCommandLine(CommandLineFromArguments(arguments), state);
    return;
  }
  const std::size_t first = arguments[0] == u"-d" || arguments[0] == u"-D" ? 1 : 0;
  state.CommandFile = first < arguments.size() ? arguments[first] : Text();
  state.CommandOutput =
      first + 1 < arguments.size() ? std::optional(arguments[first + 1]) : std::nullopt;
}

}  // namespace quillora
