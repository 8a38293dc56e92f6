// Measuring and wrapping paragraphs: break points, forced breaks, hidden
// text, justification, keeping the caret on its character, compare results
// and the layout-state bits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/richtext_layout/layout_fixture.h"

namespace quill {
namespace {

using testing::LayoutFixture;
using testing::LineAt;
using testing::LinesOf;

struct WrapCase {
  const char* name;
  const char* text;
  int available;
  std::vector<std::string> lines;
};

TEST(LayoutWrap, BreakPoints) {
  const WrapCase cases[] = {
      {"fits on one line", "abc def", 100, {"abc def"}},
      {"breaks after the last space before the overflow", "aaaa bbbb cccc", 95, {"aaaa bbbb ", "cccc"}},
      {"an overflowing space ends the line", "aaaa bbbb", 45, {"aaaa ", "bbbb"}},
      {"a long word is split after the overflowing character", "abcdefghij", 45, {"abcde", "fghij"}},
      {"a space at index 1 is no break point", "a bcdefgh", 45, {"a bcd", "efgh"}},
      {"a space at index 0 is no break point", " abcdefgh", 45, {" abcd", "efgh"}},
      {"a space at index 2 is a break point", "ab cdefgh", 45, {"ab ", "cdefg", "h"}},
      {"a line break ends a short line", "ab\ncd", 100, {"ab\n", "cd"}},
      {"a final line break leaves an empty line", "ab\n", 100, {"ab\n", ""}},
      {"an empty paragraph keeps one line", "", 100, {""}},
      {"width equal to the room still fits", "aaaa bbbbb", 100, {"aaaa bbbbb"}},
      {"a line holds at least one character", "abc", 1, {"a", "b", "c"}},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.name);
    LayoutFixture f(c.available);
    f.b.Text(c.text);
    f.Layout();
    EXPECT_EQ(LinesOf(f.First()), c.lines);
  }
}

TEST(LayoutWrap, ResolutionAndZoom) {
  struct Case {
    int x, y, zoom;
    int resX, resY;
  } cases[] = {
      {96, 96, 100, 96, 96},  {120, 144, 100, 120, 144}, {96, 96, 200, 192, 192},
      {0, 0, 100, 1, 96},     {-5, -5, 200, 2, 2},       {96, 96, 0, 96, 96},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + " " + std::to_string(c.y) + " " + std::to_string(c.zoom));
    LayoutFixture f(1000);
    f.First()->tabMask = f.doc().FindOrAddTab(1440, tkLeft);
    f.b.Text("ab");
    f.paint.SetResolution(c.x, c.y, c.zoom);
    f.Layout();  // the same resolution lays nothing out again
    const TTextHeader& h = f.doc().header;
    EXPECT_EQ(h.resolutionX, c.resX);
    EXPECT_EQ(h.resolutionY, c.resY);
    // Everything in pixels follows: tab stops, default interval, text area.
    EXPECT_EQ(h.tabPixels[0], c.resX);
    EXPECT_EQ(h.defaultTabInterval, c.resX * 100 / 300);
    EXPECT_EQ(h.textWidthPixels, 8480 * c.resX / 1440);
    EXPECT_EQ(h.textHeightPixels, 12960 * c.resY / 1440);
    EXPECT_EQ(f.First()->firstLine->attribs[0].width, 10 * c.resX / 96);
  }
}

TEST(LayoutWrap, NegativeLineSpacingKeepsTheAscentAtZeroOrMore) {
  LayoutFixture f(1000);
  f.b.Text("ab");
  f.First()->lineSpacing = -600;  // -40 pixels
  f.Layout();
  EXPECT_EQ(f.First()->firstLine->ascent, 0);
  EXPECT_GE(f.First()->firstLine->height, 1);
}

TEST(LayoutWrap, StorageLinesAreReflowedIntoDisplayLines) {
  LayoutFixture f(95);
  f.b.Text("aaaa b").Line().Text("bbb cc").Line().Text("cc");
  f.Layout();
  EXPECT_EQ(LinesOf(f.First()), (std::vector<std::string>{"aaaa bbbb ", "cccc"}));
  // Widths are those of the visible text: the break space hangs.
  EXPECT_EQ(f.First()->firstLine->width, 90);
  EXPECT_EQ(f.First()->firstLine->next->width, 40);
}

