#include "richtext/widget/qt_printer.h"

#include <QPageLayout>
#include <stdexcept>

namespace quill {

TQtPrinter::TQtPrinter(QPrinter& printer)
    : printer_(printer), canvas_(painter_, fonts_, pictures_, /*printer=*/true) {}

TQtPrinter::~TQtPrinter() {
  if (painter_.isActive()) painter_.end();
}

bool TQtPrinter::BeginDoc() {
  if (painter_.isActive()) return false;
  if (!painter_.begin(&printer_)) return false;
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  return true;
}

void TQtPrinter::NewPage() {
  if (!painter_.isActive() || !printer_.newPage())
    throw std::runtime_error("The printer did not start a new page");
}

void TQtPrinter::EndDoc() {
  // For a file the pages are written here; a failure means a broken file.
  if (painter_.isActive() && !painter_.end()) throw std::runtime_error("The printer did not finish the print job");
}

void TQtPrinter::Abort() {
  if (!painter_.isActive()) return;
  printer_.abort();
  painter_.end();
}

int TQtPrinter::ResolutionX() const { return printer_.logicalDpiX(); }
int TQtPrinter::ResolutionY() const { return printer_.logicalDpiY(); }
int TQtPrinter::PrintableWidth() const { return printer_.width(); }
int TQtPrinter::PrintableHeight() const { return printer_.height(); }

bool TQtPrinter::PrintableOffset(int& x, int& y) const {
  x = y = 0;
  if (printer_.fullPage()) return true;
  const QPageLayout layout = printer_.pageLayout();
  const int dpi = printer_.resolution();
  const QRect paper = layout.fullRectPixels(dpi);
  const QRect printable = layout.paintRectPixels(dpi);
  x = printable.left() - paper.left();
  y = printable.top() - paper.top();
  return true;
}

}  // namespace quill
