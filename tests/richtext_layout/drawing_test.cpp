// Drawing lines through the canvas: runs by format, hidden text, tabs and
// justified spaces, objects, borders, page-break markers and selections.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/richtext_layout/layout_fixture.h"
#include "tests/richtext_layout/recording_canvas.h"

namespace quill {
namespace {

using testing::LayoutFixture;
using testing::RecordingCanvas;

std::vector<std::string> TextsOf(const RecordingCanvas& c) {
  std::vector<std::string> out;
  for (const auto& t : c.texts) out.push_back(t.text + "@" + std::to_string(t.x));
  return out;
}

TEST(LayoutDrawing, RunsCarryFontColourAndBackground) {
  LayoutFixture f(1000);
  TCharAttr marked = f.b.attr;
  marked.style = csBold;
  marked.SetTextColor(1);
  marked.SetBackColor(4);
  f.b.Text("ab").Text("cd", marked);
  f.Layout();
  RecordingCanvas canvas;
  f.paint.DrawLine(canvas, f.First(), f.First()->firstLine, 100, 50);
  ASSERT_EQ(canvas.texts.size(), 2u);
  const auto& plain = canvas.texts[0];
  EXPECT_EQ(plain.text, "ab");
  EXPECT_EQ(plain.x, 101);
  EXPECT_EQ(plain.baseline, 63);
  EXPECT_EQ(plain.width, 20);
  EXPECT_EQ(plain.style.font.name, "Arial");
  EXPECT_EQ(plain.style.font.pointSize, 10);
  EXPECT_EQ(plain.style.color, MakeRGB(0, 0, 0));
  EXPECT_FALSE(plain.style.hasBackground);
  const auto& bold = canvas.texts[1];
  EXPECT_EQ(bold.text, "cd");
  EXPECT_EQ(bold.x, 121);
  EXPECT_EQ(bold.style.font.style, csBold);
  EXPECT_EQ(bold.style.color, MakeRGB(255, 0, 0));
  EXPECT_TRUE(bold.style.hasBackground);
  EXPECT_EQ(bold.style.background, MakeRGB(255, 255, 0));
}

TEST(LayoutDrawing, HiddenTextIsSkippedUnlessShown) {
  LayoutFixture f(1000);
  TCharAttr hidden = f.b.attr;
  hidden.marks |= cmHidden;
  f.b.Text("ab").Text("HH", hidden).Text("cd");
  f.Layout();
  RecordingCanvas canvas;
  f.paint.DrawLine(canvas, f.First(), f.First()->firstLine, 0, 0);
  EXPECT_EQ(TextsOf(canvas), (std::vector<std::string>{"ab@1", "cd@21"}));
  f.paint.SetShowHidden(true);
  RecordingCanvas shown;
  f.paint.DrawLine(shown, f.First(), f.First()->firstLine, 0, 0);
  EXPECT_EQ(TextsOf(shown), (std::vector<std::string>{"ab@1", "HH@21", "cd@41"}));
}

TEST(LayoutDrawing, TabsAndJustifiedSpacesMoveTheText) {
  LayoutFixture f(1000);
  f.First()->tabMask = f.doc().FindOrAddTab(1440, tkLeft);
  f.b.Text("a\tb");
  f.Layout();
  RecordingCanvas tabs;
  f.paint.DrawLine(tabs, f.First(), f.First()->firstLine, 0, 0);
  EXPECT_EQ(TextsOf(tabs), (std::vector<std::string>{"a@1", "b@96"}));

  LayoutFixture g(95);
  g.b.Text("aa bb cc dd");
  g.First()->alignment = alJustify;
  g.Layout();
  RecordingCanvas justified;
  g.paint.DrawLine(justified, g.First(), g.First()->firstLine, 0, 0);
  EXPECT_EQ(TextsOf(justified), (std::vector<std::string>{"aa @1", "bb @39", "cc @76"}));
  EXPECT_EQ(justified.texts[0].width, 38);  // a stretched space's background reaches the next word
}

TEST(LayoutDrawing, SuperscriptIsSmallerAndRaised) {
  LayoutFixture f(1000);
  TCharAttr sup = f.b.attr;
  sup.style = csSuperscript;
  f.b.Text("x").Text("2", sup);
  f.Layout();
  RecordingCanvas canvas;
  f.paint.DrawLine(canvas, f.First(), f.First()->firstLine, 0, 0);
  ASSERT_EQ(canvas.texts.size(), 2u);
  EXPECT_EQ(canvas.texts[1].x, 11);
  EXPECT_EQ(canvas.texts[1].width, 6);
  EXPECT_EQ(canvas.texts[1].style.font.pointSize, 6);
  EXPECT_LT(canvas.texts[1].baseline, canvas.texts[0].baseline);
}

TEST(LayoutDrawing, ObjectsArePicturesOrPlaceholders) {
  LayoutFixture f(1000);
  TTextObject* withPicture = f.doc().AddObject(std::make_unique<TPicture>(), -1);
  TTextObject* without = f.doc().AddObject(nullptr, -1);
  for (TTextObject* o : {withPicture, without}) {
    o->width = 600;
    o->height = 450;
  }
  TCharAttr a = f.b.attr;
  a.marks |= cmObject;
  const std::string key(1, char(kObjectKeyChar));
  a.extra = int16_t(withPicture->key);
  f.b.Text("x").Text(key, a);
  a.extra = int16_t(without->key);
  f.b.Text(key, a);
  a.extra = 999;  // no such object
  f.b.Text(key, a);
  f.Layout();
  std::vector<std::string> log;
  RecordingCanvas canvas(&log);
  f.paint.DrawLine(canvas, f.First(), f.First()->firstLine, 0, 0);
  // Bottom-aligned: the line's base line is 30 pixels down.
  EXPECT_EQ(f.First()->firstLine->ascent, 30);
  EXPECT_EQ(canvas.Only("p"), (std::vector<std::string>{"picture 11,0,40,30", "placeholder 51,0,40,30",
                                                        "placeholder 91,17,16,16"}));
}

TEST(LayoutDrawing, PageBreakMarkerOnScreenOnly) {
  LayoutFixture f(100);
  f.b.Text("one").Par().Text("two");
  f.First()->flags |= pfPageBreak;  // nothing to mark above the first line
  f.Nth(1)->flags |= pfPageBreak;
  f.Layout();
  std::vector<std::string> screenLog, printLog;
  RecordingCanvas screen(&screenLog), printer(&printLog, true);
  f.paint.DrawLines(screen, 0, 0, 0, 1000);
  f.paint.DrawLines(printer, 0, 0, 0, 1000);
  EXPECT_EQ(screen.Only("dotted"), (std::vector<std::string>{"dotted 0,16,101,16"}));
  EXPECT_TRUE(printer.Only("dotted").empty());
  EXPECT_EQ(TextsOf(printer), (std::vector<std::string>{"one@1", "two@1"}));
}

TEST(LayoutDrawing, SelectionHighlightsCharactersAndParagraphEnds) {
  LayoutFixture f(1000);
  f.b.Text("abcd").Par().Text("efgh");
  f.Layout();
  {
    std::vector<std::string> log;
    RecordingCanvas canvas(&log);
    TSelectionRange sel{f.First(), 1, f.Nth(1), 2};
    f.paint.DrawLines(canvas, 0, 0, 0, 1000, &sel);
    EXPECT_EQ(canvas.Only("select"), (std::vector<std::string>{"select 11,0,34,16", "select 1,16,20,16"}));
  }
  {
    std::vector<std::string> log;
    RecordingCanvas canvas(&log);
    TSelectionRange sel{f.First(), 1, f.First(), 3};
    f.paint.DrawLines(canvas, 0, 0, 0, 1000, &sel);
    EXPECT_EQ(canvas.Only("select"), (std::vector<std::string>{"select 11,0,20,16"}));
  }
}

TEST(LayoutDrawing, ParagraphBorderFramesItsLines) {
  LayoutFixture f(45);
  f.b.Text("aaaa bbbb");
  f.First()->borderFlags = bfOn | bfBox;
  f.Layout();
  ASSERT_EQ(f.First()->firstLine->next->Text(), "bbbb");
  std::vector<std::string> log;
  RecordingCanvas canvas(&log);
  f.paint.DrawLines(canvas, 0, 0, 0, 1000);
  EXPECT_EQ(canvas.Only("line"), (std::vector<std::string>{"line 0,0,0,16", "line 45,0,45,16", "line 0,0,45,0",
                                                           "line 0,16,0,32", "line 45,16,45,32",
                                                           "line 0,31,45,31"}));
}

TEST(LayoutDrawing, OnlyLinesInTheAskedHeightsAreDrawn) {
  LayoutFixture f(100);
  for (int i = 0; i < 5; ++i) f.b.Text("p" + std::to_string(i)).Par();
  f.Layout();
  RecordingCanvas canvas;
  f.paint.DrawLines(canvas, 0, -20, 20, 50);
  EXPECT_EQ(TextsOf(canvas), (std::vector<std::string>{"p1@1", "p2@1", "p3@1"}));
  EXPECT_EQ(canvas.texts[0].baseline, 16 - 20 + 13);
}

}  // namespace
}  // namespace quill