TEST(LayoutWrap, WordWrapOffWrapsAtThePageTextWidth) {
  LayoutFixture f(101);
  std::string text;
  for (int i = 0; i < 30; ++i) text += "abcd ";
  f.b.Text(text);
  f.paint.SetWordWrap(false);
  // Page 12240 twips less two margins of 1880: 8480 twips, 565 pixels; one
  // pixel goes to the line start, so 57 characters are taken (the last one
  // overflows) and the line ends at the last space before: 11 words.
  const int textWidth = f.doc().header.textWidthPixels;
  EXPECT_EQ(textWidth, 565);
  EXPECT_EQ(f.paint.WrapWidth(), 565);
  EXPECT_EQ(f.First()->firstLine->Text(), std::string_view(text).substr(0, 55));
  f.paint.SetWindowWidth(300);  // ignored while word wrap is off
  EXPECT_EQ(f.First()->firstLine->length, 55);
  f.paint.SetWordWrap(true);
  EXPECT_EQ(f.paint.WrapWidth(), 300);
  EXPECT_EQ(f.First()->firstLine->Text(), std::string_view(text).substr(0, 30));
}

TEST(LayoutWrap, IndentsAndRightIndentWithinTheWindow) {
  LayoutFixture f(200);
  f.b.Text("aaaa bbbb cccc dddd eeee ffff gggg");
  TParagraph* p = f.First();
  p->firstIndent = 1440;  // 96 pixels
  p->leftIndent = 720;    // 48 pixels
  f.Layout();
  // First line: 201 - 97 = 104 pixels; later lines: 201 - 49 = 152.
  EXPECT_EQ(LinesOf(p), (std::vector<std::string>{"aaaa bbbb ", "cccc dddd eeee ", "ffff gggg"}));
  EXPECT_EQ(f.paint.LineStartX(p, p->firstLine), 97);
  EXPECT_EQ(f.paint.LineStartX(p, p->firstLine->next), 49);

  // A right indent counts only where it reaches into the window: the page
  // text is 565 pixels wide, the window 201, so 7035 twips (469 pixels)
  // narrows the line by 469 - 364 = 105 pixels.
  p->firstIndent = p->leftIndent = 0;
  p->rightIndent = 7035;
  f.Layout();
  EXPECT_EQ(LinesOf(p).front(), "aaaa bbbb ");
}

TEST(LayoutWrap, HiddenTextTakesNoWidthUnlessShown) {
  LayoutFixture f(100);
  TCharAttr hidden = f.b.attr;
  hidden.marks |= cmHidden;
  TCharAttr insertPoint = f.b.attr;
  insertPoint.marks |= cmInsertPoint;
  f.b.Text("ab").Text("HHHH", hidden).Text("cd").Text("I", insertPoint);
  f.Layout();
  TLine* l = f.First()->firstLine;
  EXPECT_EQ(l->attribs[2].width, 0);
  EXPECT_EQ(l->width, 50);
  EXPECT_EQ(f.paint.CharX(f.First(), l, 6), 1 + 20);  // 'c' follows 'b' directly
  f.paint.SetShowHidden(true);
  l = f.First()->firstLine;
  EXPECT_EQ(l->attribs[2].width, 10);
  EXPECT_EQ(l->width, 90);
  f.paint.SetHideInsertPoints(true);
  EXPECT_EQ(f.First()->firstLine->width, 80);
}

