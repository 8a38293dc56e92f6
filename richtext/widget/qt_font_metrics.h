#pragma once
// Font measures from Qt: the family a document font name is drawn in, the
// 256 character widths, height and ascent, cached per font selection. The
// painter canvas draws with the same fonts, so what is measured is what is
// drawn.

#include <QFont>
#include <QRawFont>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <string_view>
#include <tuple>

#include "richtext/layout/font_metrics.h"

namespace quill {

// The installed family a document font name is drawn in: the common Windows
// fonts map to their metric-compatible Liberation fonts, an empty name (a
// free or overflowing font entry) to the default font.
QString DrawnFamily(std::string_view name);

// Everything about one font selection that measuring and drawing need.
struct TQtFontEntry {
  QFont font;               // the characters' font (smaller for super- and subscript)
  QRawFont rawFont;         // the same font for placing glyphs one by one
  std::array<quint32, 256> glyphs{};  // glyph of each character code in rawFont; 0 none
  TFontMeasures measures;
  int baselineShift = 0;    // pixels the characters sit below (+) or above (-) the base line
  int underlineOffset = 1;  // pixels below the base line
  int strikeOutOffset = 3;  // pixels above the base line
  int lineThickness = 1;
};

class TQtFontMetrics : public TFontMetrics {
 public:
  TFontMeasures Measure(const TFontSpec& spec) override { return Entry(spec).measures; }
  // The cached entry of the selection; built on first use.
  const TQtFontEntry& Entry(const TFontSpec& spec);
  size_t CachedCount() const { return cache_.size(); }
  void ClearCache() { cache_.clear(); }

 private:
  using Key = std::tuple<std::string, int, uint8_t, int, int>;
  std::map<Key, std::unique_ptr<TQtFontEntry>> cache_;
};

}  // namespace quill
