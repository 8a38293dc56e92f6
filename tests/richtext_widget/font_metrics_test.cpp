// Font names to installed families, character widths, height and ascent
// from Qt, and the cache.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <cstdlib>

#include "richtext/model/char_attr.h"
#include "richtext/widget/qt_font_metrics.h"

namespace quill {
namespace {

// At 2048 pixels per em the widths are the fonts' design units, in which
// Arial's (and so Liberation Sans's) are well known.
TFontSpec DesignSize(const std::string& name, uint8_t style = 0) {
  TFontSpec s;
  s.name = name;
  s.pointSize = 72;
  s.style = style;
  s.resolutionX = s.resolutionY = 2048;
  return s;
}

TEST(QtFontMetrics, WindowsNamesDrawInMetricCompatibleFonts) {
  struct Case {
    const char* name;
    const char* family;
  };
  const Case cases[] = {{"Arial", "Liberation Sans"},         {"ARIAL", "Liberation Sans"},
                        {"Times New Roman", "Liberation Serif"}, {"courier new", "Liberation Mono"},
                        {"", "Liberation Sans"},               {"Arial ", "Liberation Sans"},
                        {"Arial Narrow", "Liberation Sans Narrow"},
                        {"DejaVu Sans", "DejaVu Sans"}};
  TQtFontMetrics metrics;
  for (const auto& c : cases) {
    EXPECT_EQ(DrawnFamily(c.name).toStdString(), c.family) << c.name;
    TFontSpec spec;
    spec.name = c.name;
    // The family is installed: what Qt picks is that family.
    EXPECT_EQ(QFontInfo(metrics.Entry(spec).font).family().toStdString(), c.family) << c.name;
  }
}

TEST(QtFontMetrics, WidthsFollowTheCodePage) {
  TQtFontMetrics metrics;
  const TFontMeasures m = metrics.Measure(DesignSize("Arial"));
  struct Case {
    uint8_t code;
    int width;
  };
  // Design widths of Arial: W, i, space, M, euro sign (0x80), e acute (0xE9),
  // left double quote (0x93), bullet (0x95).
  const Case cases[] = {{'W', 1933}, {'i', 455}, {' ', 569}, {'M', 1706},
                        {0x80, 1139}, {0xE9, 1139}, {0x93, 682}, {0x95, 717}};
  for (const auto& c : cases) EXPECT_NEAR(m.widths[c.code], c.width, 2) << int(c.code);
  // Tab, line break, object characters and unused code page bytes take no
  // room of their own.
  for (int code : {0, 1, 2, 9, 10, 12, 13, 127, 0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(m.widths[size_t(code)], 0) << code;
  EXPECT_NEAR(m.ascent, 1854, 3);
  EXPECT_GE(m.height, 1854 + 434);
  EXPECT_LE(m.height, 1854 + 434 + 67 + 3);
}

TEST(QtFontMetrics, MonospacedFontHasOneWidth) {
  TQtFontMetrics metrics;
  const TFontMeasures m = metrics.Measure(DesignSize("Courier New"));
  for (int c = 32; c < 256; ++c) {
    if (c == 127 || (c >= 0x80 && c < 0xA0)) continue;
    EXPECT_NEAR(m.widths[size_t(c)], 1229, 1) << c;
  }
}

TEST(QtFontMetrics, StyleSizeAndResolutionChangeTheMeasures) {
  TQtFontMetrics metrics;
  const TFontMeasures regular = metrics.Measure(DesignSize("Arial"));
  const TFontMeasures bold = metrics.Measure(DesignSize("Arial", csBold));
  EXPECT_NEAR(bold.widths['m'], 1821, 2);
  EXPECT_NEAR(regular.widths['m'], 1706, 2);

  // Super- and subscript: smaller characters in a line no lower than the
  // full-size one.
  for (uint8_t script : {csSuperscript, csSubscript}) {
    const TFontMeasures s = metrics.Measure(DesignSize("Arial", script));
    EXPECT_NEAR(s.widths['M'], 1706 * 2 / 3, 3);
    EXPECT_GE(s.ascent, regular.ascent);
    EXPECT_GE(s.height, regular.height);
  }

  TFontSpec screen;
  screen.name = "Times New Roman";
  screen.pointSize = 12;
  TFontSpec printer = screen;
  printer.resolutionX = printer.resolutionY = 600;
  TFontSpec wide = screen;
  wide.resolutionX = 192;
  auto lineOf = [&](const TFontSpec& s) {
    const TFontMeasures m = metrics.Measure(s);
    int sum = 0;
    for (char c : std::string("The quick brown fox jumps over the lazy dog")) sum += m.widths[uint8_t(c)];
    return sum;
  };
  const int atScreen = lineOf(screen);
  EXPECT_NEAR(atScreen, 0.5 * 12 / 72.0 * 96 * 36, 0.12 * atScreen);  // about half an em a letter
  EXPECT_NEAR(lineOf(printer), atScreen * 600 / 96.0, 0.05 * lineOf(printer));
  EXPECT_NEAR(lineOf(wide), atScreen * 2, 0.05 * lineOf(wide));
  EXPECT_EQ(metrics.Measure(wide).height, metrics.Measure(screen).height);
  // 8 points on a 96 pixel-per-inch screen are 11 pixels.
  TFontSpec diary;
  diary.name = "Arial";
  diary.pointSize = 8;
  EXPECT_EQ(metrics.Entry(diary).font.pixelSize(), 11);
}

TEST(QtFontMetrics, CachedPerSelection) {
  TQtFontMetrics metrics;
  TFontSpec spec;
  spec.name = "Arial";
  metrics.Measure(spec);
  const TQtFontEntry* first = &metrics.Entry(spec);
  // Lines drawn under or through the text do not change the glyphs.
  spec.style = csUnderline | csStrikeOut | csDoubleUnderline;
  EXPECT_EQ(&metrics.Entry(spec), first);
  EXPECT_EQ(metrics.CachedCount(), 1u);
  spec.style = csItalic;
  metrics.Measure(spec);
  spec.pointSize = 11;
  metrics.Measure(spec);
  spec.name = "arial";  // the document's own spelling is kept apart
  metrics.Measure(spec);
  EXPECT_EQ(metrics.CachedCount(), 4u);
  metrics.ClearCache();
  EXPECT_EQ(metrics.CachedCount(), 0u);
}

}  // namespace
}  // namespace quill
