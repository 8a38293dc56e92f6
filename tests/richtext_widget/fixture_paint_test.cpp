// An entry written by LibreOffice, read and painted run by run as the
// editor will: its colours and sizes reach the image.
#include <gtest/gtest.h>

#include "canvas_test_support.h"
#include "richtext/io/rtf_text_io.h"
#include "widget_test_support.h"

namespace quill {
namespace {

struct PaintedRun {
  std::string text;
  QRect cell;
};

// Lays each paragraph out as one line and paints it run by run; returns
// where each run went.
std::vector<PaintedRun> PaintDocument(const TRTFText& doc, TPainterCanvas& canvas, TQtFontMetrics& fonts,
                                      uint32_t pageColor) {
  std::vector<PaintedRun> runs;
  int top = 0;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    std::vector<std::pair<std::string, TCharAttr>> pieces;
    for (const TLine* l = p->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) {
        if (pieces.empty() || !SameFormat(pieces.back().second, l->attribs[i])) pieces.push_back({"", l->attribs[i]});
        pieces.back().first.push_back(char(l->text[i]));
      }
    std::vector<TTextRunStyle> styles;
    int ascent = 14, descent = 2;
    for (const auto& [text, a] : pieces) {
      TTextRunStyle s;
      s.font.name = std::string(doc.header.FontName(a.font));
      s.font.pointSize = a.PointSize();
      s.font.style = a.style;
      s.color = doc.header.colorTable[a.TextColor()];
      s.hasBackground = true;
      s.background = a.BackColor() ? doc.header.colorTable[a.BackColor()] : pageColor;
      const TFontMeasures m = fonts.Measure(s.font);
      ascent = std::max<int>(ascent, m.ascent);
      descent = std::max<int>(descent, m.height - m.ascent);
      styles.push_back(s);
    }
    int x = 4;
    for (size_t i = 0; i < pieces.size(); ++i) {
      const TFontMeasures m = fonts.Measure(styles[i].font);
      int w = 0;
      for (char c : pieces[i].first) w += m.widths[uint8_t(c)];
      canvas.DrawText(x, top + ascent, w, ascent, ascent + descent, pieces[i].first, styles[i]);
      runs.push_back({pieces[i].first, QRect(x, top, w, ascent + descent)});
      x += w;
    }
    top += ascent + descent;
  }
  return runs;
}

TEST(LibreOfficeEntry, RunsPaintInTheirColoursAndSizes) {
  TRTFText doc;
  ASSERT_EQ(ReadRtfDocument(doc, test::ReadFile(QUILL_FIXTURES "/libreoffice/formatting.rtf")), 0);
  TQtFontMetrics fonts;
  TPictureCache pictures;
  QImage image(1400, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  std::vector<PaintedRun> runs;
  {
    QPainter painter(&image);
    TPainterCanvas canvas(painter, fonts, pictures);
    runs = PaintDocument(doc, canvas, fonts, 0x00E0F0FF);  // a cream page
  }
  auto cellOf = [&](const std::string& text) {
    for (const auto& r : runs)
      if (r.text == text) return r.cell;
    ADD_FAILURE() << "no run " << text;
    return QRect();
  };
  const QRect red = cellOf("red"), blue = cellOf("blue"), green = cellOf("green"), big = cellOf("big");
  EXPECT_GT(test::CountOf(image, red, test::IsRed), 20);
  EXPECT_EQ(test::CountOf(image, red, test::IsBlue), 0);
  EXPECT_GT(test::CountOf(image, blue, test::IsBlue), 20);
  EXPECT_GT(test::CountOf(image, green, [](QColor c) { return c.green() > 150 && c.red() < 100 && c.blue() < 100; }), 20);
  // The 24-point word is taller than the red one beside it.
  const QRect bigInk = test::BoxOf(image.copy(big), test::IsInk);
  const QRect redInk = test::BoxOf(image.copy(red), test::IsRed);
  EXPECT_GT(bigInk.height(), redInk.height());
  // Every run's cell got its background first.
  auto cream = [](QColor c) { return test::Is(c, 0xFF, 0xF0, 0xE0); };
  for (const auto& r : runs) EXPECT_TRUE(cream(image.pixelColor(r.cell.topLeft()))) << r.text;
  EXPECT_TRUE(cream(image.pixelColor(red.right(), red.top())));
  EXPECT_TRUE(test::Is(image.pixelColor(image.width() - 1, image.height() - 1), 255, 255, 255));
}

}  // namespace
}  // namespace quill
