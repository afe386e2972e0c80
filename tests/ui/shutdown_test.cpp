// The program ends while a finished result still waits in the queue for its window: the queued
// call and what it carries are let go as the application is torn down, and must not wait on the
// lock the teardown holds. A hang here is a timeout in ctest.
#include <QApplication>
#include <QThreadPool>
#include <cstdint>
#include <memory>

#include "ui/background_work.h"
#include "ui/text_view.h"

int main(int argc, char** argv) {
  {
    QApplication application(argc, argv);
    QObject window;
    quillora::RunInBackground(
        &window,
        [] {
          const std::uint8_t text[] = {'m', 'a', 'i', 'l'};
          return std::make_shared<quillora::ShownText>(quillora::BuildTextView(text, false));
        },
        [](const std::shared_ptr<quillora::ShownText>&) {});
    // The result is queued for the window, which never sees it.
    QThreadPool::globalInstance()->waitForDone();
  }
  return 0;
}
