#pragma once
// Font metrics without a platform: every character has one advance width
// (with a few set apart), scaled by point size and resolution. Tests use it
// so that wrapping and positions are predictable to the pixel; the command
// line tool can use it where no fonts are available.

#include <array>
#include <cstdint>

#include "richtext/layout/font_metrics.h"

namespace quill {

class TFixedFontMetrics : public TFontMetrics {
 public:
  // WIDTH, HEIGHT and ASCENT are pixels at 10 points and 96 pixels per inch.
  explicit TFixedFontMetrics(int width = 8, int height = 16, int ascent = 13);

  // Gives CH its own width (pixels at 10 points, 96 per inch).
  void SetCharWidth(uint8_t ch, int width) { widths_[ch] = int16_t(width); }
  // Bold characters are this much wider (pixels at 10 points, 96 per inch).
  void SetBoldExtra(int pixels) { boldExtra_ = pixels; }

  TFontMeasures Measure(const TFontSpec& spec) override;

  // How often Measure ran, to see that callers cache.
  int MeasureCalls() const { return calls_; }

 private:
  std::array<int16_t, 256> widths_{};
  int height_;
  int ascent_;
  int boldExtra_ = 0;
  int calls_ = 0;
};

}  // namespace quill
