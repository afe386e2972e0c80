// A document's text written as a PDF file, for machines without a printer.
#pragma once

#include <QFont>
#include <QString>
#include <atomic>
#include <memory>

#include "text/byte_buffer.h"

namespace quillora {

// What a document shows, taken on the user-interface thread to be laid out on another.
struct PdfSource {
  std::shared_ptr<const ByteBuffer> rich_bytes;  // an RTF source's bytes; null for plain text
  QString text;                                  // the plain text as the view holds it
  QFont font;
};

// Lays out source on A4 pages and replaces path with the PDF file as a whole. Runs on any thread.
// Returns the empty text when written, otherwise why not; nothing is written once stop is set.
[[nodiscard]] QString ExportPdf(const PdfSource& source, const QString& path,
                                const std::atomic_bool& stop);

}  // namespace quillora
