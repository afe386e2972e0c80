// Builds a text area's document from the RTF reader's model.
#include "ui/rich_text_loader.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <string_view>

#include "platform/rtf_reader.h"
#include "ui/qt_text.h"

namespace quillora {

bool IsRichText(std::span<const std::uint8_t> bytes) {
  constexpr std::string_view kSignature = "{\\rtf";
  return bytes.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
}

void LoadRichText(QTextDocument& shown, std::span<const std::uint8_t> bytes) {
  const rtf::Document document = rtf::ReadRtf(bytes);
  // Wherever the file names no font, the document's default font, which the window sets, stands.
  const QTextCharFormat base;
  shown.clear();
  QTextCursor cursor(&shown);
  cursor.beginEditBlock();
  bool first = true;
  for (const rtf::Paragraph& paragraph : document.paragraphs) {
    if (!first) {
      cursor.insertBlock();
    }
    first = false;
    for (const rtf::Run& run : paragraph.runs) {
      QTextCharFormat format = base;
      format.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
      format.setFontItalic(run.format.italic);
      format.setFontUnderline(run.format.underline);
      if (run.format.font >= 0) {
        format.setFontFamilies(
            {ToQString(document.fonts[static_cast<std::size_t>(run.format.font)])});
      }
      if (run.format.half_points > 0) {
        format.setFontPointSize(run.format.half_points / 2.0);
      }
      if (run.format.colour) {
        format.setForeground(QColor::fromRgb(*run.format.colour));
      }
      cursor.insertText(ToQString(run.text), format);
    }
  }
  cursor.endEditBlock();
}

}  // namespace quillora
