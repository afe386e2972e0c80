// The main frame's documents: creating, opening, closing and arranging them.
#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPointer>
#include <fstream>

#include "app/number_text.h"
#include "app/paths.h"
#include "app/recent_files.h"
#include "app/settings.h"
#include "ui/frmDocument.h"
#include "ui/frmQuillora.h"
#include "ui/japanese_font.h"
#include "ui/qt_text.h"
#include "ui/tiling.h"

namespace quillora {

frmDocument* frmQuillora::ActiveDocument() const {
  // currentSubWindow, unlike activeSubWindow, keeps its answer while another program has the focus.
  return qobject_cast<frmDocument*>(mdiArea_->currentSubWindow());
}

QList<frmDocument*> frmQuillora::Documents() const {
  QList<frmDocument*> documents;
  for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
    if (auto* document = qobject_cast<frmDocument*>(window)) {
      documents.append(document);
    }
  }
  return documents;
}

frmDocument* frmQuillora::NewDocument() {
  ++App().DocumentCount;
  auto* document = new frmDocument;
  connect(document, &frmDocument::Closing, this, &frmQuillora::DocumentClosing);
  connect(document, &frmDocument::LoadingChanged, this, &frmQuillora::DocumentLoadingChanged);
  connect(document, &frmDocument::ReportChosen, this, &frmQuillora::ShowRepair);
  connect(&document->rtfText(), &QPlainTextEdit::cursorPositionChanged, this, [this, document] {
    if (document == ActiveDocument()) {
      UpdateDocumentStatus();
    }
  });
  document->installEventFilter(this);
  mdiArea_->addSubWindow(document);
  if (App().DocumentCount == 1) {
    // The source document takes the left half.
    const QSize area = mdiArea_->viewport()->size();
    document->setGeometry(0, 0, area.width() / 2, area.height());
  }
  document->show();
  mdiArea_->setActiveSubWindow(document);
  if (App().DocumentCount != 1) {
    ArrangeDocuments(Qt::Horizontal);
  }
  QCoreApplication::processEvents();
  return document;
}

bool frmQuillora::OpenDocument(const Text& path) {
  frmDocument* target = ActiveDocument();
  if (target == nullptr) {
    target = NewDocument();
  }
  target->SetFontName(ShownFontName(App().SelectFont));
  if (const std::optional<double> size = FontSizeSetting()) {
    target->SetFontSize(*size);
  }
  target->SetFile(path);
  target->setWindowTitle(ToQString(path));
  target->SetReadOnly(true);
  App().CurrentFile = path;
  App().LastOpenFolder = FolderOfPath(path);
  source_opened_ = true;
  recent_files_ = WithOpened(std::move(recent_files_), path);
  WriteRecentFiles(SettingsFilePath(), recent_files_);
  UpdateCommandState();
  std::ifstream readable(NativePath(path), std::ios::binary);
  return readable.is_open();
}

void frmQuillora::DocumentLoadingChanged(frmDocument* document) {
  UpdateCommandState();
  if (const auto started = loading_work_.find(document); started != loading_work_.end()) {
    work_.Finish(*started);
    loading_work_.erase(started);
  }
  if (document->IsLoading()) {
    loading_work_.insert(document, work_.Start(QStringLiteral("読み込み中..."),
                                               [document = QPointer<frmDocument>(document)] {
                                                 if (document) {
                                                   document->close();
                                                 }
                                               }));
  }
}

bool frmQuillora::eventFilter(QObject* watched, QEvent* event) {
  auto* document = qobject_cast<frmDocument*>(watched);
  if (document == nullptr || event->type() != QEvent::Close) {
    return QMainWindow::eventFilter(watched, event);
  }
  // The source document takes every result with it.
  const QList<frmDocument*> closing = document->IsSource() ? Documents() : QList{document};
  if (MayDiscardEdits(closing)) {
    return false;
  }
  event->ignore();
  return true;
}

void frmQuillora::DocumentClosing(frmDocument* document) {
  // Asked by what the window holds, not by its caption: a result saved under a name no longer
  // starts with "(", and closing it must not take every other document with it.
  if (!document->IsSource()) {
    return;
  }
  // The source document takes every conversion result with it.
  QList<frmDocument*> others = Documents();
  others.removeOne(document);
  for (auto it = others.rbegin(); it != others.rend(); ++it) {
    (*it)->close();
  }
  ResetCommandState();
}

void frmQuillora::ArrangeDocuments(Qt::Orientation orientation) {
  QList<QMdiSubWindow*> windows;
  for (frmDocument* document : Documents()) {
    if (!document->isMinimized()) {
      windows.append(document);
    }
  }
  const std::vector<QRect> tiles =
      TileRects(mdiArea_->viewport()->rect(), static_cast<int>(windows.size()), orientation);
  for (qsizetype i = 0; i < windows.size(); ++i) {
    if (windows[i]->isMaximized()) {
      windows[i]->showNormal();
    }
    windows[i]->setGeometry(tiles[static_cast<std::size_t>(i)]);
  }
}

}  // namespace quillora
