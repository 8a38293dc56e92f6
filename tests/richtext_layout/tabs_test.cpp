// Tab positions: left, right, centred and decimal stops, the default
// interval beyond the last stop, tabs in right-aligned and centred
// paragraphs, the decimal stop of a table cell, and tabs in wrapping.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/richtext_layout/layout_fixture.h"

namespace quill {
namespace {

using testing::LayoutFixture;
using testing::LineAt;
using testing::LinesOf;

struct Stop {
  int twips;
  uint8_t kind;
  bool inParagraph = true;
};

struct TabCase {
  const char* name;
  std::vector<Stop> stops;
  const char* text;
  int index;  // character whose x is checked
  int x;
};

// At 96 pixels per inch 1440 twips are 96 pixels; the default interval is a
// third of an inch, 32 pixels. Lines start at x = 1.
TEST(LayoutTabs, CharacterPositions) {
  const TabCase cases[] = {
      {"left stop", {{1440, tkLeft}}, "a\tb", 2, 96},
      {"the nearest stop to the right", {{720, tkLeft}, {1440, tkLeft}}, "a\tb\tc", 2, 48},
      {"the stop after that", {{720, tkLeft}, {1440, tkLeft}}, "a\tb\tc", 4, 96},
      {"beyond the last stop: the next default multiple", {{720, tkLeft}}, "abcdefg\tx", 8, 96},
      {"no stops: default interval", {}, "a\tb", 2, 32},
      {"stops of other paragraphs do not count", {{720, tkLeft, false}}, "a\tb", 2, 32},
      {"right stop ends the text there", {{2880, tkRight}}, "\t123", 1, 162},
      {"right stop: end of the text", {{2880, tkRight}}, "\t123", 4, 192},
      {"right stop up to the next tab only", {{2880, tkRight}, {4320, tkLeft}}, "\t12\tx", 1, 172},
      {"right stop without room leaves the text where it is", {{2880, tkRight}}, "abcdefghijklmnopq\t123", 18,
       171},
      {"centred stop", {{2880, tkCenter}}, "\tabcd", 1, 172},
      {"decimal stop aligns the decimal character", {{2880, tkDecimal}}, "\t12.50", 3, 192},
      {"decimal stop without a decimal character acts as a right stop", {{2880, tkDecimal}}, "\t125", 4, 192},
  };
  for (const TabCase& c : cases) {
    SCOPED_TRACE(c.name);
    LayoutFixture f(1000);
    TParagraph* p = f.First();
    for (const Stop& s : c.stops) {
      const uint32_t bit = f.doc().FindOrAddTab(s.twips, s.kind);
      ASSERT_NE(bit, 0u);
      if (s.inParagraph) p->tabMask |= bit;
    }
    f.b.Text(c.text);
    f.Layout();
    ASSERT_EQ(LinesOf(p).size(), 1u);
    EXPECT_EQ(f.paint.CharX(p, p->firstLine, c.index), c.x);
  }
}

TEST(LayoutTabs, TabsCountAsSpacesInRightAndCentredParagraphs) {
  LayoutFixture f(100);
  TParagraph* p = f.First();
  p->tabMask = f.doc().FindOrAddTab(1440, tkLeft);
  p->alignment = alRight;
  f.b.Text("a\tb");
  f.Layout();
  EXPECT_EQ(p->firstLine->width, 30);
  EXPECT_EQ(f.paint.LineStartX(p, p->firstLine), 71);
  EXPECT_EQ(f.paint.CharX(p, p->firstLine, 2), 91);

  // ... and so they are break points there.
  LayoutFixture g(45);
  g.First()->alignment = alCenter;
  g.b.Text("abc\tdefgh");
  g.Layout();
  EXPECT_EQ(LinesOf(g.First()), (std::vector<std::string>{"abc\t", "defgh"}));
}

TEST(LayoutTabs, TableCellUsesOnlyItsDecimalStop) {
  LayoutFixture f(300);
  TParagraph* cell = f.First();
  const uint32_t bit = f.doc().FindOrAddTab(720, tkDecimal);  // 48 pixels from the cell's edge
  int index = 0;
  while (!(bit & (1u << index))) ++index;
  f.doc().FindOrAddTab(288, tkLeft);  // not the cell's
  cell->flags = pfTableCell | pfLastCell;
  // The cell starts half-way across the 301-pixel table and is as wide.
  cell->tabMask = uint32_t(128) | (uint32_t(127) << 8) | (uint32_t(index + 1) << 24);
  f.b.Text("\t1.5\tx");
  f.Layout();
  const int cellLeft = 128 * 301 / 255;
  EXPECT_EQ(f.paint.CharX(cell, cell->firstLine, 2), cellLeft + 48);
  // Past the decimal stop: the default interval, counted from the cell.
  EXPECT_EQ(f.paint.CharX(cell, cell->firstLine, 5), cellLeft + 96);
}

TEST(LayoutTabs, TabForgetsTheBreakBeforeIt) {
  LayoutFixture f(95);
  f.b.Text("aa bb\tccccc");
  f.Layout();
  EXPECT_EQ(LinesOf(f.First()), (std::vector<std::string>{"aa bb\tcccc", "c"}));
}

TEST(LayoutTabs, JustificationStartsAfterTheLastTab) {
  LayoutFixture f(95);
  TParagraph* p = f.First();
  p->alignment = alJustify;
  f.b.Text("ab\tc d e f gg");
  f.Layout();
  ASSERT_EQ(LinesOf(p).front(), "ab\tc d e ");
  TLine* l = p->firstLine;
  EXPECT_EQ(l->justifyStart, 3);
  EXPECT_EQ(l->extraPerSpace, 7);
  EXPECT_EQ(f.paint.CharX(p, l, 3), 32);  // the tab keeps its width
  EXPECT_EQ(f.paint.CharX(p, l, 5), 32 + 10 + 17);
  EXPECT_EQ(f.paint.CharX(p, l, 8), 96);
}

TEST(LayoutTabs, IndexNearestToX) {
  LayoutFixture f(1000);
  TParagraph* p = f.First();
  p->tabMask = f.doc().FindOrAddTab(1440, tkLeft);
  f.b.Text("ab\tc\nd");
  f.Layout();
  TLine* l = p->firstLine;
  const std::pair<int, int> cases[] = {
      {-50, 0}, {5, 0}, {6, 1}, {16, 2}, {40, 2}, {60, 3}, {96, 3}, {102, 4}, {500, 4},
  };
  for (auto [x, index] : cases) {
    SCOPED_TRACE(x);
    // Never behind the line's forced break.
    EXPECT_EQ(f.paint.IndexAtX(p, l, x), index);
  }
}

}  // namespace
}  // namespace quill
