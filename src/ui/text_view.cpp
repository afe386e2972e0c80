// Building and reading the text a document window shows.
#include "ui/text_view.h"

#include <QCoreApplication>
#include <QPlainTextDocumentLayout>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>

#include "text/cp932_codec.h"
#include "ui/line_ends.h"
#include "ui/qt_text.h"
#include "ui/rich_text_loader.h"

namespace quillora {

namespace {

constexpr QChar kLineSeparator(0x2028);

void CountLines(QTextBlock block) {
  block.setUserState(static_cast<int>(block.text().count(kLineSeparator)) + 1);
}

}  // namespace

ShownText BuildTextView(std::span<const std::uint8_t> cp932, bool rich) {
  ShownText document(new QTextDocument);
  document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
  // Loading is no step the user could undo, and recording it would double the memory.
  document->setUndoRedoEnabled(false);
  if (rich) {
    LoadRichText(*document, cp932);
  } else {
    document->setPlainText(ToQString(ForTextArea(BytesToText(cp932))));
  }
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    CountLines(block);
  }
  document->setUndoRedoEnabled(true);
  document->setModified(false);
  document->moveToThread(QCoreApplication::instance()->thread());
  return document;
}

void RecountLines(QTextDocument& document, int from, int added) {
  const QTextBlock last = document.findBlock(from + added);
  for (QTextBlock block = document.findBlock(from); block.isValid(); block = block.next()) {
    CountLines(block);
    if (block == last) {
      break;
    }
  }
}

QString RawTextInSlices(const QTextDocument& document) {
  constexpr int kBlocksPerSlice = 2048;  // about 130,000 lines of mail: a few milliseconds
  const QPointer<const QTextDocument> alive(&document);
  QString text;
  text.reserve(document.characterCount());
  QTextBlock block = document.begin();
  while (block.isValid()) {
    for (int n = 0; n < kBlocksPerSlice && block.isValid(); ++n) {
      text += block.text();
      block = block.next();
      if (block.isValid()) {
        text += QChar(QChar::ParagraphSeparator);
      }
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (alive.isNull()) {
      return {};
    }
  }
  return text;
}

LineColumn CursorLineColumn(const QTextCursor& cursor) {
  const QTextBlock here = cursor.block();
  qsizetype line = 1;
  for (QTextBlock block = here.previous(); block.isValid(); block = block.previous()) {
    line += std::max(block.userState(), 1);
  }
  const QString before = here.text().left(cursor.positionInBlock());
  const qsizetype last_break = before.lastIndexOf(kLineSeparator);
  return {line + before.count(kLineSeparator), before.size() - last_break};
}

}  // namespace quillora
