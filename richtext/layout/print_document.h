#pragma once
// Prints a laid-out document page by page, calling the page header and
// footer handlers, and lays it out for the screen again afterwards.

#include <functional>

#include "richtext/layout/canvas.h"
#include "richtext/layout/printer.h"
#include "richtext/layout/text_paint.h"

namespace quill {

// A page header or footer handler: the area is X, Y, W, H in printer pixels
// on PRCANVAS; LINENUMBER counts printed lines from 1.
using TPrintEvent = std::function<void(void* Sender, TCanvas& prCanvas, int x, int y, int w, int h,
                                       int PageNumber, int LineNumber)>;

struct TPrintHandlers {
  TPrintEvent PrintHeader;
  TPrintEvent PrintFooter;
  void* Sender = nullptr;  // handed to the handlers as it is
};

// Prints the document of PAINT as one job on PRINTER. Returns false when the
// printer would not start the job. The screen layout (resolution, fonts,
// word wrap, window width) is restored before returning, also when drawing
// fails with an exception.
bool PrintDocument(TRTFTextPaint& paint, TPrinter& printer, const TPrintHandlers& handlers = {});

}  // namespace quill
