#include "print/print_destination.h"

#include <QFileInfo>
#include <QPrinter>

#include "richtext/widget/document_printing.h"

namespace quill {

bool CanPrint(const QStringList& systemPrinters, bool pdfOutputPossible) {
  return !systemPrinters.isEmpty() || pdfOutputPossible;
}

bool PdfOutputPossible() {
  QPrinter probe;
  probe.setOutputFormat(QPrinter::PdfFormat);
  return probe.isValid() && probe.outputFormat() == QPrinter::PdfFormat;
}

QString FileNameWithKey(const QString& fileName, const std::string& key) {
  if (key.empty()) return fileName;
  const QString suffix = QString::fromStdString("-" + key);
  const QFileInfo info(fileName);
  const QString ext = info.suffix();
  // Only a dot within the file's own name starts an extension.
  if (ext.isEmpty() || info.completeBaseName().isEmpty()) return fileName + suffix;
  return fileName.left(fileName.size() - ext.size() - 1) + suffix + "." + ext;
}

TPrintDestination::TPrintDestination(QPrinter& printer, QString pdfFileName)
    : printer_(printer),
      pdf_(printer.outputFormat() == QPrinter::PdfFormat),
      pdfFileName_(pdf_ && pdfFileName.isEmpty() ? printer.outputFileName() : std::move(pdfFileName)) {}

TPrinterPage TPrintDestination::Page() const { return PrinterPageOf(printer_); }

int TPrintDestination::ResolutionX() const { return pdf_ ? kPdfResolution : printer_.logicalDpiX(); }
int TPrintDestination::ResolutionY() const { return pdf_ ? kPdfResolution : printer_.logicalDpiY(); }

bool TPrintDestination::PrintJob(TRTFTextPaint& paint, const TPrintHandlers& handlers, const std::string& key) {
  bool ok;
  if (pdf_) {
    // The document's page was set up from the printer's, so the PDF pages
    // have the printer's paper size.
    lastTarget_ = FileNameWithKey(pdfFileName_, key);
    ok = !lastTarget_.isEmpty() && PrintToPdf(paint, lastTarget_, handlers, kPdfResolution);
    if (ok) files_ << lastTarget_;
  } else {
    lastTarget_ = printer_.printerName();
    ok = PrintOnPrinter(paint, printer_, handlers);
  }
  if (ok) ++jobs_;
  return ok;
}

}  // namespace quill
