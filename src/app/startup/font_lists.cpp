// The main frame's font lists.
#include "app/startup/font_lists.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>

#include "app/modQuillora.h"
#include "app/startup/fit_drop_down_width.h"
#include "ui/frmQuillora.h"
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
  fonts.setCurrentIndex(fonts.findText(ToQString(App().SelectFont), Qt::MatchExactly));
  FitDropDownWidth(frame, fonts);

  QComboBox& sizes = frame.cboFontSize();
  sizes.clear();
  for (const std::u16string_view size : kFontSizes) {
    sizes.addItem(ToQString(size));
  }
  sizes.setCurrentIndex(sizes.findText(ToQString(App().SelectFontsize), Qt::MatchExactly));

  frame.SetFontListsFilling(false);
}

}  // namespace quillora
