// Files dropped from a file manager: the same road as the open dialog.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "ui/frmQuillora.h"
#include "ui/qt_text.h"

namespace quillora {

QString frmQuillora::DroppableFile(const QMimeData* mime) const {
  if (mime == nullptr || !menus_.mnuFileOpen->isEnabled() || !mime->hasUrls()) {
    return {};
  }
  const QList<QUrl> urls = mime->urls();
  // One source document at a time, so a drop of several files is refused rather than guessed at.
  if (urls.size() != 1 || !urls.front().isLocalFile()) {
    return {};
  }
  return urls.front().toLocalFile();
}

void frmQuillora::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppableFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  }
}

void frmQuillora::dropEvent(QDropEvent* event) {
  const QString path = DroppableFile(event->mimeData());
  if (path.isEmpty()) {
    return;
  }
  event->acceptProposedAction();
  OpenDocument(ToText(path));
}

}  // namespace quillora
