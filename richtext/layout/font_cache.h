#pragma once
// Remembers the measures of every font selection layout has asked for, so
// that a run of characters costs one lookup and a document one platform
// query per distinct font, size and style.

#include <memory>
#include <unordered_map>

#include "richtext/layout/font_metrics.h"

namespace quill {

class TFontCache {
 public:
  explicit TFontCache(TFontMetrics* metrics) : metrics_(metrics) {}

  // The measures of a font selection, asked from the source the first time.
  const TFontMeasures& Get(const TFontSpec& spec);
  // Switches the source (screen or printer); forgets what was measured.
  void SetSource(TFontMetrics* metrics);
  TFontMetrics* Source() const { return metrics_; }
  void Clear() { entries_.clear(); }
  size_t Size() const { return entries_.size(); }

 private:
  struct SpecHash {
    size_t operator()(const TFontSpec& s) const;
  };
  TFontMetrics* metrics_;
  std::unordered_map<TFontSpec, TFontMeasures, SpecHash> entries_;
};

}  // namespace quill