TEST(LayoutWrap, JustifiedLinesStretchTheirSpacesExceptTheLast) {
  LayoutFixture f(95);
  f.b.Text("aa bb cc dd");
  TParagraph* p = f.First();
  p->alignment = alJustify;
  f.Layout();
  ASSERT_EQ(LinesOf(p), (std::vector<std::string>{"aa bb cc ", "dd"}));
  TLine* first = p->firstLine;
  // 80 pixels of text, 15 to give out over two spaces: 7 each, one left over.
  EXPECT_EQ(first->width, 80);
  EXPECT_EQ(first->extraPerSpace, 7);
  EXPECT_EQ(first->remainder, 1);
  EXPECT_EQ(f.paint.CharX(p, first, 3), 1 + 20 + 18);
  EXPECT_EQ(f.paint.CharX(p, first, 6), 1 + 20 + 18 + 20 + 17);
  EXPECT_EQ(f.paint.CharX(p, first, 8), 1 + 95);  // the text ends at the right edge
  TLine* last = first->next;
  EXPECT_EQ(last->extraPerSpace + last->remainder, 0);

  // Text that goes on in the next paragraph justifies its last line too.
  LayoutFixture g(95);
  g.b.Text("aa bb cc dd e");
  g.First()->alignment = alJustify;
  g.First()->flags |= pfContinues;
  g.Layout();
  EXPECT_GT(LineAt(g.First(), 1)->extraPerSpace, 0);

  // A line ended by a line break is not stretched either.
  LayoutFixture h(95);
  h.b.Text("aa bb\ncc");
  h.First()->alignment = alJustify;
  h.Layout();
  EXPECT_EQ(h.First()->firstLine->extraPerSpace, 0);
}

TEST(LayoutWrap, RightAndCentredLinesStartAfterTheirRoom) {
  LayoutFixture f(100);
  f.b.Text("abcd");
  f.b.Par().Text("abcd");
  f.First()->alignment = alRight;
  f.Nth(1)->alignment = alCenter;
  f.Layout();
  EXPECT_EQ(f.paint.LineStartX(f.First(), f.First()->firstLine), 1 + 60);
  EXPECT_EQ(f.paint.LineStartX(f.Nth(1), f.Nth(1)->firstLine), 1 + 30);
  EXPECT_EQ(f.paint.CharX(f.First(), f.First()->firstLine, 4), 101);
}

TEST(LayoutWrap, CaretAndSelectionStayOnTheirCharacters) {
  const int widths[] = {1000, 95, 45, 25};
  for (int w : widths) {
    SCOPED_TRACE(w);
    LayoutFixture f(1000);
    f.b.Text("aaaa bbbb cccc dddd");
    f.Layout();
    TParagraph* p = f.First();
    // Places by paragraph offset: 'b' (5), 'c' (11), the end (19).
    TLineSpot caret = TRTFTextPaint::SpotAtOffset(p, 11);
    TLineSpot selStart = TRTFTextPaint::SpotAtOffset(p, 5);
    TLineSpot selEnd = TRTFTextPaint::SpotAtOffset(p, 19);
    TLineSpot* keep[] = {&caret, &selStart, &selEnd};
    f.paint.BeginUpdate();  // the wrap below is the one under test
    f.paint.SetWindowWidth(w + 1);
    f.paint.EndUpdate();
    p->layoutState |= lsWrap;
    f.paint.WrapParagraph(p, true, keep);
    ASSERT_NE(caret.line, nullptr);
    EXPECT_EQ(caret.line->text[caret.index], 'c');
    EXPECT_EQ(TRTFTextPaint::ParagraphOffset(p, caret.line, caret.index), 11);
    EXPECT_EQ(TRTFTextPaint::ParagraphOffset(p, selStart.line, selStart.index), 5);
    EXPECT_EQ(selEnd.line, f.doc().Get_LastLine(p));
    EXPECT_EQ(selEnd.index, selEnd.line->length);
  }
}

