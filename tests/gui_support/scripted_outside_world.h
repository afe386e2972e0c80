// An outside world for widget tests: answers the dialogs from a script and records every request.
#pragma once

#include <QList>
#include <QStringList>
#include <deque>
#include <stdexcept>

#include "ui/outside_world.h"

namespace quillora::testing {

struct RecordedMessage {
  QString title;
  QString text;
  MessageIcon icon;
};

// Installs itself for its lifetime.
class ScriptedOutsideWorld final : public OutsideWorld {
 public:
  ScriptedOutsideWorld() { SetOutside(this); }
  ~ScriptedOutsideWorld() override { SetOutside(nullptr); }
  ScriptedOutsideWorld(const ScriptedOutsideWorld&) = delete;
  ScriptedOutsideWorld& operator=(const ScriptedOutsideWorld&) = delete;

  void ShowMessage(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    messages.append({title, text, icon});
  }
  bool AskOkCancel(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    questions.append({title, text, icon});
    return answer_ok;
  }
  std::optional<QString> ChooseOpenFile(QWidget*, const FileDialogRequest& request) override {
    open_requests.append(request);
    if (open_fails) {
      throw std::runtime_error("the open dialog broke");
    }
    return Next(open_answers);
  }
  std::optional<QString> ChooseSaveFile(QWidget*, const FileDialogRequest& request) override {
    save_requests.append(request);
    return Next(save_answers);
  }
  PrintOutcome PrintText(QTextEdit*, const QString& job_name) override {
    print_jobs << job_name;
    return print_outcome;
  }
  bool OpenWithShell(const QString& target) override {
    opened << target;
    return true;
  }
  bool StartProgram(const QString& path) override {
    started << path;
    return program_starts;
  }

  // Answers, taken in order; a dialog with no answer left is cancelled.
  std::deque<QString> open_answers;
  std::deque<QString> save_answers;
  bool answer_ok = true;
  bool open_fails = false;
  bool program_starts = true;
  PrintOutcome print_outcome = PrintOutcome::printed;

  QList<RecordedMessage> messages;
  QList<RecordedMessage> questions;
  QList<FileDialogRequest> open_requests;
  QList<FileDialogRequest> save_requests;
  QStringList print_jobs;
  QStringList opened;
  QStringList started;

 private:
  static std::optional<QString> Next(std::deque<QString>& answers) {
    if (answers.empty()) {
      return std::nullopt;
    }
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace quillora::testing
