#include "richtext/widget/qt_font_metrics.h"

#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>

#include "richtext/model/char_attr.h"
#include "richtext/widget/win1252_codec.h"

namespace quill {

namespace {

constexpr std::string_view kDefaultFont = "Arial";

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Codes that draw nothing: control codes (tab, line break and object
// characters are placed by layout) and the bytes Windows-1252 leaves unused.
bool DrawsNothing(int code) {
  if (code < 32 || code == 127) return true;
  return code >= 0x80 && code < 0xA0 && Win1252ToUnicode(uint8_t(code)) == char32_t(code);
}

int16_t ToInt16(double v) { return int16_t(std::clamp<double>(v, 0, 32767)); }

}  // namespace

QString DrawnFamily(std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.empty()) name = kDefaultFont;
  static constexpr std::pair<std::string_view, const char*> kCompatible[] = {
      {"Arial", "Liberation Sans"},
      {"Arial Narrow", "Liberation Sans Narrow"},
      {"Times New Roman", "Liberation Serif"},
      {"Courier New", "Liberation Mono"},
  };
  for (const auto& [windows, liberation] : kCompatible)
    if (SameIgnoringCase(name, windows)) return QString::fromLatin1(liberation);
  // Font names are Windows-1252 bytes in the document.
  return Win1252ToQString(name);
}

const TQtFontEntry& TQtFontMetrics::Entry(const TFontSpec& spec) {
  // Only these bits change the glyphs or their size; lines are drawn apart.
  const uint8_t shapeBits = spec.style & (csBold | csItalic | csSuperscript | csSubscript);
  const int resX = spec.resolutionX > 0 ? spec.resolutionX : 96;
  const int resY = spec.resolutionY > 0 ? spec.resolutionY : 96;
  Key key{spec.name, spec.pointSize, shapeBits, resX, resY};
  auto it = cache_.find(key);
  if (it != cache_.end()) return *it->second;

  auto e = std::make_unique<TQtFontEntry>();
  const int points = spec.pointSize > 0 ? spec.pointSize : 10;
  const int fullPixels = std::max(1, qRound(points * resY / 72.0));
  const bool script = (shapeBits & (csSuperscript | csSubscript)) != 0;

  QFont full(DrawnFamily(spec.name));
  full.setPixelSize(fullPixels);
  full.setBold((shapeBits & csBold) != 0);
  full.setItalic((shapeBits & csItalic) != 0);
  // Characters are placed at their table widths; kerning would move them.
  full.setKerning(false);
  full.setStyleStrategy(QFont::PreferAntialias);

  e->font = full;
  if (script) e->font.setPixelSize(std::max(1, qRound(fullPixels * 2 / 3.0)));
  if (shapeBits & csSuperscript) e->baselineShift = -qRound(fullPixels / 3.0);
  if (shapeBits & csSubscript) e->baselineShift = qRound(fullPixels / 5.0);

  const QFontMetricsF fullMetrics(full);
  const QFontMetricsF glyphMetrics(e->font);
  const double scaleX = double(resX) / resY;
  for (int c = 0; c < 256; ++c) {
    if (DrawsNothing(c)) continue;
    const QChar ch{char16_t(Win1252ToUnicode(uint8_t(c)))};
    e->measures.widths[size_t(c)] = ToInt16(qRound(glyphMetrics.horizontalAdvance(ch) * scaleX));
  }
  // A script character keeps the line of its full-size neighbours but must
  // fit its raised or lowered glyphs.
  const int ascent = std::max<int>(qCeil(fullMetrics.ascent()),
                                   qCeil(glyphMetrics.ascent()) - e->baselineShift);
  const int descent = std::max<int>(qCeil(fullMetrics.descent()),
                                    qCeil(glyphMetrics.descent()) + e->baselineShift);
  const int leading = std::max(0, qRound(fullMetrics.leading()));
  e->measures.ascent = ToInt16(ascent);
  e->measures.height = ToInt16(ascent + descent + leading);
  e->underlineOffset = std::max(1, qRound(fullMetrics.underlinePos()));
  e->strikeOutOffset = std::max(1, qRound(fullMetrics.strikeOutPos()));
  e->lineThickness = std::max(1, qRound(fullMetrics.lineWidth()));
  e->rawFont = QRawFont::fromFont(e->font);
  if (e->rawFont.isValid()) {
    for (int c = 32; c < 256; ++c) {
      if (DrawsNothing(c)) continue;
      const QChar ch{char16_t(Win1252ToUnicode(uint8_t(c)))};
      int count = 1;
      quint32 glyph = 0;
      if (e->rawFont.glyphIndexesForChars(&ch, 1, &glyph, &count)) e->glyphs[size_t(c)] = glyph;
    }
  }
  return *cache_.emplace(std::move(key), std::move(e)).first->second;
}

}  // namespace quill
