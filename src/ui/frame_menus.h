// The main frame's menu bar, built once with its exact captions, access keys and design states.
#pragma once

#include <array>

#include "convert/decode_types.h"

class QAction;
class QMenu;
class QMenuBar;

namespace quillora {

struct FrameMenus {
  QAction* mnuFileOpen;
  QAction* mnuFileClose;
  QAction* mnuFileSave;
  QAction* mnuFileSaveAs;
  QAction* mnuPrint;
  QAction* mnuFileExportPdf;
  QAction* mnuFileSaveAttachments;
  QMenu* mnuFileRecent;  // filled when it is about to show
  QAction* mnuFileExit;
  QAction* mnuConvertRunDefault;
  std::array<QAction*, kDecodeTypeCount> mnuConvertRun;
  QAction* mnuViewToolbar;
  QAction* mnuViewStatusBar;
  QAction* mnuViewFind;
  QAction* mnuToolsOptions;
  QMenu* mnuWindow;
  QAction* mnuWindowCascade;
  QAction* mnuWindowTileHorizontal;
  QAction* mnuWindowTileVertical;
  QAction* mnuHelpSearchForHelpOn;
  QAction* mnuHelpAbout;
};

// The design caption of the default-decode item, completed with the default decode type's name.
inline constexpr char16_t kDefaultDecodeCaption[] = u"標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - ";

// Fills bar with the five menus; every action is named after its control (mnuFileOpen, ...).
FrameMenus CreateFrameMenus(QMenuBar& bar);

}  // namespace quillora
