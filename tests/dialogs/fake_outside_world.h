// An outside world for dialog tests: records what the dialogs ask of it.
#pragma once

#include <QStringList>

#include "ui/outside_world.h"

namespace quillora {

// Installs itself for its lifetime.
class FakeOutsideWorld final : public OutsideWorld {
 public:
  FakeOutsideWorld() { SetOutside(this); }
  ~FakeOutsideWorld() override { SetOutside(nullptr); }
  FakeOutsideWorld(const FakeOutsideWorld&) = delete;
  FakeOutsideWorld& operator=(const FakeOutsideWorld&) = delete;

  void ShowMessage(QWidget* /*parent*/, const QString& title, const QString& text,
                   MessageIcon /*icon*/) override {
    messages << title + QLatin1Char('|') + text;
  }
  bool AskOkCancel(QWidget* /*parent*/, const QString& /*title*/, const QString& /*text*/,
                   MessageIcon /*icon*/) override {
    return false;
  }
  std::optional<QString> ChooseOpenFile(QWidget* /*parent*/,
                                        const FileDialogRequest& /*request*/) override {
    return std::nullopt;
  }
  std::optional<QString> ChooseSaveFile(QWidget* /*parent*/,
                                        const FileDialogRequest& /*request*/) override {
    return std::nullopt;
  }
  PrintOutcome PrintText(QTextEdit* /*text_area*/, const QString& /*job_name*/) override {
    return PrintOutcome::no_printer;
  }
  bool OpenWithShell(const QString& target) override {
    opened << target;
    return true;
  }
  bool StartProgram(const QString& path) override {
    started << path;
    return programs_start;
  }

  QStringList messages;  // "title|text"
  QStringList opened;
  QStringList started;
  bool programs_start = true;
};

}  // namespace quillora
