// Pagination: line tops, page starts by overflow and by page-break flag,
// lines taller than a page, table rows side by side and moved whole; hit
// tests over lines and cells.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/richtext_layout/layout_fixture.h"

namespace quill {
namespace {

using testing::LayoutFixture;
using testing::LineAt;
using testing::LinesOf;

// Pages whose text is one inch high: 96 pixels, six lines of 16.
class PaginationTest : public ::testing::Test {
 protected:
  PaginationTest() : f(100) {
    f.doc().header.pageHeight = 3 * 1440;
    f.doc().header.marginTop = f.doc().header.marginBottom = 1440;
    f.paint.BeginUpdate();
    f.paint.PageSetupChanged();
    f.paint.EndUpdate();
  }
  void Paragraphs(int n) {
    for (int i = 0; i < n; ++i) {
      if (i > 0) f.b.Par();
      f.b.Text("p" + std::to_string(i));
    }
  }
  // Tops and page starts of every line, in order.
  std::vector<int> Tops() {
    std::vector<int> out;
    for (TParagraph* p = f.First(); p; p = p->next)
      for (TLine* l = p->firstLine; l; l = l->next) out.push_back(l->top);
    return out;
  }
  std::vector<int> PageStarts() {
    std::vector<int> out;
    int n = 0;
    for (TParagraph* p = f.First(); p; p = p->next)
      for (TLine* l = p->firstLine; l; l = l->next, ++n)
        if (TRTFTextPaint::StartsPage(p, l)) out.push_back(n);
    return out;
  }
  LayoutFixture f;
};

TEST_F(PaginationTest, LinesPastThePageBottomStartTheNextPage) {
  ASSERT_EQ(f.doc().header.textHeightPixels, 96);
  Paragraphs(14);
  f.Layout();
  std::vector<int> tops;
  for (int i = 0; i < 14; ++i) tops.push_back(16 * i);
  EXPECT_EQ(Tops(), tops);
  EXPECT_EQ(PageStarts(), (std::vector<int>{6, 12}));
  EXPECT_EQ(f.paint.DocumentHeight(), 14 * 16);
}

TEST_F(PaginationTest, PageBreakFlagStartsAPageAndCountsFromThere) {
  Paragraphs(10);
  f.Nth(2)->flags |= pfPageBreak;
  f.Layout();
  EXPECT_EQ(PageStarts(), (std::vector<int>{2, 8}));
  EXPECT_EQ(f.Nth(2)->firstLine->lineFlags & lfPageStart, 0);  // the flag says it already
  EXPECT_NE(f.Nth(8)->firstLine->lineFlags & lfPageStart, 0);
}

TEST_F(PaginationTest, LineTallerThanAPageGetsAPageOfItsOwn) {
  TCharAttr huge = f.b.attr;
  huge.size = 80;  // 128 pixels high
  f.b.Text("a").Par().Text("B", huge).Par().Text("c");
  f.Layout();
  EXPECT_EQ(Tops(), (std::vector<int>{0, 16, 144}));
  EXPECT_EQ(PageStarts(), (std::vector<int>{1, 2}));
  EXPECT_EQ(f.paint.DocumentHeight(), 160);
}

TEST_F(PaginationTest, TableRowStandsSideBySideAndMovesWhole) {
  Paragraphs(5);
  TParagraph* a = f.b.Par().Text("aaaa bbbb cccc").par;
  TParagraph* b = f.b.Par().Text("x").par;
  TParagraph* after = f.b.Par().Text("after").par;
  a->flags = pfTableCell | pfRowContinues;
  a->tabMask = uint32_t(0) | (uint32_t(127) << 8);
  b->flags = pfTableCell | pfLastCell;
  b->tabMask = uint32_t(127) | (uint32_t(128) << 8);
  after->flags = 0;
  after->tabMask = 0;
  f.Layout();
  ASSERT_EQ(LinesOf(a), (std::vector<std::string>{"aaaa ", "bbbb ", "cccc"}));
  // The row (48 pixels) would end at 128: it moves to the second page whole.
  EXPECT_NE(a->firstLine->lineFlags & lfPageStart, 0);
  EXPECT_EQ(a->firstLine->top, 80);
  EXPECT_EQ(LineAt(a, 2)->top, 112);
  EXPECT_EQ(b->firstLine->top, 80);
  EXPECT_EQ(b->firstLine->lineFlags & lfPageStart, 0);
  // Both cells end at the row's bottom.
  EXPECT_EQ(b->firstLine->height, 48);
  EXPECT_EQ(after->firstLine->top, 128);
  EXPECT_EQ(PageStarts(), (std::vector<int>{5}));
  // Paginating again does not pile up the padding.
  f.paint.Paginate();
  f.paint.Paginate();
  EXPECT_EQ(b->firstLine->height, 48);
  EXPECT_EQ(f.paint.DocumentHeight(), 144);

  // Hits: the column picks the cell; without an x the first cell.
  const int bLeft = 127 * 101 / 255;
  TLineHit hit = f.paint.HitTest(bLeft + 5, 100);
  EXPECT_EQ(hit.paragraph, b);
  EXPECT_EQ(hit.line, b->firstLine);
  hit = f.paint.HitTest(10, 100);
  EXPECT_EQ(hit.paragraph, a);
  EXPECT_EQ(hit.line, LineAt(a, 1));
  EXPECT_EQ(f.paint.LineAtY(100).paragraph, a);
  EXPECT_EQ(f.paint.LineAtY(130).paragraph, after);
}

TEST_F(PaginationTest, RelayoutAfterAnEditMovesTheLinesBelow) {
  Paragraphs(8);
  f.Layout();
  // The third paragraph grows by a line: everything below moves down, and
  // the page now starts one paragraph earlier.
  TParagraph* p = f.Nth(2);
  for (char c : std::string(" more text here")) f.doc().AppendChar(p->firstLine, uint8_t(c), f.b.attr);
  p->MarkForLayout();
  EXPECT_EQ(f.paint.RelayoutParagraph(p), wcParagraphHeight);
  EXPECT_EQ(LinesOf(p).size(), 2u);
  EXPECT_EQ(f.Nth(3)->firstLine->top, 64);
  EXPECT_EQ(PageStarts(), (std::vector<int>{6}));
  EXPECT_NE(f.Nth(5)->firstLine->lineFlags & lfPageStart, 0);
  EXPECT_EQ(f.paint.DocumentHeight(), 9 * 16);
  // Nothing marked: nothing to do.
  EXPECT_EQ(f.paint.RelayoutParagraph(p), wcNone);
}

TEST_F(PaginationTest, HitTestBeyondTheEnds) {
  Paragraphs(3);
  f.Layout();
  EXPECT_EQ(f.paint.LineAtY(-10).paragraph, f.First());
  EXPECT_EQ(f.paint.LineAtY(20).paragraph, f.Nth(1));
  EXPECT_EQ(f.paint.LineAtY(5000).paragraph, f.Nth(2));
  EXPECT_EQ(f.paint.LineAtY(5000).line, f.Nth(2)->firstLine);
}

TEST_F(PaginationTest, PageScaleShrinksPages) {
  Paragraphs(8);
  f.paint.SetPageScale(0.5);  // 48 pixels: three lines a page
  f.Layout();
  EXPECT_EQ(PageStarts(), (std::vector<int>{3, 6}));
}

}  // namespace
}  // namespace quill
