#include "richtext/layout/fixed_font_metrics.h"

#include <algorithm>
#include <cstdint>

#include "richtext/model/char_attr.h"

namespace quill {

TFixedFontMetrics::TFixedFontMetrics(int width, int height, int ascent) : height_(height), ascent_(ascent) {
  widths_.fill(int16_t(width));
}

namespace {

// VALUE is pixels at 10 points and 96 per inch.
int16_t Scale(int value, int pointSize, int resolution) {
  const int64_t v = int64_t(value) * std::max(pointSize, 1) * std::max(resolution, 1) / (10 * 96);
  return int16_t(std::clamp<int64_t>(v, 0, INT16_MAX));
}

}  // namespace

TFontMeasures TFixedFontMetrics::Measure(const TFontSpec& spec) {
  ++calls_;
  TFontMeasures m;
  const int extra = (spec.style & csBold) ? boldExtra_ : 0;
  for (size_t c = 0; c < m.widths.size(); ++c)
    m.widths[c] = Scale(widths_[c] + extra, spec.pointSize, spec.resolutionX);
  m.height = Scale(height_, spec.pointSize, spec.resolutionY);
  m.ascent = Scale(ascent_, spec.pointSize, spec.resolutionY);
  return m;
}

}  // namespace quill
