#pragma once
// Where layout draws: the screen through the editor widget, or a printer
// page. Coordinates are pixels of the target's resolution; colours are
// 0x00BBGGRR as in the document's colour table.

#include <cstdint>
#include <string_view>

#include "richtext/layout/font_metrics.h"

namespace quill {

struct TPicture;

struct TTextRunStyle {
  TFontSpec font;              // style bits carry underline, strike-out, ...
  uint32_t color = 0;          // text colour
  bool hasBackground = false;  // fill the run's cell with background first
  uint32_t background = 0xFFFFFF;
};

class TCanvas {
 public:
  virtual ~TCanvas() = default;
  // Draws TEXT (Windows-1252 bytes) with its base line at (x, baseline);
  // WIDTH and HEIGHT are the laid-out cell of the run, for the background,
  // underlines and strike-out.
  virtual void DrawText(int x, int baseline, int width, int ascent, int height, std::string_view text,
                        const TTextRunStyle& style) = 0;
  virtual void FillRect(int x, int y, int w, int h, uint32_t color) = 0;
  // A line one pixel wide unless WIDTH says otherwise; DOTTED draws dots.
  virtual void DrawLine(int x1, int y1, int x2, int y2, uint32_t color, int width = 1, bool dotted = false) = 0;
  // Draws PICTURE scaled into the box; a picture the target cannot decode
  // (or none) shows as a framed placeholder of the box's size.
  virtual void DrawPicture(int x, int y, int w, int h, const TPicture* picture) = 0;
  // Inverts or tints the box to show a selection.
  virtual void HighlightRect(int x, int y, int w, int h) = 0;
  // Whether this is a printer page (page-break markers and other screen
  // aids are not drawn there).
  virtual bool IsPrinter() const { return false; }
};

}  // namespace quill
