// The desktop benchmarks' outside world: the open dialog answers with one file, the save dialog
// with another (or is cancelled), every question with Cancel; messages go to standard error.
#pragma once

#include <QString>
#include <cstdio>
#include <optional>
#include <utility>

#include "ui/outside_world.h"

namespace quillora::bench {

class BenchOutsideWorld final : public OutsideWorld {
 public:
  explicit BenchOutsideWorld(QString open, std::optional<QString> save = std::nullopt)
      : open_(std::move(open)), save_(std::move(save)) {
    SetOutside(this);
  }
  ~BenchOutsideWorld() override { SetOutside(nullptr); }
  BenchOutsideWorld(const BenchOutsideWorld&) = delete;
  BenchOutsideWorld& operator=(const BenchOutsideWorld&) = delete;

  void ShowMessage(QWidget*, const QString& title, const QString& text, MessageIcon) override {
    std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
  }
  bool AskOkCancel(QWidget*, const QString&, const QString&, MessageIcon) override { return false; }
  SaveAnswer AskSaveDiscardCancel(QWidget*, const QString&, const QString&) override {
    return SaveAnswer::discard;
  }
  std::optional<QString> ChooseOpenFile(QWidget*, const FileDialogRequest&) override {
    return open_;
  }
  std::optional<QString> ChooseSaveFile(QWidget*, const FileDialogRequest&) override {
    return save_;
  }
  std::optional<QString> ChooseFolder(QWidget*, const QString&) override { return std::nullopt; }
  std::optional<int> ChooseItem(QWidget*, const QString&, const QString&,
                                const QStringList&) override {
    return std::nullopt;
  }
  PrintOutcome PrintText(const ShownContent&, const QString&) override {
    return PrintOutcome::no_printer;
  }
  bool OpenWithShell(const QString&) override { return false; }
  bool StartProgram(const QString&) override { return false; }

 private:
  QString open_;
  std::optional<QString> save_;
};

}  // namespace quillora::bench
