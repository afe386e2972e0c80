// Laying out a document's text on pages.
#include "ui/paged_text.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include "ui/rich_text_loader.h"

namespace quillora {

std::unique_ptr<QTextDocument> PagedDocument(const ShownContent& content) {
  auto document = std::make_unique<QTextDocument>();
  if (content.rich_bytes) {
    LoadRichText(*document, *content.rich_bytes);
  } else {
    document->setPlainText(content.text);
  }
  document->setDefaultFont(content.font);
  return document;
}

QString ExportPdf(const ShownContent& content, const QString& path, const std::atomic_bool& stop) {
  const std::unique_ptr<QTextDocument> document = PagedDocument(content);
  // Written beside the target and renamed over it at the end, so a failure leaves no half file.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return file.errorString();
  }
  {
    QPdfWriter writer(&file);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    writer.setResolution(300);
    document->print(&writer);
  }
  if (stop) {
    file.cancelWriting();
    return {};
  }
  if (file.error() != QFileDevice::NoError || !file.commit()) {
    return file.errorString();
  }
  return {};
}

}  // namespace quillora
