// Widening a drop-down list so that its longest entry fits.
#pragma once

#include <QStringList>

class QComboBox;
class QWidget;

namespace quillora {

// The entry that is longest in code page 932 bytes (a full-width character counts 2), with an
// ideographic space after it; the earlier of equally long entries; empty for an empty list.
[[nodiscard]] QString LongestEntry(const QStringList& entries);

// Makes the list's drop-down part at least as wide as its longest entry followed by "B", measured
// with the window's font.
void FitDropDownWidth(const QWidget& window, QComboBox& list);

}  // namespace quillora
