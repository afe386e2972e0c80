// The main frame's font lists.
#include "ui/startup/font_lists.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>

#include "app/identity.h"
#include "app/modQuillora.h"
#include "ui/startup/fit_drop_down_width.h"
#include "ui/frmQuillora.h"
#include "ui/japanese_font.h"
#include "ui/outside_world.h"
#include "ui/qt_text.h"

namespace quillora {

namespace {

// The list keeps its entries sorted, without regard to case.
void InsertSorted(QComboBox& list, const QString& entry) {
  int low = 0;
  int high = list.count();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (QString::compare(list.itemText(middle), entry, Qt::CaseInsensitive) <= 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  list.insertItem(low, entry);
}

}  // namespace

void FillFontLists(frmQuillora& frame) {
  frame.SetFontListsFilling(true);

  QComboBox& fonts = frame.cboFonts();
  fonts.clear();
  for (const QString& family : QFontDatabase::families()) {
    InsertSorted(fonts, family);
    QCoreApplication::processEvents();
  }
  // The stored name stays as it is until the user picks another; the box shows the font the
  // documents are shown in.
  fonts.setCurrentIndex(fonts.findText(ShownFontName(App().SelectFont), Qt::MatchExactly));
  FitDropDownWidth(frame, fonts);

  QComboBox& sizes = frame.cboFontSize();
  sizes.clear();
  for (const std::u16string_view size : kFontSizes) {
    sizes.addItem(ToQString(size));
  }
  sizes.setCurrentIndex(sizes.findText(ToQString(App().SelectFontsize), Qt::MatchExactly));

  frame.SetFontListsFilling(false);
  WarnWithoutJapaneseFont(frame, JapaneseFonts());
}

void WarnWithoutJapaneseFont(QWidget& frame, const QStringList& japanese_fonts) {
  if (!japanese_fonts.isEmpty()) {
    return;
  }
  // Without such a font the Japanese words themselves are boxes, so the English says it too.
  Outside().ShowMessage(
      &frame, ToQString(identity::kTitle),
      QStringLiteral(
          "日本語を表示できるﾌｫﾝﾄがｲﾝｽﾄｰﾙされていないため、文字が正しく表示されません。\n"
          "ﾌｫﾝﾄ (fonts-noto-cjk など) をｲﾝｽﾄｰﾙしてください。\n\n"
          "No installed font covers Japanese, so the text shows as boxes.\n"
          "Install one, for example fonts-noto-cjk."),
      MessageIcon::warning);
}

}  // namespace quillora
