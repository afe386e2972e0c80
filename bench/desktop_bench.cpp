// quillora-desktop-bench: the desktop program on the offscreen platform, timed through its own
// commands: a source file opened until its document is shown, its conversion until the result is
// shown, and a font change over three documents. Prints the median of each over the runs.
//   quillora-desktop-bench [MEGABYTES (10)] [RUNS (5)]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/modQuillora.h"
#include "app/settings.h"
#include "ui/startup/font_lists.h"
#include "bench_outside_world.h"
#include "mail_corpus.h"
#include "ui/frmDocument.h"
#include "ui/frmQuillora.h"

namespace {

using quillora::frmQuillora;

// Runs the event loop until the newest document is shown and painted; `count` documents expected.
void SettleUntilShown(frmQuillora& frame, qsizetype count) {
  for (;;) {
    QApplication::processEvents();
    const QList<quillora::frmDocument*> documents = frame.Documents();
    if (documents.size() >= count && documents.back()->isVisible() && !frame.IsBusy()) {
      break;
    }
  }
  frame.repaint();  // paints now what the event loop would paint next
  QApplication::processEvents();
}

double Seconds(const std::function<void()>& work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

  // Settings and registry of its own, in a folder that goes away afterwards.
  QTemporaryDir folder;
  qputenv(quillora::kSettingsFileVariable,
          folder.filePath(QStringLiteral("Quillora.ini")).toUtf8());
  qputenv("QUILLORA_REGISTRY", folder.filePath(QStringLiteral("registry.db")).toUtf8());
  QApplication application(argc, argv);

  quillora::bench::CorpusSpec spec;
  spec.bytes = megabytes << 20;
  const quillora::bench::Corpus corpus = quillora::bench::MakeCorpus(spec);
  const QString source = folder.filePath(QStringLiteral("mail.txt"));
  {
    QFile file(source);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(corpus.jis.data()),
               static_cast<qint64>(corpus.jis.size()));
  }
  quillora::bench::BenchOutsideWorld outside(source);

  std::vector<double> open_times;
  std::vector<double> convert_times;
  std::vector<double> font_times;
  for (int run = 0; run < runs; ++run) {
    quillora::App() = quillora::AppState{};
    quillora::LoadSettings();
    auto frame = std::make_unique<frmQuillora>();
    frame->MDIForm_Load();
    quillora::FillFontLists(*frame);
    QApplication::processEvents();

    open_times.push_back(Seconds([&] {
      frame->mnuFileOpen_Click();
      SettleUntilShown(*frame, 1);
    }));
    convert_times.push_back(Seconds([&] {
      frame->mnuConvertRun_Click(0);  // JIS to Shift_JIS
      SettleUntilShown(*frame, 2);
    }));
    frame->mnuConvertRun_Click(0);
    SettleUntilShown(*frame, 3);
    // A different size for all three documents.
    QComboBox& sizes = frame->cboFontSize();
    const int next = (sizes.currentIndex() + 3) % std::max(1, sizes.count());
    font_times.push_back(Seconds([&] {
      sizes.setCurrentIndex(next);
      frame->cboFontSize_Click(next);
      frame->repaint();
      QApplication::processEvents();
    }));
    frame.reset();
    QApplication::processEvents();
  }

  std::printf("desktop program, offscreen platform, %zu MB JIS source (%zu bytes), median of %d\n",
              megabytes, corpus.jis.size(), runs);
  std::printf("open until shown            %.3f s\n", Median(open_times));
  std::printf("conversion until shown      %.3f s\n", Median(convert_times));
  std::printf("font size, three documents  %.3f s\n", Median(font_times));
  return 0;
}
