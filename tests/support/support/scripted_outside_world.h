// An outside world for widget tests: answers the dialogs from a script and records every request.
#pragma once

#include <QList>
#include <QStringList>
#include <deque>
#include <stdexcept>

#include "ui/outside_world.h"

namespace quillora::test {

// Installs itself for its lifetime.
class ScriptedOutsideWorld final : public OutsideWorld {
 public:
  ScriptedOutsideWorld() { SetOutside(this); }
  ~ScriptedOutsideWorld() override { SetOutside(nullptr); }

  void ShowMessage(QWidget*, const QString&, const QString& text, MessageIcon) override {
    messages << text;
  }
  bool AskOkCancel(QWidget*, const QString&, const QString& text, MessageIcon) override {
    questions << text;
    return answer_ok;
  }
  SaveAnswer AskSaveDiscardCancel(QWidget*, const QString&, const QString& text) override {
    save_questions << text;
    if (save_answers_to_ask.empty()) {
      return SaveAnswer::cancel;
    }
    const SaveAnswer answer = save_answers_to_ask.front();
    save_answers_to_ask.pop_front();
    return answer;
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
  std::optional<QString> ChooseFolder(QWidget*, const QString&) override {
    return Next(folder_answers);
  }
  std::optional<int> ChooseItem(QWidget*, const QString&, const QString&,
                                const QStringList& items) override {
    offered_items << items;
    if (item_answers.empty()) {
      return std::nullopt;
    }
    const int answer = item_answers.front();
    item_answers.pop_front();
    return answer;
  }
  // Called off the user-interface thread; read what it records once the work is done.
  PrintOutcome PrintText(const ShownContent& content, const QString& job_name) override {
    print_jobs << job_name;
    printed << content.text;
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
  std::deque<QString> open_answers, save_answers, folder_answers;
  std::deque<SaveAnswer> save_answers_to_ask;  // none left: Cancel
  std::deque<int> item_answers;                // none left: Cancel
  bool answer_ok = true, open_fails = false, program_starts = true;
  PrintOutcome print_outcome = PrintOutcome::printed;

  QStringList messages, questions, save_questions, print_jobs, printed, opened, started;
  QList<FileDialogRequest> open_requests, save_requests;
  QList<QStringList> offered_items;

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

}  // namespace quillora::test
