#pragma once
// What layout needs to know about a font: the advance width of each of the
// 256 Windows-1252 character codes and the font's height and ascent, all in
// pixels at a given resolution. The program answers with the platform's
// fonts; tests answer with fixed widths so that wrapping is predictable.

#include <array>
#include <cstdint>
#include <string>

namespace quill {

// One font selection: a name from the document's font table, a size in
// points, the character style bits (cs*) and the resolution in pixels per
// inch that the pixels refer to.
struct TFontSpec {
  std::string name;
  int pointSize = 10;
  uint8_t style = 0;
  int resolutionX = 96;
  int resolutionY = 96;

  bool operator==(const TFontSpec&) const = default;
};

struct TFontMeasures {
  std::array<int16_t, 256> widths{};  // advance width per character code
  int16_t height = 16;                // height plus external leading
  int16_t ascent = 14;
};

class TFontMetrics {
 public:
  virtual ~TFontMetrics() = default;
  // The measures of one font selection; implementations may cache, callers
  // cache too.
  virtual TFontMeasures Measure(const TFontSpec& spec) = 0;
};

}  // namespace quill
