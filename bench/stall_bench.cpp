// quillora-stall-bench: how long the desktop program's event loop goes unanswered while a big mail
// is opened, decoded, scrolled, resized, restyled, searched, edited, saved and closed. A 2 ms timer
// records the longest gap between its ticks in each step; the user-interface thread is stalled for
// about that long.
//   quillora-stall-bench [MEGABYTES...]   (default: 10 100), each at 10 pt and 16 pt, lines wrapped
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "app/modQuillora.h"
#include "app/settings.h"
#include "ui/startup/font_lists.h"
#include "bench_outside_world.h"
#include "mail_corpus.h"
#include "ui/find_bar.h"
#include "ui/frmDocument.h"
#include "ui/frmQuillora.h"

namespace {

using quillora::frmQuillora;

// The longest time between two ticks of a short timer while the event loop runs.
class GapMeter {
 public:
  GapMeter() {
    tick_.setInterval(2);
    QObject::connect(&tick_, &QTimer::timeout,
                     [this] { longest_ = std::max(longest_, since_.restart()); });
    tick_.start();
  }
  void Reset() {
    since_.start();
    longest_ = 0;
  }
  [[nodiscard]] qint64 Longest() const { return longest_; }

 private:
  QTimer tick_;
  QElapsedTimer since_;
  qint64 longest_ = 0;
};

// Runs the event loop until done() holds, then a little longer for the paint that follows.
void RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 100) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

struct Step {
  const char* name;
  std::function<void()> act;
  std::function<bool()> done;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) {
    sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  }
  if (sizes.empty()) {
    sizes = {10, 100};
  }

  QTemporaryDir folder;
  qputenv(quillora::kSettingsFileVariable,
          folder.filePath(QStringLiteral("Quillora.ini")).toUtf8());
  qputenv("QUILLORA_REGISTRY", folder.filePath(QStringLiteral("registry.db")).toUtf8());
  // Qt's notes about the offscreen platform would bury the table.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type >= QtCriticalMsg) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  QApplication application(argc, argv);
  const QString source = folder.filePath(QStringLiteral("mail.txt"));
  const QString saved = folder.filePath(QStringLiteral("saved.txt"));
  quillora::bench::BenchOutsideWorld outside(source, saved);

  std::printf("longest event-loop gap in ms, offscreen platform, JIS mail, lines wrapped\n");
  std::printf("%6s %5s %6s %6s %6s %6s %6s %6s %6s %6s %6s %6s  %s\n", "MB", "pt", "open", "decode",
              "scroll", "resize", "font", "cursor", "find", "edit", "save", "close",
              "open+decode s");
  for (const std::size_t megabytes : sizes) {
    quillora::bench::CorpusSpec spec;
    spec.bytes = megabytes << 20;
    {
      const quillora::bench::Corpus corpus = quillora::bench::MakeCorpus(spec);
      QFile file(source);
      file.open(QIODevice::WriteOnly);
      file.write(reinterpret_cast<const char*>(corpus.jis.data()),
                 static_cast<qint64>(corpus.jis.size()));
    }
    for (const char16_t* points : {u"10", u"16"}) {
      quillora::App() = quillora::AppState{};
      quillora::LoadSettings();
      quillora::App().SelectFontsize = points;
      auto frame = std::make_unique<frmQuillora>();
      frame->MDIForm_Load();
      frame->resize(1000, 700);
      quillora::FillFontLists(*frame);
      RunUntil([] { return true; });

      const auto result_area = [&frame]() -> QPlainTextEdit& {
        return frame->ActiveDocument()->rtfText();
      };
      const auto idle = [&frame] { return !frame->IsBusy(); };
      QComboBox& font_sizes = frame->cboFontSize();
      const std::vector<Step> steps{
          {"open", [&] { frame->mnuFileOpen_Click(); }, idle},
          {"decode", [&] { frame->mnuConvertRun_Click(0); }, idle},
          {"scroll",
           [&] {
             QScrollBar* bar = result_area().verticalScrollBar();
             for (const int part : {2, 1}) {
               bar->setValue(bar->maximum() / part);
               QApplication::processEvents();
             }
           },
           idle},
          {"resize", [&] { frame->resize(800, 600); }, idle},
          {"font",
           [&] {
             const bool small = std::u16string_view(points) == u"10";
             const int other =
                 font_sizes.findText(small ? QStringLiteral("12") : QStringLiteral("18"));
             frame->cboFontSize_Click(other);
           },
           idle},
          {"cursor", [&] { result_area().moveCursor(QTextCursor::End); }, idle},
          // A phrase the mail does not hold: the whole text is searched, round the end.
          {"find",
           [&] {
             result_area().moveCursor(QTextCursor::Start);
             (void)quillora::FindText(result_area().textCursor(), QStringLiteral("存在しない語句"),
                                      false, false);
           },
           idle},
          // Typed text makes the save encode the edited text rather than write the held bytes.
          {"edit", [&] { result_area().textCursor().insertText(QStringLiteral("追記")); }, idle},
          {"save", [&] { frame->mnuFileSaveAs_Click(); }, idle},
          {"close", [&] { frame->mnuFileClose_Click(); }, idle},
      };
      GapMeter meter;
      std::vector<qint64> gaps;
      QElapsedTimer open_and_decode;
      open_and_decode.start();
      double open_decode_seconds = 0;
      for (const Step& step : steps) {
        meter.Reset();
        step.act();
        RunUntil(step.done);
        gaps.push_back(meter.Longest());
        if (std::string_view(step.name) == "decode") {
          open_decode_seconds = static_cast<double>(open_and_decode.elapsed()) / 1000.0;
        }
      }
      std::printf("%6zu %5s", megabytes, QString::fromUtf16(points).toLatin1().constData());
      for (const qint64 gap : gaps) {
        std::printf(" %6lld", static_cast<long long>(gap));
      }
      std::printf("  %.2f\n", open_decode_seconds);
      std::fflush(stdout);
      frame.reset();
      RunUntil([] { return true; });
    }
  }
  return 0;
}
