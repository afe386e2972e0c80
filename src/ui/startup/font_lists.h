// The main frame's two font lists, filled once at start-up.
#pragma once

#include <QStringList>
#include <array>
#include <string_view>

class QWidget;

namespace quillora {

class frmQuillora;

// The sizes offered for the document text, in points, in the order offered.
inline constexpr std::array<std::u16string_view, 16> kFontSizes{
    u"8",  u"9",  u"10", u"11", u"12", u"14", u"16", u"18",
    u"20", u"22", u"24", u"26", u"28", u"36", u"48", u"72"};

// Fills the font-name list with the screen fonts, sorted, letting events run after each name, and
// the size list with kFontSizes; selects the font documents are shown in and the saved size. Both
// lists stay disabled while this runs and are enabled afterwards when a source document is open.
// Warns when no installed font covers Japanese.
void FillFontLists(frmQuillora& frame);

// Tells the user, once, when japanese_fonts is empty.
void WarnWithoutJapaneseFont(QWidget& frame, const QStringList& japanese_fonts);

}  // namespace quillora
