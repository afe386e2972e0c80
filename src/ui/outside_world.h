// Every call that waits for a person or reaches outside the program goes through here, so that
// tests can answer it.
#pragma once

#include <QString>
#include <optional>

#include "ui/paged_text.h"

class QWidget;

namespace quillora {

enum class MessageIcon { none, information, question, warning, critical };

struct FileDialogRequest {
  QString title;
  QString filter;  // "description (*.*)" entries separated by ";;"
  QString initial_folder;
  QString proposed_name;  // the name last chosen in either dialog
};

enum class PrintOutcome { printed, no_printer, failed };

// The answer to "save the changes first?".
enum class SaveAnswer { save, discard, cancel };

class OutsideWorld {
 public:
  virtual ~OutsideWorld() = default;

  virtual void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                           MessageIcon icon) = 0;
  // True when the person answered OK.
  virtual bool AskOkCancel(QWidget* parent, const QString& title, const QString& text,
                           MessageIcon icon) = 0;
  // Save, Discard or Cancel; closing the box is Cancel.
  virtual SaveAnswer AskSaveDiscardCancel(QWidget* parent, const QString& title,
                                          const QString& text) = 0;
  // The chosen path, or nullopt when the dialog was cancelled.
  virtual std::optional<QString> ChooseOpenFile(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
  virtual std::optional<QString> ChooseSaveFile(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
  // A folder to write into, or nullopt when the dialog was cancelled.
  virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title) = 0;
  // The index of the item chosen from a list, or nullopt when the dialog was cancelled.
  virtual std::optional<int> ChooseItem(QWidget* parent, const QString& title, const QString& label,
                                        const QStringList& items) = 0;
  // Prints content on the default printer. Called off the user-interface thread: a long text
  // takes long to lay out.
  virtual PrintOutcome PrintText(const ShownContent& content, const QString& job_name) = 0;
  // The shell verb "open" on a URL or path; false when nothing could open it.
  virtual bool OpenWithShell(const QString& target) = 0;
  // Starts a program detached, in a normal window; false when it could not be started.
  virtual bool StartProgram(const QString& path) = 0;
};

// The process's outside world: the real one unless a test has installed its own.
OutsideWorld& Outside();
// Installs a replacement (tests); nullptr restores the real one. The caller keeps ownership.
void SetOutside(OutsideWorld* replacement);

}  // namespace quillora
