// The real outside world: Qt's message boxes, file dialogs, default printer, shell and processes.
#include "ui/outside_world.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTextDocument>
#include <QUrl>

namespace quillora {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::information:
      return QMessageBox::Information;
    case MessageIcon::question:
      return QMessageBox::Question;
    case MessageIcon::warning:
      return QMessageBox::Warning;
    case MessageIcon::critical:
      return QMessageBox::Critical;
    case MessageIcon::none:
      break;
  }
  return QMessageBox::NoIcon;
}

// "*.*" means every file on Windows, but only names with a dot to Qt, which would hide mail saved
// without an extension. The dialog filters with "*" and still shows the caption it was given.
void ShowEveryFile(QFileDialog& dialog, const QString& filter) {
  const QString windows_every_file = QStringLiteral("(*.*)");
  if (!filter.endsWith(windows_every_file)) {
    dialog.setNameFilter(filter);
    return;
  }
  dialog.setNameFilter(filter.chopped(windows_every_file.size()) + QStringLiteral("(*)"));
  if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
    types->setItemText(0, filter);
  }
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, request.title, request.initial_folder);
  // Qt's own dialog on every platform, so that the caption above holds.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  ShowEveryFile(dialog, request.filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  // Replacing an existing file is confirmed first: the save dialog proposes the name last chosen,
  // which is the opened mail's own, and one Enter would otherwise destroy it.
  if (!request.proposed_name.isEmpty()) {
    dialog.selectFile(request.proposed_name);
  }
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return dialog.selectedFiles().value(0);
}

class QtOutsideWorld final : public OutsideWorld {
 public:
  void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                   MessageIcon icon) override {
    QMessageBox box(BoxIcon(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
  }

  bool AskOkCancel(QWidget* parent, const QString& title, const QString& text,
                   MessageIcon icon) override {
    QMessageBox box(BoxIcon(icon), title, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    return box.exec() == QMessageBox::Ok;
  }

  SaveAnswer AskSaveDiscardCancel(QWidget* parent, const QString& title,
                                  const QString& text) override {
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
      case QMessageBox::Save:
        return SaveAnswer::save;
      case QMessageBox::Discard:
        return SaveAnswer::discard;
      default:
        return SaveAnswer::cancel;
    }
  }

  std::optional<QString> ChooseOpenFile(QWidget* parent,
                                        const FileDialogRequest& request) override {
    return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
  }

  std::optional<QString> ChooseSaveFile(QWidget* parent,
                                        const FileDialogRequest& request) override {
    return RunFileDialog(parent, request, QFileDialog::AcceptSave);
  }

  std::optional<QString> ChooseFolder(QWidget* parent, const QString& title) override {
    const QString folder = QFileDialog::getExistingDirectory(parent, title);
    return folder.isEmpty() ? std::nullopt : std::optional(folder);
  }

  std::optional<int> ChooseItem(QWidget* parent, const QString& title, const QString& label,
                                const QStringList& items) override {
    bool chosen = false;
    const QString item = QInputDialog::getItem(parent, title, label, items, 0, false, &chosen);
    return chosen ? std::optional(static_cast<int>(items.indexOf(item))) : std::nullopt;
  }

  PrintOutcome PrintText(const ShownContent& content, const QString& job_name) override {
    const QPrinterInfo default_printer = QPrinterInfo::defaultPrinter();
    if (default_printer.isNull()) {
      return PrintOutcome::no_printer;
    }
    QPrinter printer(default_printer);
    printer.setDocName(job_name);
    if (!printer.isValid()) {
      return PrintOutcome::failed;
    }
    PagedDocument(content)->print(&printer);
    return printer.printerState() == QPrinter::Error ? PrintOutcome::failed : PrintOutcome::printed;
  }

  bool OpenWithShell(const QString& target) override {
    return QDesktopServices::openUrl(QUrl::fromUserInput(target));
  }

  bool StartProgram(const QString& path) override { return QProcess::startDetached(path, {}); }
};

OutsideWorld* replacement_world = nullptr;

}  // namespace

OutsideWorld& Outside() {
  static QtOutsideWorld real_world;
  return replacement_world != nullptr ? *replacement_world : real_world;
}

void SetOutside(OutsideWorld* replacement) {
  replacement_world = replacement;
}

}  // namespace quillora
