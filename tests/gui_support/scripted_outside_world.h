// An outside world for frame tests: answers the dialogs from a script and records every request.
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

  void ShowMessage(QWidget* /*parent*/, const QString& title, const QString& text,
                   MessageIcon icon) override {
    messages.append({title, text, icon});
  }
  bool AskOkCancel(QWidget* /*parent*/, const QString& title, const QString& text,
                   MessageIcon icon) override {
    questions.append({title, text, icon});
    return answer_ok;
  }
  std::optional<QString> ChooseOpenFile(QWidget* /*parent*/,
                                        const FileDialogRequest& request) override {
    open_requests.append(request);
    if (open_fails) {
      throw std::runtime_error("the open dialog broke");
    }
    return Next(open_answers);
  }
  std::optional<QString> ChooseSaveFile(QWidget* /*parent*/,
                                        const FileDialogRequest& request) override {
    save_requests.append(request);
    return Next(save_answers);
  }
  PrintOutcome PrintText(QTextEdit* /*text_area*/, const QString& job_name) override {
    print_jobs << job_name;
    return print_outcome;
  }
  bool OpenWithShell(const QString& /*target*/) override { return true; }
  bool StartProgram(const QString& /*path*/) override { return true; }

  // Answers, taken in order; a dialog with no answer left is cancelled.
  std::deque<QString> open_answers;
  std::deque<QString> save_answers;
  bool answer_ok = true;
  bool open_fails = false;
  PrintOutcome print_outcome = PrintOutcome::printed;

  QList<RecordedMessage> messages;
  QList<RecordedMessage> questions;
  QList<FileDialogRequest> open_requests;
  QList<FileDialogRequest> save_requests;
  QStringList print_jobs;

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
