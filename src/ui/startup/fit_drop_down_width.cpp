// Widening a drop-down list.
#include "ui/startup/fit_drop_down_width.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QStyle>

#include "text/cp932_codec.h"
#include "ui/qt_text.h"

namespace quillora {

QString LongestEntry(const QStringList& entries) {
  QString longest;
  std::size_t longest_bytes = 0;
  for (const QString& entry : entries) {
    const QString candidate = entry + QStringLiteral("　");
    const std::size_t bytes = TextToBytes(ToText(candidate)).size();
    if (bytes > longest_bytes) {
      longest = candidate;
      longest_bytes = bytes;
    }
  }
  return longest;
}

void FitDropDownWidth(const QWidget& window, QComboBox& list) {
  QStringList entries;
  entries.reserve(list.count());
  for (int i = 0; i < list.count(); ++i) {
    entries.append(list.itemText(i));
  }
  const QString widest = LongestEntry(entries) + QStringLiteral("B");
  // The text, and around it the list's frame and its scroll bar.
  QAbstractItemView& view = *list.view();
  view.setMinimumWidth(QFontMetrics(window.font()).horizontalAdvance(widest) +
                       2 * view.frameWidth() +
                       view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view));
}

}  // namespace quillora
