// The process-wide application state shared by every window.
#pragma once

#include <cstdint>
#include <optional>

#include "text/byte_buffer.h"

namespace quillora {

struct AppState {
  Text CommandFile;
  std::optional<Text> CommandOutput;  // given, even empty: the batch run
  std::int32_t DocumentCount = 0;
  Text CurrentFile;
  // The eight settings, held as text exactly as the settings file stores them.
  Text ViewLeft;
  Text ViewTop;
  Text ViewWidth;
  Text ViewHeight;
  Text LastOpenFolder;
  Text SelectFont;
  Text SelectFontsize;
  Text DefaultDecodeType;
};

// The one instance, owned by the main module for the life of the process.
AppState& App();

}  // namespace quillora
