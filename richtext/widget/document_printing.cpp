#include "richtext/widget/document_printing.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <QPrinter>
#include <QTemporaryFile>

#include "richtext/widget/qt_font_metrics.h"
#include "richtext/widget/qt_printer.h"

namespace quill {

namespace {

// The document's paper in points (20 twips each), landscape when wider than
// high.
QPageLayout PageLayoutOf(const TTextHeader& h) {
  const double w = std::max(1, h.pageWidth) / 20.0;
  const double ht = std::max(1, h.pageHeight) / 20.0;
  const bool landscape = w > ht;
  const QPageSize size(landscape ? QSizeF(ht, w) : QSizeF(w, ht), QPageSize::Point, QString(),
                       QPageSize::ExactMatch);
  return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                     QPageLayout::Point);
}

}  // namespace

bool PrintOnPrinter(TRTFTextPaint& paint, QPrinter& printer, const TPrintHandlers& handlers) {
  TQtPrinter target(printer);
  return PrintDocument(paint, target, handlers);
}

bool PrintToPdf(TRTFTextPaint& paint, const QString& fileName, const TPrintHandlers& handlers, int resolution) {
  // The pages go to a new file beside the target, which replaces the target
  // only once complete: a failed print leaves an earlier file as it was.
  QTemporaryFile part(QFileInfo(fileName).absoluteFilePath() + QStringLiteral(".part-XXXXXX"));
  if (!part.open()) return false;
  part.close();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(part.fileName());
  printer.setResolution(resolution > 0 ? resolution : kPdfResolution);
  printer.setFullPage(true);
  if (!printer.setPageLayout(PageLayoutOf(paint.Document().header))) return false;
  if (!PrintOnPrinter(paint, printer, handlers)) return false;
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(part.fileName()).toStdString(),
                          QFile::encodeName(fileName).toStdString(), error);
  return !error;
}

bool PrintToPdf(TRTFText& doc, const QString& fileName, const TPrintHandlers& handlers, int resolution) {
  TQtFontMetrics screenFonts;
  TRTFTextPaint paint(doc, screenFonts);
  // Its own resolution is what the document goes back to afterwards.
  paint.SetResolution(doc.header.resolutionX, doc.header.resolutionY);
  paint.SetWordWrap(false);
  return PrintToPdf(paint, fileName, handlers, resolution);
}

}  // namespace quill
