// Work that grows with the input runs on the thread pool, so the window keeps answering; its
// result comes back to the user-interface thread as a queued call.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <optional>
#include <utility>

namespace quillora {

// Deletes an object on the thread it belongs to, whichever thread lets go of it. A deferred delete
// gets it there, except while the application is being torn down: it then deletes the queued
// calls, holding the lock that posting would wait for, and the objects they carry are let go just
// then. No event loop runs any more, so they go at once.
inline void DeleteOnOwnThread(QObject* object) {
  if (QCoreApplication::closingDown()) {
    delete object;
  } else {
    object->deleteLater();
  }
}

// Set by the user-interface thread to drop a job's result. The work itself runs on to its end:
// the engine has no way to stop midway, and it never takes long enough to matter.
using CancelFlag = std::shared_ptr<std::atomic_bool>;

// Runs work() on the thread pool, then done(result) on context's thread, unless context is gone
// or the returned flag was set by then.
template <class Work, class Done>
CancelFlag RunInBackground(QObject* context, Work work, Done done) {
  auto cancelled = std::make_shared<std::atomic_bool>(false);
  // The result travels through a relay on context's thread that the work keeps alive: context
  // itself may be deleted at any moment, and only its own thread may ask whether it is.
  std::shared_ptr<QObject> relay(new QObject, DeleteOnOwnThread);
  relay->moveToThread(context->thread());
  QThreadPool::globalInstance()->start([relay, context = QPointer<QObject>(context), cancelled,
                                        work = std::move(work), done = std::move(done)]() mutable {
    auto result = std::make_shared<decltype(work())>(work());
    QMetaObject::invokeMethod(
        relay.get(),
        [relay, context, cancelled, result, done = std::move(done)]() mutable {
          if (!context.isNull() && !*cancelled) {
            done(std::move(*result));
          }
        },
        Qt::QueuedConnection);
  });
  return cancelled;
}

// Runs work() on the thread pool and returns its result, running the event loop meanwhile without
// user input: the windows still paint and the clock goes on, but no command can start while the
// caller waits.
template <class Work>
auto WaitInBackground(Work work) -> decltype(work()) {
  QEventLoop loop;
  std::optional<decltype(work())> result;
  RunInBackground(&loop, std::move(work), [&result, &loop](decltype(work()) made) {
    result = std::move(made);
    loop.quit();
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  return std::move(*result);
}

}  // namespace quillora
