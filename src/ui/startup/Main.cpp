// Start-up.
#include "ui/startup/Main.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/batch_run.h"
#include "app/command_line.h"
#include "app/identity.h"
#include "app/modQuillora.h"
#include "app/settings.h"
#include "ui/startup/font_lists.h"
#include "platform/ini_file.h"
#include "ui/startup/qt_japanese.h"
#include "ui/frmQuillora.h"
#include "ui/outside_world.h"
#include "ui/qt_text.h"

namespace quillora {

namespace {

constexpr char kUsage[] =
    "Usage: quillora [-d|-D] INPUT [OUTPUT]\n"
    "Shows INPUT, Japanese mail text, in the desktop program, ready to be decoded to Shift_JIS.\n"
    "With OUTPUT, decodes INPUT with the default decode type instead, writes the text to OUTPUT\n"
    "and ends without showing a window; an OUTPUT without a \"/\" is written beside INPUT.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when done; 1 when INPUT cannot be read, OUTPUT cannot be written or the\n"
    "stored default decode type is not one (nothing is then written).\n";

}  // namespace

int Main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("quillora " QUILLORA_VERSION_TEXT);
    return 0;
  }

  AppState& state = App();
  LoadSettings();
  ParseCommandArgv(argc, argv);
  // The batch run is the core's: no window system is started, so it runs without a display.
  if (state.CommandOutput) {
    const BatchOutcome outcome = RunBatch(state);
    if (!outcome.message.empty()) {
      std::fprintf(stderr, "quillora: %s\n", outcome.message.c_str());
    }
    return outcome.status;
  }

  QApplication application(argc, argv);
  UseQtJapaneseTexts(application);
  // Wayland compositors find the program's icon and name through its desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Quillora"));
  frmQuillora frame;
  frame.MDIForm_Load();
  if (SettingsFileTooLarge()) {
    Outside().ShowMessage(&frame, ToQString(identity::kTitle),
                          QStringLiteral("設定ファイル %1 は大きすぎるため、先頭の %2 KB だけを"
                                         "読みました。設定は保存されません。")
                              .arg(ToQString(SettingsFilePath()))
                              .arg(ini::kMaxReadBytes / 1024),
                          MessageIcon::warning);
  }

  FillFontLists(frame);
  frame.ShowDefaultDecodeCaption();
  // The user may have closed the window while the font lists were filled.
  if (!frame.isVisible()) {
    return 0;
  }
  return QApplication::exec();
}

}  // namespace quillora
