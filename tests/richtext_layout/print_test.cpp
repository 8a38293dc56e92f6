// Printing: the order of header, lines, footer and page calls, the header
// and footer areas, layout at the printer's resolution and the screen
// layout afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "richtext/layout/print_document.h"
#include "tests/richtext_layout/layout_fixture.h"
#include "tests/richtext_layout/recording_canvas.h"

namespace quill {
namespace {

using testing::LayoutFixture;
using testing::RecordingCanvas;

// 192 pixels per inch, printable area 40 pixels in from the paper's edges.
class FakePrinter : public TPrinter {
 public:
  explicit FakePrinter(std::vector<std::string>& log) : log_(log), canvas_(&log, true), metrics_(10, 16, 13) {}
  bool BeginDoc() override {
    log_.push_back("begin");
    return accept;
  }
  void NewPage() override { log_.push_back("newpage"); }
  void EndDoc() override { log_.push_back("end"); }
  void Abort() override { log_.push_back("abort"); }
  TCanvas& Canvas() override { return canvas_; }
  TFontMetrics& Metrics() override { return metrics_; }
  int ResolutionX() const override { return 192; }
  int ResolutionY() const override { return 192; }
  int PrintableWidth() const override { return 1552; }
  int PrintableHeight() const override { return 496; }
  bool PrintableOffset(int& x, int& y) const override {
    x = 30;
    y = 40;
    return knowsOffset;
  }

  bool accept = true;
  bool knowsOffset = true;

 private:
  std::vector<std::string>& log_;
  RecordingCanvas canvas_;
  TFixedFontMetrics metrics_;
};

std::string Area(const char* what, int x, int y, int w, int h, int page, int line) {
  return std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
         std::to_string(h) + " page " + std::to_string(page) + " line " + std::to_string(line);
}

// A page three inches high with one-inch margins: at 192 pixels per inch the
// text is 192 pixels (six lines of 32) high and starts 192 - 40 = 152 pixels
// down the printable area; the left edge is 250 - 30 = 220 and lines start
// one pixel right of it.
class PrintTest : public ::testing::Test {
 protected:
  PrintTest() : f(100), printer(log) {
    f.doc().header.pageHeight = 3 * 1440;
    f.doc().header.marginTop = f.doc().header.marginBottom = 1440;
    f.paint.PageSetupChanged();
    handlers.Sender = this;
    handlers.PrintHeader = [this](void* sender, TCanvas& c, int x, int y, int w, int h, int page, int line) {
      EXPECT_EQ(sender, this);
      EXPECT_TRUE(c.IsPrinter());
      log.push_back(Area("header", x, y, w, h, page, line));
    };
    handlers.PrintFooter = [this](void*, TCanvas&, int x, int y, int w, int h, int page, int line) {
      log.push_back(Area("footer", x, y, w, h, page, line));
    };
  }
  void Paragraphs(int n) {
    for (int i = 0; i < n; ++i) {
      if (i > 0) f.b.Par();
      f.b.Text("p" + std::to_string(i));
    }
    f.Layout();
  }
  std::string Header(int page, int line) { return Area("header", 220, 0, 1130, 152, page, line); }
  std::string Footer(int page, int line) { return Area("footer", 220, 344, 1130, 152, page, line); }
  static std::string Text(const std::string& s, int top) { return "text " + s + " @221," + std::to_string(top + 26); }

