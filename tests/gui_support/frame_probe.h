// Reading and driving the main frame the way a user sees it: by its named menu items, toolbar
// buttons and lists.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QTest>

#include "ui/frmDocument.h"
#include "ui/frmQuillora.h"

namespace quillora::testing {

[[nodiscard]] inline QAction* Item(const frmQuillora& frame, const char* name) {
  return frame.findChild<QAction*>(QLatin1String(name));
}

[[nodiscard]] inline QAction* Button(const frmQuillora& frame, const char* key) {
  return frame.findChild<QAction*>(QLatin1String("tbToolBar_") + QLatin1String(key));
}

[[nodiscard]] inline QAction* DecodeItem(const frmQuillora& frame, int index) {
  for (QAction* item : frame.findChildren<QAction*>(QStringLiteral("mnuConvertRun"))) {
    if (item->data().toInt() == index) {
      return item;
    }
  }
  return nullptr;
}

// One letter per command, upper case while enabled, "-" while disabled: Open, Close all, Save
// (Save As and the Save button), Print, Decode (the six Decode items and the button), Fonts (both
// lists). A menu item and its button that disagree show as "?".
[[nodiscard]] inline QString CommandStates(const frmQuillora& frame) {
  const auto letter = [](QList<bool> states, char name) {
    if (!states.contains(!states.front())) {
      return states.front() ? QChar::fromLatin1(name) : QChar(u'-');
    }
    return QChar(u'?');
  };
  QList<bool> decode{Item(frame, "mnuConvertRunDefault")->isEnabled(),
                     Button(frame, "Decode")->isEnabled()};
  for (int i = 0; i < 5; ++i) {
    decode.append(DecodeItem(frame, i)->isEnabled());
  }
  QString states;
  states +=
      letter({Item(frame, "mnuFileOpen")->isEnabled(), Button(frame, "Open")->isEnabled()}, 'O');
  states += letter({Item(frame, "mnuFileClose")->isEnabled()}, 'C');
  states +=
      letter({Item(frame, "mnuFileSaveAs")->isEnabled(), Button(frame, "Save")->isEnabled()}, 'S');
  states +=
      letter({Item(frame, "mnuPrint")->isEnabled(), Button(frame, "Print")->isEnabled()}, 'P');
  states += letter(decode, 'D');
  states += letter({frame.cboFonts().isEnabled(), frame.cboFontSize().isEnabled()}, 'F');
  return states;
}

[[nodiscard]] inline QStringList Captions(const frmQuillora& frame) {
  QStringList captions;
  for (const frmDocument* document : frame.Documents()) {
    captions << document->windowTitle();
  }
  return captions;
}

inline void Activate(frmQuillora& frame, frmDocument* document) {
  frame.findChild<QMdiArea*>()->setActiveSubWindow(document);
}

}  // namespace quillora::testing