TEST(LayoutWrap, CompareReportsWhatChanged) {
  LayoutFixture f(55);
  TCharAttr big = f.b.attr;
  big.size = 12;  // 12 pixels wide, 19 high
  f.b.Text("B", big).Text("aaa bbbb");
  f.Layout();
  TParagraph* p = f.First();
  ASSERT_EQ(LinesOf(p), (std::vector<std::string>{"Baaa ", "bbbb"}));
  ASSERT_EQ(p->firstLine->height, 19);

  p->layoutState |= lsAll;
  EXPECT_EQ(f.paint.WrapParagraph(p, true), wcNone);
  EXPECT_EQ(p->firstLine->lineFlags & lfChanged, 0);

  // Same widths, other text on the second line only.
  LineAt(p, 1)->text[1] = 'x';
  p->layoutState |= lsAll;
  EXPECT_EQ(f.paint.WrapParagraph(p, true), wcLines);
  EXPECT_EQ(p->firstLine->lineFlags & lfChanged, 0);
  EXPECT_NE(LineAt(p, 1)->lineFlags & lfChanged, 0);

  // The big character moves from the first line to the second: both lines
  // change height, the paragraph keeps its height.
  p->firstLine->attribs[0].size = 10;
  p->firstLine->text[0] = 'b';
  LineAt(p, 1)->attribs[0].size = 12;
  p->layoutState |= lsAll;
  EXPECT_EQ(f.paint.WrapParagraph(p, true), wcLineHeight);

  // One more line: the paragraph grows.
  f.doc().AppendChar(LineAt(p, 1), ' ', f.b.attr);
  for (char c : std::string("zzzz")) f.doc().AppendChar(LineAt(p, 1), uint8_t(c), f.b.attr);
  p->layoutState |= lsAll;
  EXPECT_EQ(f.paint.WrapParagraph(p, true), wcParagraphHeight);

  // A line the document made in place of a freed one counts as changed even
  // when it looks the same.
  TLine* second = LineAt(p, 1);
  TLine* fresh = f.doc().NewLine(nullptr, second->capacity);
  std::memcpy(fresh->text, second->text, second->length + 1u);
  std::memcpy(static_cast<void*>(fresh->attribs), second->attribs, second->length * sizeof(TCharAttr));
  fresh->length = second->length;
  fresh->top = second->top;
  fresh->prev = second->prev;
  fresh->next = second->next;
  fresh->prev->next = fresh;
  if (fresh->next) fresh->next->prev = fresh;
  delete second;
  p->layoutState |= lsAll;
  EXPECT_EQ(f.paint.WrapParagraph(p, true), wcLines);
  EXPECT_EQ(p->firstLine->lineFlags & lfChanged, 0);
  EXPECT_NE(LineAt(p, 1)->lineFlags & lfChanged, 0);

  // Without comparing, every line counts as changed.
  p->layoutState |= lsAll;
  EXPECT_EQ(f.paint.WrapParagraph(p, false), wcParagraphHeight);
  for (TLine* l = p->firstLine; l; l = l->next) EXPECT_NE(l->lineFlags & lfChanged, 0);
}

TEST(LayoutWrap, LineMetricsTakeSpacingAndTallestCharacter) {
  LayoutFixture f(1000);
  TCharAttr big = f.b.attr;
  big.size = 20;  // 32 high, ascent 26
  f.b.Text("ab\n").Text("C", big).Text("d\nef");
  TParagraph* p = f.First();
  p->spaceBefore = 150;  // 10 pixels
  p->spaceAfter = 300;   // 20 pixels
  p->lineSpacing = 60;   // 4 pixels, 2 of them above the base line
  f.Layout();
  ASSERT_EQ(LinesOf(p).size(), 3u);
  TLine* l1 = p->firstLine;
  TLine* l2 = l1->next;
  TLine* l3 = l2->next;
  EXPECT_EQ(l1->height, 16 + 4 + 10);
  EXPECT_EQ(l1->ascent, 13 + 2 + 10);
  EXPECT_EQ(l2->height, 32 + 4);
  EXPECT_EQ(l2->ascent, 26 + 2);
  EXPECT_EQ(l3->height, 16 + 4 + 20);
  EXPECT_EQ(l3->ascent, 13 + 2);
  EXPECT_EQ(l2->top, l1->height);
  EXPECT_EQ(f.paint.DocumentHeight(), 30 + 36 + 40);
}

