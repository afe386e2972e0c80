// What the program is doing off the user-interface thread, for the status bar to show and the
// user to cancel.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace quillora {

class WorkInProgress : public QObject {
  Q_OBJECT

 public:
  // Tracks one piece of work until Finish; cancel is how to stop it, and keep anything that must
  // live exactly as long as the work (a wait banner).
  int Start(const QString& what, std::function<void()> cancel, std::shared_ptr<void> keep = {});
  void Finish(int id);
  // Runs every piece's cancel and forgets them all.
  void CancelAll();

  [[nodiscard]] bool IsEmpty() const { return work_.empty(); }
  // What the newest piece is doing; empty when there is none.
  [[nodiscard]] QString Current() const;

 signals:
  void Changed();

 private:
  struct Work {
    QString what;
    std::function<void()> cancel;
    std::shared_ptr<void> keep;
  };
  std::map<int, Work> work_;
  int next_id_ = 0;
};

}  // namespace quillora
