// The main frame's font, view, window, tools and help commands, and the toolbar's dispatch.
#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <exception>

#include "app/number_text.h"
#include "app/settings.h"
#include "ui/dialogs/frmAbout.h"
#include "ui/dialogs/frmOption.h"
#include "ui/frmDocument.h"
#include "ui/frmQuillora.h"
#include "ui/japanese_font.h"
#include "ui/outside_world.h"
#include "ui/qt_text.h"
#include "ui/status_panels.h"
#include "ui/tool_band.h"

namespace quillora {

void frmQuillora::cboFonts_Click(int index) {
  App().SelectFont = ToText(cboFonts().itemText(index));
  SetChangeFonts();
}

void frmQuillora::cboFontSize_Click(int index) {
  App().SelectFontsize = ToText(cboFontSize().itemText(index));
  SetChangeFonts();
}

void frmQuillora::SetChangeFonts() {
  const QString name = ShownFontName(App().SelectFont);
  const std::optional<double> size = FontSizeSetting();
  const QList<frmDocument*> documents = Documents();
  for (auto it = documents.rbegin(); it != documents.rend(); ++it) {
    (*it)->SetFontName(name);
    if (size) {
      (*it)->SetFontSize(*size);
    }
  }
}

void frmQuillora::tbToolBar_ButtonClick(const QString& key) {
  // A command started from the toolbar that fails midway ends quietly, as the menu's would have
  // ended at its own failure; nothing escapes into the event loop.
  try {
    if (key == u"Exit") {
      mnuFileExit_Click();
    } else if (key == u"Open") {
      mnuFileOpen_Click();
    } else if (key == u"Save") {
      mnuFileSave_Click();
    } else if (key == u"Print") {
      mnuPrint_Click();
    } else if (key == u"Decode") {
      mnuConvertRunDefault_Click();
    }
  } catch (const std::exception&) {  // deliberately silent: see above
  }
}

void frmQuillora::mnuViewToolbar_Click() {
  cbrTool_->setVisible(menus_.mnuViewToolbar->isChecked());
}

void frmQuillora::mnuViewStatusBar_Click() {
  sbStatusBar_->setVisible(menus_.mnuViewStatusBar->isChecked());
}

void frmQuillora::mnuViewFind_Click() {
  if (frmDocument* active = ActiveDocument()) {
    active->OpenFindBar();
  }
}

void frmQuillora::mnuWindowCascade_Click() {
  mdiArea_->cascadeSubWindows();
}

void frmQuillora::mnuWindowTileHorizontal_Click() {
  ArrangeDocuments(Qt::Vertical);
}

void frmQuillora::mnuWindowTileVertical_Click() {
  ArrangeDocuments(Qt::Horizontal);
}

void frmQuillora::RebuildWindowList() {
  qDeleteAll(window_list_);
  window_list_.clear();
  const QList<frmDocument*> documents = Documents();
  if (documents.isEmpty()) {
    return;
  }
  window_list_.append(menus_.mnuWindow->addSeparator());
  const frmDocument* active = ActiveDocument();
  for (qsizetype i = 0; i < documents.size(); ++i) {
    frmDocument* document = documents[i];
    QString caption = document->windowTitle();
    caption.replace(u'&', QStringLiteral("&&"));
    QAction* entry =
        menus_.mnuWindow->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(caption)
                                          : QStringLiteral("%1 %2").arg(i + 1).arg(caption));
    entry->setCheckable(true);
    entry->setChecked(document == active);
    connect(entry, &QAction::triggered, this, [this, target = QPointer<frmDocument>(document)] {
      if (target) {
        mdiArea_->setActiveSubWindow(target);
      }
    });
    window_list_.append(entry);
  }
}

void frmQuillora::mnuToolsOptions_Click() {
  const Text before = App().DefaultDecodeType;
  frmOption dialog;
  dialog.exec();
  if (App().DefaultDecodeType != before) {
    ShowDefaultDecodeCaption();
  }
}

void frmQuillora::mnuHelpAbout_Click() {
  frmAbout box(this);
  box.exec();
}

void frmQuillora::mnuHelpSearchForHelpOn_Click() {
  Outside().ShowMessage(
      this, windowTitle(),
      QStringLiteral(
          "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"),
      MessageIcon::information);
}

}  // namespace quillora
