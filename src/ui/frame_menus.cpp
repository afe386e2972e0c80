// The main frame's menu bar.
#include "ui/frame_menus.h"

#include <QMenu>
#include <QMenuBar>

#include "ui/qt_text.h"

namespace quillora {

namespace {

QMenu* AddMenu(QMenuBar& bar, const char* name, const QString& caption) {
  QMenu* menu = bar.addMenu(caption);
  menu->setObjectName(QString::fromLatin1(name));
  return menu;
}

QAction* AddItem(QMenu& menu, const char* name, const QString& caption) {
  QAction* action = menu.addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QAction* AddCheckedItem(QMenu& menu, const char* name, const QString& caption) {
  QAction* action = AddItem(menu, name, caption);
  action->setCheckable(true);
  action->setChecked(true);
  return action;
}

}  // namespace

FrameMenus CreateFrameMenus(QMenuBar& bar) {
  FrameMenus m{};

  QMenu* file = AddMenu(bar, "mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
  m.mnuFileOpen = AddItem(*file, "mnuFileOpen", QStringLiteral("開く(&O)..."));
  m.mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  m.mnuFileClose = AddItem(*file, "mnuFileClose", QStringLiteral("すべて閉じる(&C)"));
  file->addSeparator();
  m.mnuFileSave = AddItem(*file, "mnuFileSave", QStringLiteral("上書き保存(&S)"));
  // By design the menu never saves in place; the toolbar's "Save" button does.
  m.mnuFileSave->setEnabled(false);
  m.mnuFileSaveAs = AddItem(*file, "mnuFileSaveAs", QStringLiteral("名前を付けて保存(&A)..."));
  file->addSeparator();
  m.mnuPrint = AddItem(*file, "mnuPrint", QStringLiteral("印刷(&P)"));
  m.mnuPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  m.mnuFileExportPdf = AddItem(*file, "mnuFileExportPdf", QStringLiteral("PDF として出力(&E)..."));
  m.mnuFileSaveAttachments =
      AddItem(*file, "mnuFileSaveAttachments", QStringLiteral("添付ﾌｧｲﾙを保存(&T)..."));
  file->addSeparator();
  m.mnuFileRecent = file->addMenu(QStringLiteral("最近使ったﾌｧｲﾙ(&R)"));
  m.mnuFileRecent->setObjectName(QStringLiteral("mnuFileRecent"));
  file->addSeparator();
  m.mnuFileExit = AddItem(*file, "mnuFileExit", QStringLiteral("終了(&X)"));
  m.mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* decode = AddMenu(bar, "mnuDecode", QStringLiteral("ﾃﾞｺｰﾄﾞ(&D)"));
  m.mnuConvertRunDefault =
      AddItem(*decode, "mnuConvertRunDefault", QString::fromUtf16(kDefaultDecodeCaption));
  decode->addSeparator();
  for (std::size_t i = 0; i < kDecodeTypes.size(); ++i) {
    m.mnuConvertRun[i] = AddItem(*decode, "mnuConvertRun", ToQString(kDecodeTypes[i].menu_caption));
    m.mnuConvertRun[i]->setData(static_cast<int>(i));
  }

  QMenu* view = AddMenu(bar, "mnuView", QStringLiteral("表示(&V)"));
  m.mnuViewToolbar = AddCheckedItem(*view, "mnuViewToolbar", QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"));
  m.mnuViewStatusBar = AddCheckedItem(*view, "mnuViewStatusBar", QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&B)"));
  view->addSeparator();
  m.mnuViewFind = AddItem(*view, "mnuViewFind", QStringLiteral("検索(&F)..."));
  m.mnuViewFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));

  QMenu* tools = AddMenu(bar, "mnuTools", QStringLiteral("ﾂｰﾙ(&T)"));
  m.mnuToolsOptions = AddItem(*tools, "mnuToolsOptions", QStringLiteral("ｵﾌﾟｼｮﾝ(&O)..."));

  m.mnuWindow = AddMenu(bar, "mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
  m.mnuWindowCascade = AddItem(*m.mnuWindow, "mnuWindowCascade", QStringLiteral("重ねて表示(&C)"));
  m.mnuWindowTileHorizontal =
      AddItem(*m.mnuWindow, "mnuWindowTileHorizontal", QStringLiteral("上下に並べて表示(&H)"));
  m.mnuWindowTileVertical =
      AddItem(*m.mnuWindow, "mnuWindowTileVertical", QStringLiteral("左右に並べて表示(&V)"));

  QMenu* help = AddMenu(bar, "mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  m.mnuHelpSearchForHelpOn =
      AddItem(*help, "mnuHelpSearchForHelpOn", QStringLiteral("ﾍﾙﾌﾟ(&H)..."));
  // No help file belongs to the program.
  m.mnuHelpSearchForHelpOn->setEnabled(false);
  help->addSeparator();
  m.mnuHelpAbout = AddItem(*help, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
  return m;
}

}  // namespace quillora
