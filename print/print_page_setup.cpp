#include "print/print_page_setup.h"

#include <QPrinter>

#include "richtext/widget/qt_printer.h"

namespace quill {

int TruePageWidth(const TPrinterPage& page) { return page.printableWidth + 2 * page.offsetX; }
int TruePageHeight(const TPrinterPage& page) { return page.printableHeight + 2 * page.offsetY; }

bool ApplyPrintPageSize(TTextHeader& header, const TPrinterPage& page) {
  if (page.resolutionX <= 0 || page.resolutionY <= 0) return false;
  const int width = int(double(TruePageWidth(page)) / page.resolutionX * 1440);
  const int height = int(double(TruePageHeight(page)) / page.resolutionY * 1440);
  // A page too small for two inches of margins would leave no text area.
  if (width <= 2 * kPrintMargin || height <= 2 * kPrintMargin) return false;
  header.pageWidth = width;
  header.pageHeight = height;
  header.marginLeft = header.marginRight = header.marginTop = header.marginBottom = kPrintMargin;
  header.RecomputeTextSize();
  return true;
}

TPrinterPage PrinterPageOf(QPrinter& printer) {
  TQtPrinter p(printer);
  TPrinterPage page;
  page.printableWidth = p.PrintableWidth();
  page.printableHeight = p.PrintableHeight();
  p.PrintableOffset(page.offsetX, page.offsetY);
  page.resolutionX = p.ResolutionX();
  page.resolutionY = p.ResolutionY();
  return page;
}

}  // namespace quill