  LayoutFixture f;
  std::vector<std::string> log;
  FakePrinter printer;
  TPrintHandlers handlers;
};

TEST_F(PrintTest, HeaderBeforeTheFirstLineFooterAfterTheLast) {
  Paragraphs(8);
  ASSERT_TRUE(PrintDocument(f.paint, printer, handlers));
  EXPECT_EQ(log, (std::vector<std::string>{
                     "begin", Header(1, 1), Text("p0", 152), Text("p1", 184), Text("p2", 216), Text("p3", 248),
                     Text("p4", 280), Text("p5", 312), Footer(1, 7), "newpage", Header(2, 7), Text("p6", 152),
                     Text("p7", 184), Footer(2, 9), "end"}));
}

TEST_F(PrintTest, PageBreakOnTheFirstParagraphPrintsAnEmptyFirstPage) {
  f.b.Text("one").Par().Text("two");
  f.First()->flags |= pfPageBreak;
  f.Nth(1)->flags &= uint8_t(~pfPageBreak);
  f.Layout();
  ASSERT_TRUE(PrintDocument(f.paint, printer, handlers));
  EXPECT_EQ(log, (std::vector<std::string>{"begin", Header(1, 1), Footer(1, 1), "newpage", Header(2, 1),
                                           Text("one", 152), Text("two", 184), Footer(2, 3), "end"}));
}

TEST_F(PrintTest, PageBreakInsideStartsANewPage) {
  Paragraphs(3);
  f.Nth(2)->flags |= pfPageBreak;
  f.Layout();
  ASSERT_TRUE(PrintDocument(f.paint, printer, handlers));
  EXPECT_EQ(log, (std::vector<std::string>{"begin", Header(1, 1), Text("p0", 152), Text("p1", 184), Footer(1, 3),
                                           "newpage", Header(2, 3), Text("p2", 152), Footer(2, 4), "end"}));
}

TEST_F(PrintTest, WithoutAnOffsetTheMarginsCountFromThePaperEdge) {
  Paragraphs(1);
  printer.knowsOffset = false;
  ASSERT_TRUE(PrintDocument(f.paint, printer, handlers));
  EXPECT_EQ(log[1], Area("header", 250, 0, 1130, 192, 1, 1));
  EXPECT_EQ(log[2], "text p0 @251,218");
}

TEST_F(PrintTest, PrintsAtThePageWidthAndRestoresTheScreenLayout) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "abcd ";
  f.b.Text(text);
  f.Layout();
  const TLine* before = f.First()->firstLine;
  ASSERT_EQ(before->length, 10);  // two words in the 100-pixel window
  ASSERT_TRUE(PrintDocument(f.paint, printer, handlers));
  // On paper: 20 pixels a character, 1129 pixels a line: 11 words.
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[2], "text " + text.substr(0, 55) + " @221,178");
  // Back on the screen.
  EXPECT_EQ(f.paint.ResolutionX(), 96);
  EXPECT_EQ(f.paint.ResolutionY(), 96);
  EXPECT_TRUE(f.paint.WordWrap());
  EXPECT_EQ(f.paint.WrapWidth(), 101);
  EXPECT_EQ(&f.paint.FontMetrics(), &f.metrics);
  EXPECT_EQ(f.First()->firstLine->length, 10);
  EXPECT_EQ(f.First()->firstLine->attribs[0].width, 10);
  EXPECT_EQ(f.First()->firstLine->height, 16);
  EXPECT_EQ(f.doc().header.textHeightPixels, 96);
}

TEST_F(PrintTest, WordWrapOffAndZoomAreRestoredToo) {
  Paragraphs(2);
  f.paint.SetWordWrap(false);
  f.paint.SetResolution(96, 96, 150);
  ASSERT_TRUE(PrintDocument(f.paint, printer, handlers));
  EXPECT_FALSE(f.paint.WordWrap());
  EXPECT_EQ(f.paint.Zoom(), 150);
  EXPECT_EQ(f.paint.ResolutionX(), 144);
  EXPECT_EQ(f.First()->firstLine->attribs[0].width, 15);
}

TEST_F(PrintTest, RefusedJobPrintsNothing) {
  Paragraphs(2);
  printer.accept = false;
  EXPECT_FALSE(PrintDocument(f.paint, printer, handlers));
  EXPECT_EQ(log, (std::vector<std::string>{"begin"}));
  EXPECT_EQ(f.paint.ResolutionX(), 96);
}

TEST_F(PrintTest, FailureAbortsTheJobAndRestoresTheScreen) {
  Paragraphs(8);
  handlers.PrintFooter = [](void*, TCanvas&, int, int, int, int, int, int) { throw std::runtime_error("paper jam"); };
  EXPECT_THROW(PrintDocument(f.paint, printer, handlers), std::runtime_error);
  EXPECT_EQ(log.back(), "abort");
  EXPECT_EQ(f.paint.ResolutionX(), 96);
  EXPECT_EQ(f.First()->firstLine->height, 16);
  EXPECT_FALSE(f.paint.InLayout());
}

TEST_F(PrintTest, NoHandlersStillPrintsEveryPage) {
  Paragraphs(8);
  ASSERT_TRUE(PrintDocument(f.paint, printer));
  EXPECT_EQ(log.front(), "begin");
  EXPECT_EQ(log.back(), "end");
  EXPECT_EQ(std::count(log.begin(), log.end(), "newpage"), 1);
}

}  // namespace
}  // namespace quill
