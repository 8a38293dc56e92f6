#pragma once
// The layout's printer on a QPrinter: a system printer (through CUPS) or a
// PDF file, whichever the QPrinter was set up for. Text is measured and
// drawn with fonts sized for the printer's resolution, so that a page looks
// the same whatever screen the program runs on.

#include <QPainter>
#include <QPrinter>
#include <memory>

#include "richtext/layout/printer.h"
#include "richtext/widget/painter_canvas.h"
#include "richtext/widget/picture_cache.h"
#include "richtext/widget/qt_font_metrics.h"

namespace quill {

class TQtPrinter : public TPrinter {
 public:
  // PRINTER must outlive this object and stay set up as it is while a job
  // runs.
  explicit TQtPrinter(QPrinter& printer);
  ~TQtPrinter() override;
  TQtPrinter(const TQtPrinter&) = delete;
  TQtPrinter& operator=(const TQtPrinter&) = delete;

  // False when the printer or the output file cannot be opened.
  bool BeginDoc() override;
  // Raise std::runtime_error when the printer gives up (a full disk, a
  // stopped queue): the job is then incomplete.
  void NewPage() override;
  void EndDoc() override;
  void Abort() override;
  TCanvas& Canvas() override { return canvas_; }
  TFontMetrics& Metrics() override { return fonts_; }
  int ResolutionX() const override;
  int ResolutionY() const override;
  int PrintableWidth() const override;
  int PrintableHeight() const override;
  // Where the printable area begins on the paper; 0, 0 when the whole paper
  // is printable.
  bool PrintableOffset(int& x, int& y) const override;

 private:
  QPrinter& printer_;
  QPainter painter_;
  TQtFontMetrics fonts_;
  TPictureCache pictures_;
  TPainterCanvas canvas_;
};

}  // namespace quill
