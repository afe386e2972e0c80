#include "guess_command.h"

#include <cstdio>

#include "command_input.h"
#include "mail/detection.h"

namespace quillora::convert_cli {

int RunGuessCommand(std::span<const std::string> args) {
  if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) {
    if (args.size() == 1 && args[0] == "--help") {
      std::fputs(
          "Usage: quillora-convert guess FILE|-\n"
          "Prints what FILE is (charset, mail, Base64 or uuencode), the decode type that\n"
          "reads it and the evidence, as: NAME<TAB>decode type: TYPE<TAB>EVIDENCE\n",
          stdout);
      return kDone;
    }
    Complain("guess expects one FILE (or - for standard input)");
    return kUsage;
  }
  const std::optional<CommandInput> input = ReadCommandInput(args[0]);
  if (!input) {
    return kFailed;
  }
  const mail::Detection detection = mail::Detect(input->bytes());
  const std::string line = mail::DetectionName(detection) +
                           "\tdecode type: " + detection.decode_type + "\t" + detection.evidence +
                           "\n";
  return WriteToStandardOutput(ByteBuffer(line.begin(), line.end())) ? kDone : kFailed;
}

}  // namespace quillora::convert_cli
