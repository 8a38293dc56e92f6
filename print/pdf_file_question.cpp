#include "print/pdf_file_question.h"

#include <QFileDialog>

namespace quill {

namespace {
PdfFileAsker& Asker() {
  static PdfFileAsker asker;
  return asker;
}
}  // namespace

void SetPdfFileAsker(PdfFileAsker asker) { Asker() = std::move(asker); }

QString AskPdfFileName(QWidget* parent, const QString& suggested) {
  if (Asker()) return Asker()(parent, suggested);
  QString name = QFileDialog::getSaveFileName(parent, "Print to PDF File", suggested, "PDF files (*.pdf)");
  if (!name.isEmpty() && !name.endsWith(".pdf", Qt::CaseInsensitive) && !name.contains('.')) name += ".pdf";
  return name;
}

}  // namespace quill
