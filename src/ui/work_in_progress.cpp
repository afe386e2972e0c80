// The work in progress.
#include "ui/work_in_progress.h"

#include <utility>

namespace quillora {

int WorkInProgress::Start(const QString& what, std::function<void()> cancel,
                          std::shared_ptr<void> keep) {
  const int id = next_id_++;
  work_.emplace(id, Work{what, std::move(cancel), std::move(keep)});
  emit Changed();
  return id;
}

void WorkInProgress::Finish(int id) {
  if (work_.erase(id) > 0) {
    emit Changed();
  }
}

void WorkInProgress::CancelAll() {
  // A cancel may start or finish other work; what was running when asked is what is cancelled.
  std::map<int, Work> cancelled = std::exchange(work_, {});
  for (auto& [id, work] : cancelled) {
    work.cancel();
  }
  emit Changed();
}

QString WorkInProgress::Current() const {
  return work_.empty() ? QString() : work_.rbegin()->second.what;
}

}  // namespace quillora
