// Line and paragraph storage: growth limits, deletion, replacing text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "richtext/model/rtf_text.h"

namespace quill {
namespace {

void SetText(TRTFText& doc, TLine* line, const std::string& s) {
  doc.ReplaceInLine(nullptr, line, nullptr, reinterpret_cast<const uint8_t*>(s.data()), int(s.size()),
                    line->length, 0);
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const TRichTextError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Lines, GrowingBeyond10000SlotsFails) {
  TRTFText doc;
  TLine* l = doc.firstParagraph->firstLine;
  EXPECT_EQ(ErrorOf([&] { doc.ResizeLine(l, 10001); }), "Line longer then\t10000 character!");
  EXPECT_EQ(l->capacity, 40);  // unchanged after the failure
  doc.ResizeLine(l, 10000);
  EXPECT_EQ(l->capacity, 10000);
}

TEST(Lines, CapacityRoundsUpToEvenAndShrinkingCutsTheLength) {
  TRTFText doc;
  TLine* l = doc.firstParagraph->firstLine;
  doc.ResizeLine(l, 41);
  EXPECT_EQ(l->capacity, 42);
  SetText(doc, l, "abcdefghijkl");
  doc.ResizeLine(l, 6);
  EXPECT_EQ(l->capacity, 6);
  EXPECT_EQ(l->length, 5);
  EXPECT_EQ(l->Text(), "abcde");
  EXPECT_EQ(l->text[5], 0);
  // A length equal to the new capacity stays.
  doc.ResizeLine(l, 20);
  SetText(doc, l, "abcdefgh");
  doc.ResizeLine(l, 8);
  EXPECT_EQ(l->Text(), "abcdefgh");
  // The same in plain mode, where text and attributes are apart.
  doc.SetMemoryFormat(fmPlainText);
  doc.ResizeLine(l, 6);
  EXPECT_EQ(l->Text(), "abcde");
}

TEST(Lines, NewLineHasAtLeast8SlotsAndTheDefaultAttribute) {
  TRTFText doc;
  doc.defaultAttr.font = 3;
  TLine* l = doc.NewLine(doc.firstParagraph->firstLine, 2);
  EXPECT_EQ(l->capacity, 8);
  ASSERT_NE(l->attribs, nullptr);
  EXPECT_EQ(l->attribs[0].font, 3);
  EXPECT_EQ(l->height, doc.defaultCharHeight);
  EXPECT_EQ(doc.firstParagraph->firstLine->next, l);
  EXPECT_EQ(l->prev, doc.firstParagraph->firstLine);
}

TEST(Lines, FixedErrorTexts) {
  TRTFText doc;
  EXPECT_EQ(ErrorOf([&] { TRTFText::AttribPtr(nullptr, 0); }), "Error AttribPtr()");
  TParagraph empty;
  EXPECT_EQ(ErrorOf([&] { doc.Get_LastLine(&empty); }), "l=nil in Get_LastLine");
  EXPECT_EQ(ErrorOf([&] { doc.NewParagraph(doc.firstParagraph, 20000); }), "Line longer then\t10000 character!");
  EXPECT_EQ(doc.firstParagraph->next, nullptr);  // nothing linked by the failed call
}

TEST(ReplaceInLine, InsertsReplacesAndMovesAttributes) {
  TRTFText doc;
  TParagraph* p = doc.firstParagraph;
  TLine* l = p->firstLine;
  SetText(doc, l, "Hello world");
  TCharAttr bold = doc.defaultAttr;
  bold.style = csBold;
  p->layoutState = 0;
  // "world" -> "diary" in bold
  EXPECT_EQ(doc.ReplaceInLine(p, l, &bold, reinterpret_cast<const uint8_t*>("diary"), 5, 5, 6), 0);
  EXPECT_EQ(l->Text(), "Hello diary");
  EXPECT_EQ(p->layoutState, lsAll);
  EXPECT_EQ(l->attribs[6].style, csBold);
  EXPECT_EQ(l->attribs[5].style, 0);
  // Insert at the front: the bold characters move along.
  EXPECT_EQ(doc.ReplaceInLine(p, l, nullptr, reinterpret_cast<const uint8_t*>(">> "), 3, 0, 0), 3);
  EXPECT_EQ(l->Text(), ">> Hello diary");
  EXPECT_EQ(l->attribs[9].style, csBold);
  EXPECT_EQ(l->attribs[8].style, 0);
  // Removing from a position to the end cuts the line.
  EXPECT_EQ(doc.ReplaceInLine(p, l, nullptr, nullptr, 0, 100, 8), -6);
  EXPECT_EQ(l->Text(), ">> Hello");
}

TEST(ReplaceInLine, GrowsTheLineWithRoomToSpare) {
  TRTFText doc;
  TLine* l = doc.firstParagraph->firstLine;
  const std::string big(50, 'a');
  SetText(doc, l, big);
  EXPECT_EQ(l->length, 50);
  EXPECT_EQ(l->capacity, 56);
  EXPECT_EQ(l->Text(), big);
}

TEST(ReplaceInLine, TooLongFailsAndKeepsTheLine) {
  TRTFText doc;
  TLine* l = doc.firstParagraph->firstLine;
  SetText(doc, l, "keep");
  const std::string huge(10000, 'z');
  EXPECT_EQ(ErrorOf([&] { SetText(doc, l, "keep" + huge); }), "Line longer then\t10000 character!");
  EXPECT_EQ(l->Text(), "keep");
}

// An empty line's first record holds the format of the paragraph's text
// (typing there uses it); resizing must keep it, as it keeps the records in
// use.
TEST(Lines, ResizingAnEmptyLineKeepsItsFormat) {
  for (int capacity : {2, 40, 300}) {
    TRTFText doc;
    TLine* l = doc.firstParagraph->firstLine;
    l->attribs[0].style = csItalic;
    l->attribs[0].font = 4;
    doc.ResizeLine(l, capacity);
    EXPECT_EQ(l->length, 0) << capacity;
    EXPECT_EQ(l->attribs[0].style, csItalic) << capacity;
    EXPECT_EQ(l->attribs[0].font, 4) << capacity;
    EXPECT_EQ(l->attribs[0].marks, 0) << capacity;
  }
}

TEST(DeleteLine, TheLastLineOfTheDocumentStaysEmpty) {
  TRTFText doc;
  TLine* l = doc.firstParagraph->firstLine;
  SetText(doc, l, "text");
  doc.DeleteLine(doc.firstParagraph, l);
  ASSERT_NE(doc.firstParagraph, nullptr);
  EXPECT_EQ(doc.firstParagraph->firstLine, l);
  EXPECT_EQ(l->length, 0);
  EXPECT_TRUE(doc.IsEmpty());
}

TEST(DeleteLine, AParagraphsOnlyLineTakesTheParagraph) {
  TRTFText doc;
  TParagraph* second = doc.NewParagraph(doc.firstParagraph, 10);
  doc.DeleteLine(second, second->firstLine);
  EXPECT_EQ(doc.firstParagraph->next, nullptr);
  // The first paragraph can go as well when another follows.
  TParagraph* again = doc.NewParagraph(doc.firstParagraph, 10);
  doc.DeleteLine(doc.firstParagraph, doc.firstParagraph->firstLine);
  EXPECT_EQ(doc.firstParagraph, again);
  EXPECT_EQ(again->prev, nullptr);
}

TEST(DeleteLine, FirstLineGoingJoinsTheRestToThePreviousParagraph) {
  TRTFText doc;
  SetText(doc, doc.firstParagraph->firstLine, "one");
  TParagraph* p2 = doc.NewParagraph(doc.firstParagraph, 10);
  SetText(doc, p2->firstLine, "gone");
  TLine* second = doc.NewLine(p2->firstLine, 10);
  SetText(doc, second, "two");
  TParagraph* p3 = doc.NewParagraph(p2, 10);
  doc.DeleteLine(p2, p2->firstLine);
  EXPECT_EQ(doc.firstParagraph->next, p3);
  EXPECT_EQ(p3->prev, doc.firstParagraph);
  TLine* l = doc.firstParagraph->firstLine;
  EXPECT_EQ(l->Text(), "one");
  ASSERT_EQ(l->next, second);
  EXPECT_EQ(second->prev, l);
  EXPECT_EQ(doc.Get_LastLine(doc.firstParagraph), second);
}

TEST(DeleteLine, MiddleLineIsUnlinked) {
  TRTFText doc;
  TParagraph* p = doc.firstParagraph;
  TLine* a = p->firstLine;
  TLine* b = doc.NewLine(a, 10);
  TLine* c = doc.NewLine(b, 10);
  doc.DeleteLine(p, b);
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(c->prev, a);
}

}  // namespace
}  // namespace quill
