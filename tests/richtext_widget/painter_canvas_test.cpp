// Text runs, fills, lines and the selection painted into an image.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QWidget>

#include "canvas_test_support.h"
#include "richtext/io/rtf_text_io.h"
#include "richtext/model/char_attr.h"
#include "widget_test_support.h"

namespace quill {
namespace {

using test::BoxOf;
using test::CountOf;
using test::IsInk;
using test::Paint;

constexpr uint32_t kRed = 0x000000FF;   // 0x00BBGGRR
constexpr uint32_t kBlue = 0x00FF0000;
constexpr uint32_t kYellow = 0x0000FFFF;

TTextRunStyle Style(uint32_t color, uint8_t bits = 0, int points = 20, const char* font = "Arial") {
  TTextRunStyle s;
  s.font.name = font;
  s.font.pointSize = points;
  s.font.style = bits;
  s.color = color;
  return s;
}

// Width of a text at a style, from the same measures layout uses.
int WidthOf(std::string_view text, const TTextRunStyle& style) {
  TQtFontMetrics fonts;
  const TFontMeasures m = fonts.Measure(style.font);
  int w = 0;
  for (char c : text) w += m.widths[uint8_t(c)];
  return w;
}

TFontMeasures MeasuresOf(const TTextRunStyle& style) {
  TQtFontMetrics fonts;
  return fonts.Measure(style.font);
}

TEST(PainterCanvas, TextColourIsTheDocumentsRedGreenBlue) {
  struct Case {
    uint32_t color;
    bool (*test)(QColor);
  };
  const Case cases[] = {{kRed, test::IsRed}, {kBlue, test::IsBlue}};
  for (const auto& c : cases) {
    const TTextRunStyle style = Style(c.color);
    const TFontMeasures m = MeasuresOf(style);
    const int width = WidthOf("Hello", style);
    const QImage img = Paint(200, 60, [&](TPainterCanvas& canvas) {
      canvas.DrawText(10, 40, width, m.ascent, m.height, "Hello", style);
    });
    const QRect ink = BoxOf(img, c.test);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(CountOf(img, img.rect(), c.test), 40);
    // Inside the run's cell; 'H' begins near its start and 'o' ends near
    // its end; nothing drawn below the base line.
    EXPECT_GE(ink.left(), 10);
    EXPECT_LE(ink.left(), 13);
    EXPECT_LE(ink.right(), 10 + width);
    EXPECT_GE(ink.right(), 10 + width - 4);
    EXPECT_GE(ink.top(), 40 - m.ascent);
    EXPECT_LE(ink.bottom(), 40);
  }
}

TEST(PainterCanvas, BackgroundFillsTheCell) {
  TTextRunStyle style = Style(0);
  style.hasBackground = true;
  style.background = kYellow;
  const QImage img = Paint(200, 60, [&](TPainterCanvas& canvas) {
    canvas.DrawText(10, 40, 80, 30, 36, "x", style);
  });
  const QRect yellow = BoxOf(img, [](QColor c) { return test::Is(c, 255, 255, 0); });
  EXPECT_EQ(yellow, QRect(10, 10, 80, 36));
  // The character is drawn over the background.
  EXPECT_GT(CountOf(img, QRect(10, 10, 20, 30), [](QColor c) { return c.blue() < 100 && c.red() < 100; }), 10);
}

TEST(PainterCanvas, RunsMeetExactlyWhereLayoutPutsThem) {
  // One run "Wave" paints what "Wa" and "ve" paint side by side at the
  // measured width of "Wa".
  const TTextRunStyle style = Style(0, 0, 24, "Times New Roman");
  const TFontMeasures m = MeasuresOf(style);
  const int whole = WidthOf("Wave", style), first = WidthOf("Wa", style);
  const QImage one = Paint(200, 60, [&](TPainterCanvas& c) { c.DrawText(5, 45, whole, m.ascent, m.height, "Wave", style); });
  const QImage two = Paint(200, 60, [&](TPainterCanvas& c) {
    c.DrawText(5, 45, first, m.ascent, m.height, "Wa", style);
    c.DrawText(5 + first, 45, whole - first, m.ascent, m.height, "ve", style);
  });
  EXPECT_EQ(one, two);
}

TEST(PainterCanvas, WiderCellSpreadsTheSpaces) {
  const TTextRunStyle style = Style(0);
  const TFontMeasures m = MeasuresOf(style);
  const int natural = WidthOf("a b c", style);
  const int ab = WidthOf("a ", style), abc = WidthOf("a b ", style);
  // 7 pixels over two spaces: 4 to the first, 3 to the second.
  const QImage justified = Paint(300, 60, [&](TPainterCanvas& c) { c.DrawText(5, 45, natural + 7, m.ascent, m.height, "a b c", style); });
  const QImage apart = Paint(300, 60, [&](TPainterCanvas& c) {
    c.DrawText(5, 45, 0, m.ascent, m.height, "a", style);
    c.DrawText(5 + ab + 4, 45, 0, m.ascent, m.height, "b", style);
    c.DrawText(5 + abc + 7, 45, 0, m.ascent, m.height, "c", style);
  });
  EXPECT_EQ(justified, apart);
}

TEST(PainterCanvas, UnderlineDoubleUnderlineAndStrikeOutSpanTheCell) {
  TQtFontMetrics fonts;
  const int base = 45, x = 10, width = 120;
  // "i" leaves most of the cell empty, so any full row is a drawn line.
  auto fullRows = [&](uint8_t bits) {
    const TTextRunStyle style = Style(kRed, bits);
    const TFontMeasures m = fonts.Measure(style.font);
    const QImage img = Paint(200, 70, [&](TPainterCanvas& c) { c.DrawText(x, base, width, m.ascent, m.height, "i", style); });
    std::vector<int> rows;
    for (int y = 0; y < img.height(); ++y)
      if (CountOf(img, QRect(x, y, width, 1), test::IsRed) == width && !test::IsRed(img.pixelColor(x + width, y)) &&
          !test::IsRed(img.pixelColor(x - 1, y)))
        rows.push_back(y);
    return rows;
  };
  EXPECT_TRUE(fullRows(0).empty());
  const auto under = fullRows(csUnderline);
  ASSERT_FALSE(under.empty());
  EXPECT_GT(under.front(), base);
  const auto twice = fullRows(csDoubleUnderline);
  ASSERT_GE(twice.size(), 2u);
  EXPECT_GT(twice.back() - twice.front(), 1);  // two lines with a gap
  EXPECT_GT(twice.front(), base);
  const auto struck = fullRows(csStrikeOut);
  ASSERT_FALSE(struck.empty());
  EXPECT_LT(struck.back(), base);
  EXPECT_GT(struck.front(), base - MeasuresOf(Style(0)).ascent);
}

TEST(PainterCanvas, ScriptsAreSmallerAndRaisedOrLowered) {
  const int base = 60;
  auto inkOf = [&](uint8_t bits) {
    const TTextRunStyle style = Style(0, bits, 30);
    const TFontMeasures m = MeasuresOf(style);
    const QImage img = Paint(150, 100, [&](TPainterCanvas& c) { c.DrawText(10, base, 0, m.ascent, m.height, "H", style); });
    return BoxOf(img, IsInk);
  };
  const QRect normal = inkOf(0), super = inkOf(csSuperscript), sub = inkOf(csSubscript);
  EXPECT_LT(super.height(), normal.height() * 0.8);
  EXPECT_LT(sub.height(), normal.height() * 0.8);
  EXPECT_LT(super.bottom(), normal.bottom() - 5);
  EXPECT_GT(sub.bottom(), normal.bottom() + 3);
  EXPECT_GE(super.top(), base - MeasuresOf(Style(0, csSuperscript, 30)).ascent);
}

TEST(PainterCanvas, BoldAndItalicChangeTheGlyphs) {
  auto paint = [&](uint8_t bits) {
    const TTextRunStyle style = Style(0, bits, 30);
    const TFontMeasures m = MeasuresOf(style);
    return Paint(150, 60, [&](TPainterCanvas& c) { c.DrawText(5, 45, 0, m.ascent, m.height, "l", style); });
  };
  const QImage regular = paint(0), bold = paint(csBold), italic = paint(csItalic);
  EXPECT_GT(CountOf(bold, bold.rect(), IsInk), CountOf(regular, regular.rect(), IsInk) * 1.3);
  // The slanted stroke reaches further right at its top than at its foot.
  const QRect upright = BoxOf(regular, IsInk), slanted = BoxOf(italic, IsInk);
  EXPECT_GT(slanted.width(), upright.width() + 2);
}

TEST(PainterCanvas, CharactersOutsideAsciiAreDrawn) {
  // Euro sign, e acute, typographic quotes, as Windows-1252 bytes.
  const std::string text = "\x80\xE9\x93\x94";
  const TTextRunStyle style = Style(0);
  const TFontMeasures m = MeasuresOf(style);
  const QImage img = Paint(200, 60, [&](TPainterCanvas& c) { c.DrawText(5, 45, WidthOf(text, style), m.ascent, m.height, text, style); });
  int x = 5;
  for (char ch : text) {
    const int w = m.widths[uint8_t(ch)];
    EXPECT_GT(CountOf(img, QRect(x, 45 - m.ascent, w, m.ascent + 2), IsInk), 3) << int(uint8_t(ch));
    x += w;
  }
}

TEST(PainterCanvas, CodesWithoutWidthDrawNothing) {
  // Tab, object character, line break and an unused code page byte.
  const TTextRunStyle style = Style(0);
  const TFontMeasures m = MeasuresOf(style);
  const QImage with = Paint(200, 60, [&](TPainterCanvas& c) { c.DrawText(5, 45, 0, m.ascent, m.height, "a\t\x01\n\x81" "b", style); });
  const QImage without = Paint(200, 60, [&](TPainterCanvas& c) { c.DrawText(5, 45, 0, m.ascent, m.height, "ab", style); });
  EXPECT_EQ(with, without);
}

TEST(PainterCanvas, LettersTheFontLacksComeFromAnotherFont) {
  // OpenSymbol has digits and signs but no letters.
  const TTextRunStyle style = Style(0, 0, 20, "OpenSymbol");
  const TFontMeasures m = MeasuresOf(style);
  const std::string text = "Ab+";
  const QImage img = Paint(200, 60, [&](TPainterCanvas& c) { c.DrawText(5, 45, WidthOf(text, style), m.ascent, m.height, text, style); });
  int x = 5;
  for (char ch : text) {
    const int w = m.widths[uint8_t(ch)];
    ASSERT_GT(w, 0) << ch;
    EXPECT_GT(CountOf(img, QRect(x, 0, w, 60), IsInk), 5) << ch;
    x += w;
  }
}

TEST(PainterCanvas, FillLinesAndSelection) {
  const QImage img = Paint(100, 60, [&](TPainterCanvas& c) {
    c.FillRect(10, 10, 20, 10, kBlue);
    c.DrawLine(0, 30, 49, 30, 0);                 // solid, one pixel
    c.DrawLine(0, 35, 49, 35, kRed, 1, true);     // dotted
    c.DrawLine(60, 0, 60, 19, 0, 3);              // three pixels wide
    c.FillRect(40, 40, 10, 10, 0);
    c.HighlightRect(35, 38, 20, 14);              // over black and white
  });
  EXPECT_EQ(BoxOf(img, test::IsBlue), QRect(10, 10, 20, 10));
  EXPECT_EQ(BoxOf(img, [](QColor c) { return test::Is(c, 0, 0, 0); }).contains(QRect(0, 30, 50, 1)), true);
  EXPECT_EQ(CountOf(img, QRect(0, 29, 60, 3), [](QColor c) { return test::Is(c, 0, 0, 0); }), 50);
  // Every other pixel of the dotted line.
  const int dots = CountOf(img, QRect(0, 35, 50, 1), test::IsRed);
  EXPECT_EQ(dots, 25);
  for (int x = 0; x + 1 < 50; ++x) EXPECT_NE(test::IsRed(img.pixelColor(x, 35)), test::IsRed(img.pixelColor(x + 1, 35))) << x;
  EXPECT_EQ(CountOf(img, QRect(55, 0, 10, 25), [](QColor c) { return test::Is(c, 0, 0, 0); }), 3 * 20);
  // The selection inverts: black shows white, white shows black.
  EXPECT_TRUE(test::Is(img.pixelColor(45, 45), 255, 255, 255));
  EXPECT_TRUE(test::Is(img.pixelColor(36, 39), 0, 0, 0));
  EXPECT_TRUE(test::Is(img.pixelColor(34, 39), 255, 255, 255));
}

TEST(PainterCanvas, SelectionTwiceRestoresThePicture) {
  const TTextRunStyle style = Style(kRed);
  const TFontMeasures m = MeasuresOf(style);
  auto draw = [&](TPainterCanvas& c) { c.DrawText(5, 45, 60, m.ascent, m.height, "Sel", style); };
  const QImage plain = Paint(100, 60, draw);
  const QImage twice = Paint(100, 60, [&](TPainterCanvas& c) {
    draw(c);
    c.HighlightRect(0, 0, 100, 60);
    c.HighlightRect(0, 0, 100, 60);
  });
  EXPECT_EQ(plain, twice);
}

// A window painting through the canvas, as the editor does.
class RunView : public QWidget {
 public:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    TPainterCanvas canvas(painter, fonts, pictures);
    TTextRunStyle style = Style(kRed);
    style.hasBackground = true;
    style.background = kYellow;
    const TFontMeasures m = fonts.Measure(style.font);
    canvas.DrawText(10, 40, 100, m.ascent, m.height, "Screen", style);
  }
  TQtFontMetrics fonts;
  TPictureCache pictures;
};

TEST(PainterCanvas, PaintsAWindow) {
  RunView view;
  view.resize(200, 80);
  const QImage shot = view.grab().toImage();
  EXPECT_GT(CountOf(shot, QRect(10, 0, 100, 80), test::IsRed), 30);
  EXPECT_TRUE(test::Is(shot.pixelColor(105, 40 - MeasuresOf(Style(kRed)).ascent + 1), 255, 255, 0));
  EXPECT_EQ(CountOf(shot, QRect(120, 0, 80, 80), test::IsRed), 0);
}

TEST(PainterCanvas, PrinterPageAsPdf) {
  test::TempFolder dir;
  const std::string path = dir.File("page.pdf");
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    QPainter painter(&printer);
    TQtFontMetrics fonts;
    TPictureCache pictures;
    TPainterCanvas canvas(painter, fonts, pictures, true);
    EXPECT_TRUE(canvas.IsPrinter());
    TTextRunStyle style = Style(kRed, csUnderline, 12);
    style.font.resolutionX = style.font.resolutionY = printer.resolution();
    const TFontMeasures m = fonts.Measure(style.font);
    canvas.DrawText(100, 200, 900, m.ascent, m.height, "Printed words", style);
    canvas.HighlightRect(100, 100, 300, 200);
    canvas.DrawPicture(100, 300, 400, 300, nullptr);
  }
  const std::string pdf = test::ReadFile(path);
  EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
  EXPECT_GT(pdf.size(), 1000u);
  EXPECT_NE(pdf.find("FontFile"), std::string::npos);  // the font went with the text
}

}  // namespace
}  // namespace quill
