// A document's text laid out on pages, for the printer or a PDF file. Both run off the
// user-interface thread, as a long text takes long to lay out.
#pragma once

#include <QFont>
#include <QString>
#include <atomic>
#include <memory>

#include "text/byte_buffer.h"

class QTextDocument;

namespace quillora {

// What a document shows, taken on the user-interface thread to be laid out on another.
struct ShownContent {
  std::shared_ptr<const ByteBuffer> rich_bytes;  // an RTF source's bytes; null for plain text
  QString text;                                  // the plain text as the view holds it
  QFont font;
};

// A document of its own holding content, on the calling thread.
[[nodiscard]] std::unique_ptr<QTextDocument> PagedDocument(const ShownContent& content);

// Lays out content on A4 pages and replaces path with the PDF file as a whole. Runs on any thread.
// Returns the empty text when written, otherwise why not; nothing is written once stop is set.
[[nodiscard]] QString ExportPdf(const ShownContent& content, const QString& path,
                                const std::atomic_bool& stop);

}  // namespace quillora
