// The batch run, `quillora [-d|-D] INPUT OUTPUT`: decodes INPUT with the default decode type and
// writes the text as code page 932 to OUTPUT, without a window.
#pragma once

#include <string>

#include "app/modQuillora.h"

namespace quillora {

struct BatchOutcome {
  int status = 0;       // the process's exit status: 0 written, 1 not
  std::string message;  // why not, or a warning with status 0, in one line; empty when neither
};

// Reads CommandFile, decodes it with DefaultDecodeType and replaces the output file (the batch
// output path of CommandOutput) whole, the decoded text streaming into it. When the decoding gives
// nothing, the input's own text is written, as it would be shown. A stored default that is no
// decode type writes nothing.
[[nodiscard]] BatchOutcome RunBatch(const AppState& state);

}  // namespace quillora
