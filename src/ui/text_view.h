// The text a document window shows, built as a whole QTextDocument off the user-interface thread
// and laid out by QPlainTextEdit, whose cost follows what is on screen, not the whole text.
#pragma once

#include <QTextCursor>
#include <QTextDocument>
#include <cstdint>
#include <memory>
#include <span>

#include "ui/background_work.h"

namespace quillora {

// A result that nobody waits for any more is dropped on the thread it was made for.
struct DeleteLater {
  void operator()(QObject* object) const { DeleteOnOwnThread(object); }
};
using ShownText = std::unique_ptr<QTextDocument, DeleteLater>;

// A document for code page 932 bytes: formatted when they are an RTF file, plain text otherwise.
// Safe to call on any thread; the document is handed to the user-interface thread, where the
// window that shows it lives.
[[nodiscard]] ShownText BuildTextView(std::span<const std::uint8_t> cp932, bool rich);

// Keeps each block's count of text lines (ForTextArea puts many in one block) up to date after an
// edit between from and from + added.
void RecountLines(QTextDocument& document, int from, int added);

// The document's text with its block ends as U+2029, as QTextDocument::toRawText gives it, but
// taken a few thousand blocks at a time with the event loop running in between, holding back user
// input: a hundred million characters are not copied in one stall. Empty when the document is
// deleted meanwhile.
[[nodiscard]] QString RawTextInSlices(const QTextDocument& document);

struct LineColumn {
  qsizetype line;    // from 1
  qsizetype column;  // from 1, in characters
};
[[nodiscard]] LineColumn CursorLineColumn(const QTextCursor& cursor);

}  // namespace quillora
