// The main frame's list of recently opened files.
#include <QFileInfo>
#include <QMenu>

#include "app/identity.h"
#include "app/recent_files.h"
#include "app/settings.h"
#include "ui/frmQuillora.h"
#include "ui/outside_world.h"
#include "ui/qt_text.h"

namespace quillora {

void frmQuillora::RebuildRecentFiles() {
  QMenu& menu = *menus_.mnuFileRecent;
  menu.clear();
  for (std::size_t i = 0; i < recent_files_.size(); ++i) {
    QString caption = ToQString(recent_files_[i]);
    caption.replace(u'&', QStringLiteral("&&"));
    QAction* entry = menu.addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
    connect(entry, &QAction::triggered, this,
            [this, path = recent_files_[i]] { OpenRecentFile(path); });
  }
}

void frmQuillora::OpenRecentFile(const Text& path) {
  // One source file at a time, as with the open dialog.
  if (!menus_.mnuFileOpen->isEnabled()) {
    return;
  }
  if (!QFileInfo(ToQString(path)).isFile()) {
    recent_files_ = Without(std::move(recent_files_), path);
    WriteRecentFiles(SettingsFilePath(), recent_files_);
    UpdateCommandState();
    Outside().ShowMessage(this, ToQString(identity::kTitle),
                          QStringLiteral("\"%1\" が見つかりません。").arg(ToQString(path)),
                          MessageIcon::warning);
    return;
  }
  OpenDocument(path);
}

}  // namespace quillora
