// The process-wide application state shared by every window, and the decode-type table.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "text/byte_buffer.h"

namespace quillora {

class frmQuillora;

inline constexpr int kDecodeTypeCount = 5;

struct AppState {
  std::vector<Text> DecodeTypeNames;  // indices 0 to 4; emptied when the main window closes
  frmQuillora* MainFrame = nullptr;
  Text CommandFile;
  Text CommandOutput;
  bool BatchMode = false;
  bool BatchDone = false;
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

// The five display names ("JIS → ShiftJIS", ...) in decode-type order.
std::vector<Text> MakeDecodeTypeNames();

}  // namespace quillora
