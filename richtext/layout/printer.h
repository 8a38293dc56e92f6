#pragma once
// What printing a document needs from a printer: a job with pages, a canvas
// to draw on, the printer's fonts and its geometry in printer pixels. The
// program answers with QPrinter; tests record the calls.

#include "richtext/layout/canvas.h"
#include "richtext/layout/font_metrics.h"

namespace quill {

class TPrinter {
 public:
  virtual ~TPrinter() = default;
  // Starts a print job; false when the printer refuses (nothing printed).
  virtual bool BeginDoc() = 0;
  virtual void NewPage() = 0;
  virtual void EndDoc() = 0;
  // Gives up a started job after a failure.
  virtual void Abort() {}
  virtual TCanvas& Canvas() = 0;
  // Font measures as the printer sets text.
  virtual TFontMetrics& Metrics() = 0;
  // Pixels per inch.
  virtual int ResolutionX() const = 0;
  virtual int ResolutionY() const = 0;
  // Size of the printable area in printer pixels.
  virtual int PrintableWidth() const = 0;
  virtual int PrintableHeight() const = 0;
  // Distance of the printable area from the paper's top-left corner, in
  // printer pixels; false when the printer cannot tell.
  virtual bool PrintableOffset(int& x, int& y) const {
    x = y = 0;
    return false;
  }
};

}  // namespace quill