TEST(LayoutWrap, ObjectsMeasureByTheirVerticalAlignment) {
  struct Case {
    uint8_t align;
    int height, ascent;
  } cases[] = {
      {vaBottom, 16 + 30 - 13, 30},
      {vaAboveBottom, 30, 28},
      {vaAscent, 30, 13},
      {vaCentered, 30, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.align));
    LayoutFixture f(1000);
    TTextObject* obj = f.doc().AddObject(nullptr, -1);
    obj->width = 600;   // 40 pixels
    obj->height = 450;  // 30 pixels
    obj->verticalAlign = c.align;
    TCharAttr a = f.b.attr;
    a.marks |= cmObject;
    a.extra = int16_t(obj->key);
    f.b.Text("x").Text(std::string(1, char(kObjectKeyChar)), a);
    f.Layout();
    const TCharAttr& m = f.First()->firstLine->attribs[1];
    EXPECT_EQ(m.width, 40);
    EXPECT_EQ(m.height, c.height);
    EXPECT_EQ(m.ascent, c.ascent);
    EXPECT_TRUE(obj->inUse);
    EXPECT_EQ(f.First()->firstLine->width, 50);
  }
}

TEST(LayoutWrap, OnlyMarkedParagraphsAreLaidOutAgain) {
  LayoutFixture f(100);
  f.b.Text("one").Par().Text("two");
  f.Layout();
  TParagraph* p1 = f.First();
  TParagraph* p2 = f.Nth(1);
  EXPECT_EQ(p1->layoutState, 0);
  TLine* keep1 = p1->firstLine;
  TLine* keep2 = p2->firstLine;
  p2->layoutState |= lsAll;
  f.paint.LayoutDocument();
  EXPECT_EQ(p1->firstLine, keep1);
  EXPECT_NE(p2->firstLine, keep2);

  // Measuring alone leaves the wrap bit for the next pass.
  p1->layoutState |= lsMeasure;
  f.paint.MeasureParagraph(p1);
  EXPECT_EQ(p1->layoutState, lsWrap);
}

TEST(LayoutWrap, WidthTablesAreCachedPerFontSizeAndStyle) {
  LayoutFixture f(1000);
  TCharAttr bold = f.b.attr;
  bold.style |= csBold;
  std::string text(200, 'a');
  f.b.Text(text).Text(text, bold).Par().Text(text).Text(text, bold);
  const int before = f.metrics.MeasureCalls();
  f.Layout();
  // The default font (plain) and the bold one.
  EXPECT_EQ(f.metrics.MeasureCalls() - before, 2);
  f.Layout();
  EXPECT_EQ(f.metrics.MeasureCalls() - before, 2);
  // A new resolution asks again.
  f.paint.SetResolution(120, 120);
  EXPECT_EQ(f.metrics.MeasureCalls() - before, 4);
}

TEST(LayoutWrap, LayoutReportsProgressAndIgnoresReentry) {
  LayoutFixture f(100);
  for (int i = 0; i < 9; ++i) f.b.Text("paragraph").Par();
  std::vector<int> seen;
  int nested = -1;
  f.paint.RelayoutAll([&](int percent) {
    seen.push_back(percent);
    // A progress handler that pumps events may ask for layout again.
    nested = f.paint.LayoutDocument();
    f.paint.MeasureParagraph(f.First());
  });
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
  EXPECT_EQ(nested, 0);  // the outer pass had not finished
  EXPECT_FALSE(f.paint.InLayout());
  EXPECT_EQ(f.paint.DocumentHeight(), 10 * 16);
}

TEST(LayoutWrap, PlainTextDocumentsUseTheDefaultFont) {
  LayoutFixture f(95);
  f.b.Text("aaaa bbbb cc\tc");
  f.doc().SetMemoryFormat(fmPlainText);
  f.Layout();
  TParagraph* p = f.First();
  EXPECT_EQ(LinesOf(p), (std::vector<std::string>{"aaaa bbbb ", "cc\tc"}));
  EXPECT_EQ(p->firstLine->height, 16);
  EXPECT_EQ(p->firstLine->attribs, nullptr);
  // The tab goes to the next default stop: 32-pixel steps, from 1 + 20.
  EXPECT_EQ(f.paint.CharX(p, LineAt(p, 1), 3), 32);
}

}  // namespace
}  // namespace quill
