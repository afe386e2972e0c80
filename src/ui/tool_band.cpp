// The tool band.
#include "ui/tool_band.h"

#include <QComboBox>

#include "ui/toolbar_icons.h"

namespace quillora {

namespace {

QComboBox* NewFontList(const char* name, int visible_characters) {
  auto* list = new QComboBox;
  list->setObjectName(QString::fromLatin1(name));
  // Selection only, and not reached with Tab.
  list->setEditable(false);
  list->setFocusPolicy(Qt::ClickFocus);
  // A fixed width: the longest font name would stretch the band; the drop-down part is widened.
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(visible_characters);
  return list;
}

}  // namespace

ToolBand::ToolBand(QWidget* parent)
    : QToolBar(parent),
      cboFonts_(NewFontList("cboFonts", 20)),
      cboFontSize_(NewFontList("cboFontSize", 3)) {
  setObjectName(QStringLiteral("cbrTool"));
  setMovable(false);
  setFloatable(false);
  setIconSize(QSize(16, 16));
  setToolButtonStyle(Qt::ToolButtonIconOnly);

  const std::pair<const char16_t*, const char16_t*> buttons[] = {{u"Exit", u"閉じる"},
                                                                 {u"Open", u"開く"},
                                                                 {u"Save", u"保存"},
                                                                 {u"Print", u"印刷"},
                                                                 {u"Decode", u"ﾃﾞｺｰﾄﾞ"}};
  for (const auto& [key, tooltip] : buttons) {
    const QString key_text = QString::fromUtf16(key);
    QAction* button = addAction(ToolbarIcon(key_text), QString::fromUtf16(tooltip));
    button->setObjectName(QStringLiteral("tbToolBar_") + key_text);
    button->setData(key_text);
    button->setToolTip(QString::fromUtf16(tooltip));
  }
  connect(this, &QToolBar::actionTriggered, this,
          [this](QAction* button) { emit ButtonClick(button->data().toString()); });

  addSeparator();
  addWidget(cboFonts_);
  addWidget(cboFontSize_);
}

QAction* ToolBand::Button(QStringView key) const {
  for (QAction* button : actions()) {
    if (button->data().toString() == key) {
      return button;
    }
  }
  return nullptr;
}

}  // namespace quillora
