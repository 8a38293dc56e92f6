#pragma once
// The canvas on a QPainter: the editor window, an image, or a printer page
// (PDF included). Characters are placed at the widths layout measured with
// the same fonts, so that runs meet exactly and the caret sits between
// characters.

#include <QPainter>

#include "richtext/layout/canvas.h"
#include "richtext/widget/picture_cache.h"
#include "richtext/widget/qt_font_metrics.h"

namespace quill {

// 0x00BBGGRR as the document stores colours.
QColor QtColorOf(uint32_t color);

class TPainterCanvas : public TCanvas {
 public:
  // FONTS and PICTURES are the caches the editor keeps between paints.
  TPainterCanvas(QPainter& painter, TQtFontMetrics& fonts, TPictureCache& pictures, bool printer = false)
      : painter_(painter), fonts_(fonts), pictures_(pictures), printer_(printer) {}

  // Spaces of a run narrower than its cell share the difference, the first
  // ones a pixel more, as a justified line spreads its words.
  void DrawText(int x, int baseline, int width, int ascent, int height, std::string_view text,
                const TTextRunStyle& style) override;
  void FillRect(int x, int y, int w, int h, uint32_t color) override;
  void DrawLine(int x1, int y1, int x2, int y2, uint32_t color, int width = 1, bool dotted = false) override;
  void DrawPicture(int x, int y, int w, int h, const TPicture* picture) override;
  void HighlightRect(int x, int y, int w, int h) override;
  bool IsPrinter() const override { return printer_; }

 private:
  void DrawPlaceholder(int x, int y, int w, int h);

  QPainter& painter_;
  TQtFontMetrics& fonts_;
  TPictureCache& pictures_;
  bool printer_;
};

}  // namespace quill
