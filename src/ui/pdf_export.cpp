// Writing a PDF file.
#include "ui/pdf_export.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include "ui/rich_text_loader.h"

namespace quillora {

QString ExportPdf(const PdfSource& source, const QString& path, const std::atomic_bool& stop) {
  QTextDocument document;
  if (source.rich_bytes) {
    LoadRichText(document, *source.rich_bytes);
  } else {
    document.setPlainText(source.text);
  }
  document.setDefaultFont(source.font);

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
    document.print(&writer);
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
