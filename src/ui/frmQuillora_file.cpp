// The main frame's file commands.
#include <QFileInfo>
#include <QMdiArea>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/identity.h"
#include "io/atomic_file.h"
#include "mail/attachment_files.h"
#include "text/utf8.h"
#include "ui/background_work.h"
#include "ui/frmDocument.h"
#include "ui/frmQuillora.h"
#include "ui/outside_world.h"
#include "ui/paged_text.h"
#include "ui/qt_text.h"
#include "ui/status_panels.h"

namespace quillora {

namespace {

FileDialogRequest DialogRequest(const QString& title, const QString& last_chosen_file) {
  return {title, QStringLiteral("すべてのﾌｧｲﾙ (*.*)"), ToQString(App().LastOpenFolder),
          QFileInfo(last_chosen_file).fileName()};
}

}  // namespace

void frmQuillora::mnuFileOpen_Click() {
  const std::optional<QString> chosen =
      Outside().ChooseOpenFile(this, DialogRequest(QStringLiteral("開く"), last_chosen_file_));
  if (!chosen || chosen->isEmpty()) {
    return;
  }
  last_chosen_file_ = *chosen;
  OpenDocument(ToText(*chosen));
}

void frmQuillora::mnuFileClose_Click() {
  QList<frmDocument*> documents = Documents();
  if (!MayDiscardEdits(documents)) {
    return;
  }
  // Newest first; closing the source document may already have closed the rest.
  for (auto it = documents.rbegin(); it != documents.rend(); ++it) {
    if (Documents().contains(*it)) {
      (*it)->close();
    }
  }
  ResetCommandState();
}

void frmQuillora::mnuFileSave_Click() {
  const frmDocument* active = ActiveDocument();
  // A source file, or a result already saved under a name, is never written back.
  if (active != nullptr && active->IsConverted()) {
    mnuFileSaveAs_Click();
  }
}

void frmQuillora::mnuFileSaveAs_Click() {
  frmDocument* active = ActiveDocument();
  if (active != nullptr && active->IsConverted()) {
    SaveThroughDialog(*active);
  }
}

bool frmQuillora::SaveThroughDialog(frmDocument& document) {
  const std::optional<QString> chosen = Outside().ChooseSaveFile(
      this, DialogRequest(QStringLiteral("名前を付けて保存"), last_chosen_file_));
  if (!chosen || chosen->isEmpty()) {
    return false;
  }
  last_chosen_file_ = *chosen;
  if (!SaveDocument(document, *chosen)) {
    return false;
  }
  // From now on the window counts as saved; Save and Save As no longer act on it.
  document.setWindowTitle(*chosen);
  UpdateCommandState();
  return true;
}

bool frmQuillora::MayDiscardEdits(const QList<frmDocument*>& documents) {
  for (frmDocument* document : documents) {
    if (!document->HasUnsavedEdits()) {
      continue;
    }
    mdiArea_->setActiveSubWindow(document);
    const SaveAnswer answer = Outside().AskSaveDiscardCancel(
        this, ToQString(identity::kTitle),
        QStringLiteral("\"%1\" は変更されています。\n変更を保存しますか")
            .arg(document->windowTitle()));
    if (answer == SaveAnswer::cancel) {
      return false;
    }
    if (answer == SaveAnswer::discard) {
      document->DiscardEdits();
      continue;
    }
    // A result saved under a name before goes back to that file: its caption is the path.
    const bool saved = document->IsConverted() ? SaveThroughDialog(*document)
                                               : SaveDocument(*document, document->windowTitle());
    if (!saved) {
      return false;
    }
  }
  return true;
}

bool frmQuillora::SaveDocument(frmDocument& document, const QString& path) {
  struct Saving {
    frmDocument::SavedBytes bytes;
    std::string problem;
  };
  // A big text takes a while to take, encode and write; the window waits without stalling.
  sbStatusBar_->showMessage(QStringLiteral("保存中..."));
  const QPointer<frmDocument> alive(&document);
  std::function<frmDocument::SavedBytes()> make = document.PrepareSaving();
  if (alive.isNull()) {
    return false;
  }
  const Saving saving =
      WaitInBackground([make = std::move(make), target = NativePath(ToText(path))] {
        Saving made{make(), {}};
        made.problem = WriteFileAtomically(target, *made.bytes);
        return made;
      });
  sbStatusBar_->clearMessage();
  if (!saving.problem.empty()) {
    Outside().ShowMessage(this, ToQString(identity::kTitle),
                          QStringLiteral("\"%1\" に保存できませんでした。\n%2")
                              .arg(path, QString::fromStdString(saving.problem)),
                          MessageIcon::critical);
    return false;
  }
  if (alive.isNull()) {
    return false;
  }
  document.MarkSaved(saving.bytes);
  return true;
}

void frmQuillora::mnuPrint_Click() {
  frmDocument* active = ActiveDocument();
  const QString caption = active != nullptr ? active->windowTitle() : QString();
  const QString title = ToQString(identity::kTitle);
  if (!Outside().AskOkCancel(this, title,
                             QStringLiteral("\"%1\" を印刷します よろしいですか").arg(caption),
                             MessageIcon::question) ||
      active == nullptr) {
    return;
  }
  const QPointer<frmDocument> alive(active);
  ShownContent content = active->Content(true);
  if (alive.isNull()) {
    return;
  }
  auto id = std::make_shared<int>();
  const CancelFlag dropped = RunInBackground(
      this,
      [content = std::move(content), caption] { return Outside().PrintText(content, caption); },
      [this, id, title](PrintOutcome outcome) {
        work_.Finish(*id);
        switch (outcome) {
          case PrintOutcome::printed:
            break;
          case PrintOutcome::no_printer:
            Outside().ShowMessage(this, title,
                                  QStringLiteral("ﾌﾟﾘﾝﾀが見つからないため、印刷できません。"),
                                  MessageIcon::warning);
            break;
          case PrintOutcome::failed:
            Outside().ShowMessage(this, title, QStringLiteral("印刷できませんでした。"),
                                  MessageIcon::warning);
            break;
        }
      });
  // What reached the printer stays there; cancelling only stops waiting for the outcome.
  *id = work_.Start(QStringLiteral("印刷中..."), [dropped] { *dropped = true; });
}

void frmQuillora::mnuFileExportPdf_Click() {
  frmDocument* active = ActiveDocument();
  if (active == nullptr) {
    return;
  }
  FileDialogRequest request = DialogRequest(QStringLiteral("PDF として出力"), last_chosen_file_);
  request.filter = QStringLiteral("PDF ﾌｧｲﾙ (*.pdf)");
  request.proposed_name =
      QFileInfo(active->windowTitle()).completeBaseName() + QStringLiteral(".pdf");
  const std::optional<QString> chosen = Outside().ChooseSaveFile(this, request);
  if (!chosen || chosen->isEmpty()) {
    return;
  }
  // Laying out a long text on pages takes a while; it runs in the background, and a cancelled
  // export writes nothing.
  const QPointer<frmDocument> alive(active);
  ShownContent content = active->Content(false);
  if (alive.isNull()) {
    return;
  }
  auto stop = std::make_shared<std::atomic_bool>(false);
  auto id = std::make_shared<int>();
  RunInBackground(
      this,
      [content = std::move(content), path = *chosen, stop] {
        return ExportPdf(content, path, *stop);
      },
      [this, id, stop, path = *chosen](const QString& problem) {
        work_.Finish(*id);
        if (!problem.isEmpty() && !*stop) {
          Outside().ShowMessage(
              this, ToQString(identity::kTitle),
              QStringLiteral("\"%1\" に出力できませんでした。\n%2").arg(path, problem),
              MessageIcon::critical);
        }
      });
  *id = work_.Start(QStringLiteral("PDF に出力中..."), [stop] { *stop = true; });
}

void frmQuillora::mnuFileExit_Click() {
  close();
}

namespace {

// What saving attachments came to: the names written, and the reason it stopped early.
struct SavedAttachments {
  QStringList names;
  QString problem;
};

// Stops between two files when `stop` is set: what was written is still reported.
SavedAttachments SaveAttachments(const std::vector<mail::Attachment>& attachments,
                                 std::optional<std::size_t> only, const QString& folder,
                                 const std::atomic_bool& stop) {
  SavedAttachments saved;
  for (std::size_t i = 0; i < attachments.size() && !stop; ++i) {
    if (only && *only != i) {
      continue;
    }
    std::string problem;
    const std::filesystem::path path =
        mail::SaveAttachment(NativePath(ToText(folder)), mail::SafeFileName(attachments[i].name),
                             attachments[i].data, problem);
    if (path.empty()) {
      saved.problem = QString::fromStdString(problem);
      break;
    }
    saved.names << ToQString(TextFromNativePath(path.filename()));
  }
  return saved;
}

// One, or all, of several attachments; nullopt inside when it is all of them.
std::optional<std::optional<std::size_t>> ChooseAttachments(
    QWidget* parent, const std::vector<mail::Attachment>& attachments) {
  if (attachments.size() == 1) {
    return std::optional<std::size_t>();
  }
  QStringList items{QStringLiteral("すべて (%1 個)").arg(attachments.size())};
  for (const mail::Attachment& attachment : attachments) {
    items << QStringLiteral("%1 (%2, %3 バイト)")
                 .arg(ToQString(attachment.name), QString::fromStdString(attachment.type))
                 .arg(attachment.size);
  }
  const std::optional<int> chosen = Outside().ChooseItem(
      parent, QStringLiteral("添付ﾌｧｲﾙを保存"), QStringLiteral("保存する添付ﾌｧｲﾙ:"), items);
  if (!chosen || *chosen < 0) {
    return std::nullopt;
  }
  return *chosen == 0 ? std::optional<std::size_t>()
                      : std::optional(static_cast<std::size_t>(*chosen - 1));
}

}  // namespace

void frmQuillora::mnuFileSaveAttachments_Click() {
  const frmDocument* active = ActiveDocument();
  if (active == nullptr || active->Attachments()->empty()) {
    return;
  }
  const frmDocument::AttachmentList attachments = active->Attachments();
  const std::optional<std::optional<std::size_t>> only = ChooseAttachments(this, *attachments);
  if (!only) {
    return;
  }
  const std::optional<QString> folder =
      Outside().ChooseFolder(this, QStringLiteral("添付ﾌｧｲﾙの保存先"));
  if (!folder) {
    return;
  }
  // An attachment may be as large as the mail: written off the user-interface thread.
  auto id = std::make_shared<int>();
  auto stop = std::make_shared<std::atomic_bool>(false);
  RunInBackground(
      this,
      [attachments, only = *only, folder = *folder, stop] {
        return SaveAttachments(*attachments, only, folder, *stop);
      },
      [this, id](const SavedAttachments& saved) {
        work_.Finish(*id);
        if (!saved.problem.isEmpty()) {
          Outside().ShowMessage(this, ToQString(identity::kTitle),
                                QStringLiteral("添付ﾌｧｲﾙを保存できません。\n%1").arg(saved.problem),
                                MessageIcon::warning);
          return;
        }
        Outside().ShowMessage(this, ToQString(identity::kTitle),
                              QStringLiteral("%1 個の添付ﾌｧｲﾙを保存しました。\n%2")
                                  .arg(saved.names.size())
                                  .arg(saved.names.join(QLatin1Char('\n'))),
                              MessageIcon::information);
      });
  *id = work_.Start(QStringLiteral("添付ﾌｧｲﾙを保存中..."), [stop] { *stop = true; });
}

}  // namespace quillora
