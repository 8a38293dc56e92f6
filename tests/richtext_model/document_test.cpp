// Whole-document operations: construction, paragraphs, memory format,
// clearing, footnotes, objects and reclaiming tab stops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "richtext/model/rtf_text.h"

namespace quill {
namespace {

void SetText(TRTFText& doc, TLine* line, const std::string& s) {
  doc.ReplaceInLine(nullptr, line, nullptr, reinterpret_cast<const uint8_t*>(s.data()), int(s.size()),
                    line->length, 0);
}

TEST(Document, NewDocumentIsOneEmptyParagraph) {
  TRTFText doc;
  ASSERT_NE(doc.firstParagraph, nullptr);
  EXPECT_EQ(doc.firstParagraph->next, nullptr);
  ASSERT_NE(doc.firstParagraph->firstLine, nullptr);
  EXPECT_EQ(doc.firstParagraph->firstLine->capacity, 40);
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_EQ(doc.MemoryFormat(), fmRichText);
  EXPECT_TRUE(doc.header.richMode);
  EXPECT_TRUE(doc.header.rulerInch);
  EXPECT_EQ(doc.defaultAttr.size, 10);
  EXPECT_EQ(doc.defaultAttr.font, 0);
  EXPECT_EQ(doc.widthTable[0], 16);
  EXPECT_EQ(doc.widthTable[255], 16);
  EXPECT_EQ(doc.defaultLineHeight, 16);
  EXPECT_EQ(doc.defaultAscent, 14);
}

TEST(Document, NewParagraphInheritsProperties) {
  TRTFText doc;
  TParagraph* p = doc.firstParagraph;
  p->firstIndent = 100;
  p->leftIndent = 200;
  p->rightIndent = 300;
  p->spaceBefore = 40;
  p->spaceAfter = 50;
  p->lineSpacing = 60;
  p->alignment = alCenter;
  p->flags = pfPageBreak;
  p->reserved[0] = 7;
  p->reserved[1] = 8;
  p->tabMask = 0x5;
  p->borderFlags = bfOn | bfBox;
  p->borderStyle = bsDotted;
  p->borderWidth = 2;
  p->borderSpacingColor = 0x13;
  TParagraph* q = doc.NewParagraph(p, 30);
  EXPECT_EQ(q->prev, p);
  EXPECT_EQ(p->next, q);
  EXPECT_EQ(q->firstLine->capacity, 30);
  EXPECT_EQ(q->firstIndent, 100);
  EXPECT_EQ(q->leftIndent, 200);
  EXPECT_EQ(q->rightIndent, 300);
  EXPECT_EQ(q->spaceBefore, 40);
  EXPECT_EQ(q->spaceAfter, 50);
  EXPECT_EQ(q->lineSpacing, 60);
  EXPECT_EQ(q->alignment, alCenter);
  EXPECT_EQ(q->flags, pfPageBreak);
  EXPECT_EQ(q->reserved[0], 7);
  EXPECT_EQ(q->reserved[1], 8);
  EXPECT_EQ(q->tabMask, 0x5u);
  EXPECT_EQ(q->borderFlags, bfOn | bfBox);
  EXPECT_EQ(q->borderSpacingColor, 0x13);
  EXPECT_EQ(q->layoutState, lsAll);

  // A table cell does not pass its mask on; an ending border does not go on.
  p->flags = pfTableCell;
  p->borderFlags = bfOn | bfEnds;
  TParagraph* r = doc.NewParagraph(p, 30);
  EXPECT_EQ(r->tabMask, 0u);
  EXPECT_EQ(r->borderFlags, 0);
  EXPECT_EQ(r->borderWidth, 0);
  EXPECT_EQ(r->next, q);
  EXPECT_EQ(q->prev, r);
}

TEST(Document, ClearGivesArialAt10PointsWhenNothingWasSet) {
  TRTFText doc;
  doc.defaultAttr.size = 0;
  SetText(doc, doc.firstParagraph->firstLine, "text");
  doc.NewParagraph(doc.firstParagraph, 10);
  doc.header.InternFont("Courier");
  doc.header.colorTable[3] = 0x123456;
  doc.header.pageWidth = 1000;
  doc.header.marginLeft = 1;
  doc.header.title = "kept";
  doc.AddFootnote('*', 0, "note");
  doc.AddObject(nullptr, -1);
  int changes = 0;
  doc.onChange = [&] { ++changes; };
  doc.ClearDocument();
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_EQ(doc.firstParagraph->firstLine->capacity, 100);
  // Entry 0 was "Courier" (font index 0 of the default attribute).
  EXPECT_EQ(doc.header.FontName(0), "Courier");
  EXPECT_EQ(doc.header.FontCount(), 1);
  EXPECT_EQ(doc.defaultAttr.size, 10);
  EXPECT_EQ(doc.header.colorTable[3], MakeRGB(0, 0, 255));
  EXPECT_EQ(doc.header.pageWidth, 12240);
  EXPECT_EQ(doc.header.marginLeft, 1880);
  EXPECT_EQ(doc.header.title, "kept");
  EXPECT_EQ(doc.firstFootnote, nullptr);
  EXPECT_EQ(doc.firstObject, nullptr);
  EXPECT_EQ(changes, 1);

  TRTFText fresh;
  fresh.ClearDocument();
  EXPECT_EQ(fresh.header.FontName(0), "Arial");
  EXPECT_EQ(fresh.defaultAttr.font, 0);
  EXPECT_EQ(fresh.defaultAttr.size, 10);
}

TEST(Document, ClearMovesTheDefaultFontIntoEntryZero) {
  TRTFText doc;
  doc.header.InternFont("Arial");
  doc.header.InternFont("Georgia");
  doc.defaultAttr.font = 1;
  doc.ClearDocument();
  EXPECT_EQ(doc.header.FontName(0), "Georgia");
  EXPECT_EQ(doc.header.FontName(1), "");
  EXPECT_EQ(doc.defaultAttr.font, 0);
}

TEST(Document, BusyDocumentIsNotClearedOrSwitched) {
  TRTFText doc;
  SetText(doc, doc.firstParagraph->firstLine, "x");
  doc.busy = true;
  doc.ClearDocument();
  EXPECT_FALSE(doc.IsEmpty());
  doc.SetMemoryFormat(fmPlainText);
  EXPECT_EQ(doc.MemoryFormat(), fmRichText);
  EXPECT_NE(doc.firstParagraph->firstLine->attribs, nullptr);
}

TEST(Document, MemoryFormatSwitchesBothWays) {
  TRTFText doc;
  SetText(doc, doc.firstParagraph->firstLine, "ab");
  TParagraph* p2 = doc.NewParagraph(doc.firstParagraph, 10);
  SetText(doc, p2->firstLine, "c");
  int changes = 0;
  doc.onChange = [&] { ++changes; };

  doc.SetMemoryFormat(fmPlainText);
  EXPECT_EQ(doc.MemoryFormat(), fmPlainText);
  EXPECT_FALSE(doc.header.richMode);
  for (TParagraph* p = doc.firstParagraph; p; p = p->next) {
    EXPECT_EQ(p->firstLine->attribs, nullptr);
    EXPECT_EQ(p->firstLine->height, doc.defaultLineHeight);
    EXPECT_EQ(p->firstLine->ascent, doc.defaultAscent);
  }
  // New lines follow the mode.
  EXPECT_EQ(doc.NewLine(p2->firstLine, 10)->attribs, nullptr);

  doc.widthTable['a'] = 7;
  doc.defaultAttr.font = 2;
  doc.SetMemoryFormat(fmRichText);
  EXPECT_EQ(doc.MemoryFormat(), fmRichText);
  TLine* l = doc.firstParagraph->firstLine;
  ASSERT_NE(l->attribs, nullptr);
  EXPECT_EQ(l->attribs[0].width, 7);
  EXPECT_EQ(l->attribs[1].width, 16);
  EXPECT_EQ(l->attribs[1].font, 2);
  EXPECT_EQ(doc.firstParagraph->layoutState, lsAll);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(l->Text(), "ab");
}

TEST(Footnotes, IdsAreOneMoreThanTheHighest) {
  TRTFText doc;
  TFootnote* a = doc.AddFootnote('1', 5, "first");
  TFootnote* b = doc.AddFootnote('2', 0, "second");
  EXPECT_EQ(a->id, 1);
  EXPECT_EQ(b->id, 2);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->prev, a);
  EXPECT_EQ(doc.AddFootnote('3', 0, "")->id, 3);
  EXPECT_EQ(doc.FindFootnote(2), b);
  EXPECT_EQ(doc.FindFootnote(0), nullptr);
  EXPECT_EQ(doc.FindFootnote(99), nullptr);
}

TEST(Objects, KeysStartAt2000AndIdsAt1) {
  TRTFText doc;
  std::vector<uint16_t> requested;
  doc.onObjectRequest = [&](uint16_t key) { requested.push_back(key); };
  TTextObject* a = doc.AddObject(nullptr, -1);
  TTextObject* b = doc.AddObject(std::make_unique<TPicture>(), -1);
  TTextObject* c = doc.AddObject(nullptr, 1234);
  EXPECT_EQ(a->key, 2000);
  EXPECT_EQ(b->key, 2001);
  EXPECT_EQ(c->key, 1234);
  EXPECT_EQ(a->id, 1);
  EXPECT_EQ(c->id, 3);
  EXPECT_TRUE(b->ownsPicture);
  // Only objects without a picture are requested.
  EXPECT_EQ(requested, (std::vector<uint16_t>{2000, 1234}));
  EXPECT_EQ(doc.FindObject(2001, 0), b);
  EXPECT_EQ(doc.FindObject(0, 3), c);
  EXPECT_EQ(doc.FindObject(0, 0), nullptr);
  b->fileName = "Pics/Cat.BMP";
  EXPECT_EQ(doc.FindObjectByFileName("pics/cat.bmp"), b);
  EXPECT_EQ(doc.FindObjectByFileName(""), nullptr);
}

TEST(TabGarbage, StopsNoParagraphUsesAreFreed) {
  TRTFText doc;
  doc.header.resolutionX = 96;
  TParagraph* p = doc.firstParagraph;
  const uint32_t a = doc.FindOrAddTab(1440, tkLeft);
  const uint32_t b = doc.FindOrAddTab(2880, tkLeft);
  const uint32_t c = doc.FindOrAddTab(4320, tkDecimal);
  const uint32_t d = doc.FindOrAddTab(5760, tkLeft);
  p->tabMask = a;
  // A table cell names its decimal stop in the top byte; its low bytes are shares.
  TParagraph* cell = doc.NewParagraph(p, 10);
  cell->flags = pfTableCell;
  cell->tabMask = (uint32_t(2 + 1) << 24) | 0x0F0F;  // stop index 2
  // A chain being read counts too.
  TParagraph* pending = doc.NewParagraph(nullptr, 10);
  pending->tabMask = d;
  doc.pendingChain = pending;
  doc.CollectTabGarbage();
  EXPECT_EQ(doc.header.tabPositions[0], 1440);
  EXPECT_EQ(doc.header.tabPositions[1], 0);  // b is unused
  EXPECT_EQ(doc.header.tabPositions[2], 4320);
  EXPECT_EQ(doc.header.tabPositions[3], 5760);
  (void)b;
  (void)c;
}

TEST(TabGarbage, FullTableReclaimsUnusedStops) {
  TRTFText doc;
  for (int i = 0; i < kTabCount; ++i) doc.FindOrAddTab(100 * (i + 1), tkLeft);
  doc.firstParagraph->tabMask = 0x7FFFFFFFu & ~(1u << 9);
  const uint32_t bit = doc.FindOrAddTab(7777, tkLeft);
  EXPECT_EQ(bit, 1u << 9);
  doc.firstParagraph->tabMask = 0x7FFFFFFFu;
  EXPECT_EQ(doc.FindOrAddTab(6666, tkLeft), 0u);
}

}  // namespace
}  // namespace quill
