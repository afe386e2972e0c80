// Start-up.
#include "app/startup/Main.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/command_line.h"
#include "app/modQuillora.h"
#include "app/settings.h"
#include "app/startup/font_lists.h"
#include "app/startup/qt_japanese.h"
#include "ui/frmQuillora.h"

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
    "Exit status: 0 when done; 1 when INPUT cannot be read or OUTPUT cannot be written.\n";

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// A batch run needs no display; without one it draws its hidden windows off screen.
void UseOffscreenWithoutDisplay() {
#if defined(__unix__) && !defined(__APPLE__)
  if (!IsSet("QT_QPA_PLATFORM") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
#endif
}

// A batch run speaks on standard error only to say why it failed; the window system's own chatter
// (an offscreen platform that cannot raise a window, say) would drown that one line.
void QuietQtMessages(QtMsgType type, const QMessageLogContext& /*context*/,
                     const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "quillora: %s\n", message.toUtf8().constData());
  }
}

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
  state.BatchDone = false;
  state.BatchMode = false;
  state.DecodeTypeNames = MakeDecodeTypeNames();
  LoadSettings();
  ParseCommandArgv(argc, argv);
  if (!state.CommandOutput.empty()) {
    UseOffscreenWithoutDisplay();
    qInstallMessageHandler(QuietQtMessages);
  }

  QApplication application(argc, argv);
  UseQtJapaneseTexts(application);
  // Wayland compositors find the program's icon and name through its desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Quillora"));
  frmQuillora frame;
  state.MainFrame = &frame;
  state.BatchMode = !state.CommandOutput.empty();
  try {
    frame.MDIForm_Load();
  } catch (const std::bad_alloc&) {  // only a batch run lets it through
    std::fprintf(stderr, "quillora: not enough memory to convert '%s'\n",
                 QString::fromStdU16String(state.CommandFile).toUtf8().constData());
    return 1;
  }
  if (state.BatchMode) {
    if (!frame.BatchFailure().isEmpty()) {
      std::fprintf(stderr, "quillora: %s\n", frame.BatchFailure().toUtf8().constData());
      return 1;
    }
    return 0;
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
