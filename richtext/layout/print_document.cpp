#include "richtext/layout/print_document.h"

namespace quill {

namespace {

// Puts the screen layout back however printing ends.
class TScreenLayoutKeeper {
 public:
  explicit TScreenLayoutKeeper(TRTFTextPaint& paint)
      : paint_(paint),
        metrics_(paint.FontMetrics()),
        resolutionX_(paint.DisplayResolutionX()),
        resolutionY_(paint.DisplayResolutionY()),
        zoom_(paint.Zoom()),
        wordWrap_(paint.WordWrap()) {}
  ~TScreenLayoutKeeper() {
    paint_.BeginUpdate();
    paint_.SetFontMetrics(metrics_);
    paint_.SetResolution(resolutionX_, resolutionY_, zoom_);
    paint_.SetWordWrap(wordWrap_);
    paint_.EndUpdate();
    paint_.RelayoutAll();
  }
  TScreenLayoutKeeper(const TScreenLayoutKeeper&) = delete;
  TScreenLayoutKeeper& operator=(const TScreenLayoutKeeper&) = delete;

 private:
  TRTFTextPaint& paint_;
  TFontMetrics& metrics_;
  int resolutionX_, resolutionY_, zoom_;
  bool wordWrap_;
};

}  // namespace

bool PrintDocument(TRTFTextPaint& paint, TPrinter& printer, const TPrintHandlers& handlers) {
  if (!printer.BeginDoc()) return false;
  TScreenLayoutKeeper keeper(paint);
  try {
    int offsetX = 0, offsetY = 0;
    if (!printer.PrintableOffset(offsetX, offsetY)) offsetX = offsetY = 0;

    // Printer pixels, printer fonts, lines as wide as the page's text.
    paint.BeginUpdate();
    paint.SetFontMetrics(printer.Metrics());
    paint.SetResolution(printer.ResolutionX(), printer.ResolutionY(), 100);
    paint.SetWordWrap(false);
    paint.EndUpdate();
    paint.RelayoutAll();

    const TTextHeader& h = paint.Document().header;
    const int leftEdge = h.TwipsToPixelsX(h.marginLeft) - offsetX;
    const int topEdge = h.TwipsToPixelsY(h.marginTop) - offsetY;
    const int textWidth = h.textWidthPixels;
    const int textHeight = h.textHeightPixels;
    const int printableTop = 0;
    const int footerTop = topEdge + textHeight;
    TCanvas& canvas = printer.Canvas();

    int page = 1, lineNumber = 1;
    auto header = [&] {
      if (handlers.PrintHeader)
        handlers.PrintHeader(handlers.Sender, canvas, leftEdge, printableTop, textWidth, topEdge - printableTop, page,
                             lineNumber);
    };
    auto footer = [&] {
      if (handlers.PrintFooter)
        handlers.PrintFooter(handlers.Sender, canvas, leftEdge, footerTop, textWidth,
                             printer.PrintableHeight() - footerTop, page, lineNumber);
    };

    header();
    int pageTop = 0;
    for (const TParagraph* p = paint.Document().firstParagraph; p; p = p->next) {
      for (const TLine* l = p->firstLine; l; l = l->next) {
        if (TRTFTextPaint::StartsPage(p, l)) {
          footer();
          printer.NewPage();
          ++page;
          header();
          pageTop = l->top;
        }
        paint.DrawLine(canvas, p, l, leftEdge, l->top - pageTop + topEdge);
        ++lineNumber;
      }
    }
    footer();
    printer.EndDoc();
  } catch (...) {
    printer.Abort();
    throw;
  }
  return true;
}

}  // namespace quill
