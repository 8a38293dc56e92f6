#include "richtext/layout/font_cache.h"

#include <functional>
#include <string_view>

namespace quill {

size_t TFontCache::SpecHash::operator()(const TFontSpec& s) const {
  size_t h = std::hash<std::string_view>()(s.name);
  auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
  mix(size_t(s.pointSize));
  mix(size_t(s.style));
  mix(size_t(s.resolutionX));
  mix(size_t(s.resolutionY));
  return h;
}

const TFontMeasures& TFontCache::Get(const TFontSpec& spec) {
  auto it = entries_.find(spec);
  if (it != entries_.end()) return it->second;
  return entries_.emplace(spec, metrics_->Measure(spec)).first->second;
}

void TFontCache::SetSource(TFontMetrics* metrics) {
  if (metrics == metrics_) return;
  metrics_ = metrics;
  entries_.clear();
}

}  // namespace quill
