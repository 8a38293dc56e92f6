// Building one document out of others: taking over a header, appending a
// paragraph, appending another document's whole content with its own fonts,
// colours, tab stops, footnotes and objects.
#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "richtext/model/document_append.h"
#include "richtext/model/rtf_text.h"
#include "tests/richtext_writer/doc_builder.h"

namespace quill {
namespace {

using testing::DocBuilder;
using testing::TextOf;

// Everything a reader of the document could see, in one string: paragraph
// properties, every character with its format, footnotes, objects and the
// tables.
std::string Dump(const TRTFText& doc) {
  std::string s;
  auto num = [&s](long v) { s += std::to_string(v) + ","; };
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    s += "P(";
    for (long v : {long(p->firstIndent), long(p->leftIndent), long(p->rightIndent), long(p->spaceBefore),
                   long(p->spaceAfter), long(p->lineSpacing), long(p->alignment), long(p->flags),
                   long(p->borderFlags), long(p->borderSpacingColor), long(p->tabMask)})
      num(v);
    s += ")";
    for (const TLine* l = p->firstLine; l; l = l->next) {
      s += "L";
      for (int i = 0; i < l->length; ++i) {
        s += char(l->text[i]);
        if (l->attribs) {
          const TCharAttr& a = l->attribs[i];
          s += "[";
          for (long v : {long(a.font), long(a.colors), long(a.style), long(a.marks), long(a.size), long(a.extra)})
            num(v);
          s += "]";
        }
      }
    }
  }
  for (const TFootnote* f = doc.firstFootnote; f; f = f->next) s += "F" + std::to_string(f->id) + f->text;
  for (const TTextObject* o = doc.firstObject; o; o = o->next) {
    s += "O" + std::to_string(o->key) + "/" + std::to_string(o->id) + o->fileName;
    if (o->picture) s += "pic" + std::to_string(o->picture->data.size());
  }
  for (int i = 0; i < kFontCount; ++i) s += std::string(doc.header.FontName(i)) + ";";
  for (uint32_t c : doc.header.colorTable) num(long(c));
  for (int32_t t : doc.header.tabPositions) num(t);
  return s;
}

// What a character looks like, independent of the tables' order.
struct Look {
  char ch;
  std::string font;
  uint32_t color;
  uint32_t background;  // 0xFFFFFFFF: none
  uint8_t style;

  bool operator==(const Look&) const = default;
};

std::vector<Look> Looks(const TRTFText& doc, const TParagraph* from = nullptr) {
  std::vector<Look> out;
  for (const TParagraph* p = from ? from : doc.firstParagraph; p; p = p->next)
    for (const TLine* l = p->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) {
        const TCharAttr& a = l->attribs[i];
        // Font names match ignoring case.
        std::string font(doc.header.FontName(a.font));
        for (char& c : font) c = char(std::tolower(static_cast<unsigned char>(c)));
        out.push_back({char(l->text[i]), font,
                       doc.header.colorTable[a.TextColor()],
                       a.BackColor() ? doc.header.colorTable[a.BackColor()] : 0xFFFFFFFFu, a.style});
      }
  return out;
}

TCharAttr Attr(TRTFText& doc, std::string_view font, uint8_t color = 0, uint8_t back = 0, uint8_t style = 0) {
  TCharAttr a = doc.defaultAttr;
  a.font = uint8_t(doc.InternFont(font));
  a.SetTextColor(color);
  a.SetBackColor(back);
  a.style = style;
  return a;
}

TParagraph* Nth(TRTFText& doc, int n) {
  TParagraph* p = doc.firstParagraph;
  while (n-- > 0 && p) p = p->next;
  return p;
}

int ParagraphCount(const TRTFText& doc) {
  int n = 0;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) ++n;
  return n;
}

TEST(FastAppendText, AppendedTextKeepsItsFontsAndColoursByNameAndValue) {
  DocBuilder target;
  target.doc.header.colorTable[5] = MakeRGB(1, 2, 3);
  target.Text("mine", Attr(target.doc, "Arial", 5)).Par().Text("mono", Attr(target.doc, "Courier New", 3));

  // The source's entries sit at other indexes and hold other colours.
  DocBuilder source;
  source.doc.header.fontTable[0].Assign("Times New Roman");
  source.doc.header.colorTable[5] = MakeRGB(200, 100, 50);  // new to the target
  source.doc.header.colorTable[7] = MakeRGB(1, 2, 3);       // the target's entry 5
  source.doc.header.colorTable[9] = MakeRGB(0, 0, 255);     // the target's entry 3
  source.Text("serif", Attr(source.doc, "Times New Roman", 5, 7, csBold))
      .Text("sans", Attr(source.doc, "arial", 7))
      .Par()
      .Text("mono", Attr(source.doc, "Courier New", 9, 5))
      .Text("script", Attr(source.doc, "Comic Sans MS", 0, 0, csItalic));
  const std::vector<Look> before = Looks(target.doc);
  const std::vector<Look> sourceLooks = Looks(source.doc);
  const int sourceFamily = 0x40;
  source.doc.header.fontFamily[size_t(source.doc.InternFont("Comic Sans MS"))] = sourceFamily;

  FastAppendText(target.doc, source.doc);

  EXPECT_EQ(TextOf(target.doc), "mine|mono|serifsans|monoscript");
  std::vector<Look> expected = before;
  expected.insert(expected.end(), sourceLooks.begin(), sourceLooks.end());
  EXPECT_EQ(Looks(target.doc), expected);
  // Names are matched ignoring case, so "arial" is the target's Arial, and
  // each name is in the table once.
  EXPECT_EQ(target.doc.header.FontCount(), 4);
  EXPECT_EQ(target.doc.header.fontFamily[size_t(target.doc.InternFont("Comic Sans MS"))], sourceFamily);
  // A colour the target has is shared; a new one takes an unused entry.
  const TCharAttr& serif = Nth(target.doc, 2)->firstLine->attribs[0];
  EXPECT_EQ(serif.BackColor(), 5);
  EXPECT_NE(serif.TextColor(), 5);
  EXPECT_NE(serif.TextColor(), 3);
  EXPECT_EQ(Nth(target.doc, 3)->firstLine->attribs[0].TextColor(), 3);
}

TEST(FastAppendText, ColoursGoToUnusedEntriesThenToTheNearest) {
  // The target's text uses every entry: no entry is free any more.
  DocBuilder full;
  for (uint8_t i = 0; i < kColorCount; ++i) {
    full.doc.header.colorTable[i] = MakeRGB(uint8_t(i * 16), 0, 0);
    full.Text("x", Attr(full.doc, "Arial", i));
  }
  const auto fullTable = full.doc.header.colorTable;
  DocBuilder source;
  source.doc.header.colorTable[4] = MakeRGB(70, 9, 0);   // nearest: 64,0,0 (entry 4)
  source.doc.header.colorTable[6] = MakeRGB(250, 0, 0);  // nearest: 240,0,0 (entry 15)
  source.Text("a", Attr(source.doc, "Arial", 4)).Text("b", Attr(source.doc, "Arial", 6));
  FastAppendText(full.doc, source.doc);
  EXPECT_EQ(full.doc.header.colorTable, fullTable);  // nothing overwritten
  const TLine* l = Nth(full.doc, 1)->firstLine;
  EXPECT_EQ(l->attribs[0].TextColor(), 4);
  EXPECT_EQ(l->attribs[1].TextColor(), 15);

  // An entry a colour found by value is not given away to a new colour
  // that comes later in the same text.
  DocBuilder plain;
  plain.Text("x", Attr(plain.doc, "Arial"));
  DocBuilder reds;
  reds.doc.header.colorTable[3] = MakeRGB(255, 0, 0);  // the target's unused entry 1
  reds.doc.header.colorTable[4] = MakeRGB(1, 1, 1);
  reds.Text("r", Attr(reds.doc, "Arial", 3)).Text("n", Attr(reds.doc, "Arial", 4));
  FastAppendText(plain.doc, reds.doc);
  const std::vector<Look> mixed = Looks(plain.doc);
  ASSERT_EQ(mixed.size(), 3u);
  EXPECT_EQ(mixed[1].color, MakeRGB(255, 0, 0));
  EXPECT_EQ(mixed[2].color, MakeRGB(1, 1, 1));

  // Two entries appended one after the other each keep their own colour: the
  // second does not take the entry the first one now uses.
  DocBuilder merged;
  merged.Text("start", Attr(merged.doc, "Arial"));
  for (uint32_t colour : {MakeRGB(10, 20, 30), MakeRGB(40, 50, 60)}) {
    DocBuilder entry;
    entry.doc.header.colorTable[1] = colour;
    entry.Text("e", Attr(entry.doc, "Arial", 1));
    FastAppendText(merged.doc, entry.doc);
  }
  const std::vector<Look> looks = Looks(merged.doc);
  ASSERT_EQ(looks.size(), 7u);
  EXPECT_EQ(looks[5].color, MakeRGB(10, 20, 30));
  EXPECT_EQ(looks[6].color, MakeRGB(40, 50, 60));
}

TEST(FastAppendText, TabStopsAreFoundOrAddedByPositionAndKind) {
  DocBuilder target;
  target.doc.header.resolutionX = 96;
  const uint32_t targetTab = target.doc.FindOrAddTab(1440, tkLeft);
  target.Text("t");
  target.par->tabMask = targetTab;

  DocBuilder source;
  source.doc.header.resolutionX = 96;
  source.doc.FindOrAddTab(720, tkLeft);  // entry 0, used by no appended text
  const uint32_t right = source.doc.FindOrAddTab(2880, tkRight);
  const uint32_t left = source.doc.FindOrAddTab(1440, tkLeft);
  const uint32_t decimal = source.doc.FindOrAddTab(4320, tkDecimal);
  source.Text("tabs");
  source.par->tabMask = right | left;
  source.Par().Text("cell");
  source.par->flags = pfTableCell | pfLastCell;
  const int decimalIndex = std::countr_zero(decimal);
  source.par->tabMask = 0x0000FF00u | (uint32_t(decimalIndex + 1) << 24);

  FastAppendText(target.doc, source.doc);
  const TTextHeader& h = target.doc.header;
  auto stops = [&h](uint32_t mask) {
    std::set<std::pair<int32_t, uint8_t>> s;
    for (int i = 0; i < kTabCount; ++i)
      if (mask & (1u << i)) s.insert({h.tabPositions[size_t(i)], h.tabKinds[size_t(i)]});
    return s;
  };
  const TParagraph* tabs = Nth(target.doc, 1);
  EXPECT_EQ(stops(tabs->tabMask), (std::set<std::pair<int32_t, uint8_t>>{{1440, tkLeft}, {2880, tkRight}}));
  EXPECT_TRUE(tabs->tabMask & targetTab);  // the existing stop is shared
  const TParagraph* cell = Nth(target.doc, 2);
  EXPECT_EQ(cell->tabMask & 0x00FFFFFFu, 0x0000FF00u);  // the cell's shares stay
  ASSERT_GE(cell->CellDecimalTab(), 0);
  EXPECT_EQ(h.tabPositions[size_t(cell->CellDecimalTab())], 4320);
  EXPECT_EQ(h.tabKinds[size_t(cell->CellDecimalTab())], tkDecimal);
  // The unused source stop was not brought along.
  EXPECT_EQ(stops(0x7FFFFFFFu).count({720, tkLeft}), 0u);
}

// A source with two footnotes and three objects, two of them pictures; its
// first object's key and its ids clash with the target's.
struct NotesAndObjects {
  NotesAndObjects() {
    TCharAttr anchor = source.attr;
    anchor.marks = cmFootnote;
    TFootnote* f1 = source.doc.AddFootnote('*', 1, "first note");
    TFootnote* f2 = source.doc.AddFootnote('+', 2, "second note");
    f2->rawText = "{raw}";
    auto picture = [](uint8_t fill) {
      auto p = std::make_unique<TPicture>();
      p->kind = pkDib;
      p->data.assign(40, fill);
      p->pixelWidth = 4;
      return p;
    };
    TTextObject* o1 = source.doc.AddObject(picture(0xAA), 2000);
    TTextObject* o2 = source.doc.AddObject(picture(0xBB), 2500);
    TTextObject* o3 = source.doc.AddObject(nullptr, 2600);
    o3->fileName = "linked.bmp";
    o1->width = 1440;
    TCharAttr byKey = source.attr, byId = source.attr;
    byKey.marks = byId.marks = cmObject;
    anchor.extra = int16_t(f2->id);
    source.Text("a").Text("+", anchor);
    anchor.extra = int16_t(f1->id);
    source.Text("*", anchor);
    byKey.extra = int16_t(o1->key);
    source.Par().Text("\x01", byKey);
    byId.extra = int16_t(o2->id);
    source.Text("\x02", byId);
    byKey.extra = int16_t(o3->key);
    source.Text("\x01", byKey);

    target.doc.AddFootnote('#', 0, "target note");
    target.doc.AddObject(picture(0x11), 2000);
    target.Text("target");
  }
  DocBuilder source, target;
};

TEST(FastAppendText, FootnotesAndObjectsAreCopiedWithFreshIds) {
  NotesAndObjects f;
  const std::string sourceBefore = Dump(f.source.doc);
  std::vector<uint16_t> requested;
  f.target.doc.onObjectRequest = [&requested](uint16_t key) { requested.push_back(key); };

  FastAppendText(f.target.doc, f.source.doc);

  EXPECT_EQ(Dump(f.source.doc), sourceBefore);
  // Ids and keys are unique in the target.
  std::set<uint16_t> footnoteIds, objectIds, objectKeys;
  int footnotes = 0, objects = 0;
  for (const TFootnote* n = f.target.doc.firstFootnote; n; n = n->next, ++footnotes) footnoteIds.insert(n->id);
  for (const TTextObject* o = f.target.doc.firstObject; o; o = o->next, ++objects) {
    objectIds.insert(o->id);
    objectKeys.insert(o->key);
  }
  EXPECT_EQ(footnotes, 3);
  EXPECT_EQ(objects, 4);
  EXPECT_EQ(int(footnoteIds.size()), footnotes);
  EXPECT_EQ(int(objectIds.size()), objects);
  EXPECT_EQ(int(objectKeys.size()), objects);

  // Every anchor leads to a copy of the record the source's anchor led to.
  const TLine* notes = Nth(f.target.doc, 1)->firstLine;
  ASSERT_EQ(notes->Text(), "a+*");
  const TFootnote* plus = f.target.doc.FindFootnote(uint16_t(notes->attribs[1].extra));
  const TFootnote* star = f.target.doc.FindFootnote(uint16_t(notes->attribs[2].extra));
  ASSERT_TRUE(plus && star);
  EXPECT_EQ(plus->text, "second note");
  EXPECT_EQ(plus->rawText, std::optional<std::string>("{raw}"));
  EXPECT_EQ(star->text, "first note");
  EXPECT_EQ(star->mark, '*');

  const TLine* objs = Nth(f.target.doc, 2)->firstLine;
  ASSERT_EQ(objs->length, 3);
  const TTextObject* byKey = f.target.doc.FindObject(uint16_t(objs->attribs[0].extra), 0);
  const TTextObject* byId = f.target.doc.FindObject(0, uint16_t(objs->attribs[1].extra));
  const TTextObject* linked = f.target.doc.FindObject(uint16_t(objs->attribs[2].extra), 0);
  ASSERT_TRUE(byKey && byId && linked);
  ASSERT_TRUE(byKey->picture && byId->picture);
  EXPECT_EQ(byKey->picture->data, std::vector<uint8_t>(40, 0xAA));  // not the target's own key-2000 picture
  EXPECT_NE(byKey->key, 2000);
  EXPECT_EQ(byKey->width, 1440);
  EXPECT_EQ(byId->picture->data, std::vector<uint8_t>(40, 0xBB));
  EXPECT_EQ(byId->key, 2500);  // no clash: the outside tag is kept
  // Pictures are copies the target owns, not the source's.
  EXPECT_TRUE(byKey->ownsPicture);
  EXPECT_NE(byKey->picture, f.source.doc.FindObject(2000, 0)->picture);
  EXPECT_EQ(linked->fileName, "linked.bmp");
  EXPECT_EQ(linked->picture, nullptr);
  // The host is asked for the picture of the copy that has none, once.
  EXPECT_EQ(requested, std::vector<uint16_t>{linked->key});

  // Appending the same source again gives yet other ids.
  FastAppendText(f.target.doc, f.source.doc);
  std::set<uint16_t> again;
  for (const TFootnote* n = f.target.doc.firstFootnote; n; n = n->next) again.insert(n->id);
  EXPECT_EQ(again.size(), 5u);
  const TLine* secondNotes = Nth(f.target.doc, 3)->firstLine;
  EXPECT_NE(secondNotes->attribs[1].extra, notes->attribs[1].extra);
  EXPECT_EQ(f.target.doc.FindFootnote(uint16_t(secondNotes->attribs[1].extra))->text, "second note");
}

TEST(FastAppendText, AnAnchorWithoutItsRecordPointsNowhere) {
  DocBuilder target, source;
  target.doc.AddFootnote('#', 0, "target note");  // id 1
  target.Text("t");
  TCharAttr anchor = source.attr;
  anchor.marks = cmFootnote;
  anchor.extra = 1;  // the source has no footnote 1
  source.Text("#", anchor);
  FastAppendText(target.doc, source.doc);
  EXPECT_EQ(Nth(target.doc, 1)->firstLine->attribs[0].extra, 0);
}

// A target whose footnote ids are all taken cannot copy another note; the
// copied anchor then points nowhere instead of the append failing.
TEST(FastAppendText, ATargetWithEveryFootnoteIdTakenStillTakesTheText) {
  DocBuilder target, source;
  while (target.doc.AddFootnote('#', 0, "")) {
  }
  target.Text("t");
  source.doc.AddFootnote('#', 0, "source note");  // id 1
  TCharAttr anchor = source.attr;
  anchor.marks = cmFootnote;
  anchor.extra = 1;
  source.Text("x").Text("#", anchor);
  FastAppendText(target.doc, source.doc);
  EXPECT_EQ(TextOf(target.doc).substr(TextOf(target.doc).size() - 2), "x#");
  EXPECT_EQ(Nth(target.doc, 1)->firstLine->attribs[1].extra, 0);
}

TEST(FastAppendText, RefusesToAppendADocumentToItself) {
  DocBuilder b;
  b.Text("one").Par().Text("two");
  const std::string before = Dump(b.doc);
  try {
    FastAppendText(b.doc, b.doc);
    FAIL() << "appended to itself";
  } catch (const TRichTextError& e) {
    EXPECT_STREQ(e.what(), "Cannot perform FastAppendText(self)");
  }
  EXPECT_EQ(Dump(b.doc), before);
}

TEST(FastAppendText, EmptyDocumentsOnEitherSide) {
  DocBuilder source;
  source.Text("one").Par().Text("two");
  source.doc.firstParagraph->alignment = alCenter;
  source.doc.firstParagraph->flags = pfPageBreak;

  // Into an empty document: its one empty paragraph gives way.
  TRTFText empty;
  FastAppendText(empty, source.doc);
  EXPECT_EQ(TextOf(empty), "one|two");
  EXPECT_EQ(empty.firstParagraph->prev, nullptr);
  EXPECT_EQ(empty.firstParagraph->alignment, alCenter);
  EXPECT_EQ(empty.firstParagraph->flags, pfPageBreak);
  EXPECT_EQ(empty.firstParagraph->layoutState, lsAll);

  // An empty source adds nothing.
  TRTFText nothing;
  const std::string before = Dump(empty);
  FastAppendText(empty, nothing);
  EXPECT_EQ(Dump(empty), before);
}

TEST(FastAppendText, PlainAndRichDocumentsMix) {
  // A plain source's text takes the source's default format.
  DocBuilder rich;
  rich.Text("r");
  TRTFText plain;
  plain.header.fontTable[0].Assign("Courier New");
  plain.InsertText({plain.firstParagraph, 0}, "plain", nullptr);
  plain.SetMemoryFormat(fmPlainText);
  FastAppendText(rich.doc, plain);
  const std::vector<Look> looks = Looks(rich.doc);
  ASSERT_EQ(looks.size(), 6u);
  EXPECT_EQ(looks[1].font, "courier new");

  // A plain target takes the text only.
  TRTFText plainTarget;
  plainTarget.SetMemoryFormat(fmPlainText);
  FastAppendText(plainTarget, rich.doc);
  EXPECT_EQ(TextOf(plainTarget), "r|plain");
  EXPECT_EQ(plainTarget.firstParagraph->firstLine->attribs, nullptr);
}

TEST(FastAppendText, TextAlreadyInTheDocumentStaysAsItWas) {
  NotesAndObjects f;
  f.target.Par().Text("more", Attr(f.target.doc, "Courier New", 4, 2));
  const std::string before = Dump(f.target.doc);
  const std::vector<Look> looks = Looks(f.target.doc);
  FastAppendText(f.target.doc, f.source.doc);
  const std::string after = Dump(f.target.doc);
  // The old paragraphs read the same, with the same tables behind them.
  EXPECT_EQ(after.substr(0, before.find('F')), before.substr(0, before.find('F')));
  std::vector<Look> now = Looks(f.target.doc);
  now.resize(looks.size());
  EXPECT_EQ(now, looks);
}

TEST(AppendParagraph, TextInOneFormatWithDefaultProperties) {
  DocBuilder b;
  b.Text("before");
  b.par->leftIndent = 720;
  b.par->flags = pfTableCell | pfLastCell;
  b.par->borderFlags = bfOn | bfBox;
  b.par->tabMask = 0x1234;
  TCharAttr date = b.attr;
  date.font = uint8_t(b.doc.InternFont("arial"));
  date.style = csBold | csItalic;
  date.size = 10;
  TParagraph* p = AppendParagraph(b.doc, "Thursday\r, 10 December", date);
  EXPECT_EQ(p, Nth(b.doc, 1));
  EXPECT_EQ(TextOf(b.doc), "before|Thursday, 10 December");
  // Nothing is inherited from the paragraph before.
  EXPECT_EQ(p->leftIndent, 0);
  EXPECT_EQ(p->flags, 0);
  EXPECT_EQ(p->borderFlags, 0);
  EXPECT_EQ(p->tabMask, 0u);
  EXPECT_EQ(p->layoutState, lsAll);
  for (int i = 0; i < p->firstLine->length; ++i) {
    EXPECT_TRUE(SameFormat(p->firstLine->attribs[i], date)) << i;
  }

  TParagraphFormat format;
  format.alignment = alCenter;
  format.spaceBefore = 240;
  format.pageBreakBefore = true;
  TParagraph* blank = AppendParagraph(b.doc, "", date, format);
  EXPECT_EQ(blank->firstLine->length, 0);
  EXPECT_TRUE(SameFormat(blank->firstLine->attribs[0], date));  // an empty line keeps its format
  EXPECT_EQ(blank->alignment, alCenter);
  EXPECT_EQ(blank->spaceBefore, 240);
  EXPECT_EQ(blank->flags, pfPageBreak);
}

TEST(AppendParagraph, IntoAnEmptyDocumentAndBeyondOneLine) {
  TRTFText doc;
  TCharAttr a = doc.defaultAttr;
  AppendParagraph(doc, " ", a);
  EXPECT_EQ(ParagraphCount(doc), 1);
  EXPECT_EQ(TextOf(doc), " ");

  const std::string longText(kMaxLineCapacity + 500, 'w');
  TParagraph* p = AppendParagraph(doc, longText, a);
  EXPECT_EQ(p->TextLength(), int(longText.size()));
  for (const TLine* l = p->firstLine; l; l = l->next) EXPECT_LE(l->capacity, kMaxLineCapacity);
  EXPECT_EQ(ParagraphCount(doc), 2);
}

TEST(DocumentAppender, FollowsTheDocumentsEndAsOthersChangeIt) {
  DocBuilder b;
  b.Text("start");
  TDocumentAppender app(b.doc);
  const TCharAttr a = b.attr;
  app.AppendParagraph("a", a);
  // Someone else adds a paragraph at the end: the next append goes after it.
  TParagraph* other = b.doc.NewParagraph(b.doc.LastParagraph(), 8);
  b.doc.InsertText({other, 0}, "b", &a);
  app.AppendParagraph("c", a);
  EXPECT_EQ(TextOf(b.doc), "start|a|b|c");
  // The remembered end is freed: the appender finds the new end.
  b.doc.DisposeParagraph(b.doc.LastParagraph());
  b.doc.DisposeParagraph(b.doc.LastParagraph());
  DocBuilder entry;
  entry.Text("entry");
  app.FastAppendText(entry.doc);
  app.AppendParagraph("d", a);
  EXPECT_EQ(TextOf(b.doc), "start|a|entry|d");
  const TParagraph* prev = nullptr;
  for (const TParagraph* p = b.doc.firstParagraph; p; p = p->next) {
    EXPECT_EQ(p->prev, prev);
    prev = p;
  }
  // Cleared and refilled: the one empty paragraph gives way again.
  b.doc.ClearDocument();
  app.AppendParagraph("fresh", a);
  EXPECT_EQ(TextOf(b.doc), "fresh");
}

TEST(CopyHeaderFrom, TakesPageAndTablesButKeepsLayoutAndOwnText) {
  DocBuilder target;
  target.doc.header.resolutionX = target.doc.header.resolutionY = 96;
  target.Text("own", Attr(target.doc, "Courier New", 0, 0));
  target.doc.header.colorTable[6] = MakeRGB(9, 9, 9);
  target.Text("dark", Attr(target.doc, "Courier New", 6));
  const std::vector<Look> looks = Looks(target.doc);

  DocBuilder source;
  TTextHeader& s = source.doc.header;
  s.resolutionX = s.resolutionY = 600;
  s.fontTable[0].Assign("Times New Roman");
  s.InternFont("Georgia");
  s.colorTable[6] = MakeRGB(7, 7, 7);
  s.pageWidth = 11906;
  s.pageHeight = 16838;
  s.marginLeft = s.marginRight = s.marginTop = s.marginBottom = 1440;
  s.landscape = true;
  s.title = "Diary";
  source.doc.FindOrAddTab(2880, tkRight);
  int sourceCallbacks = 0;
  s.freeUnusedTabs = [&sourceCallbacks] { ++sourceCallbacks; };

  CopyHeaderFrom(target.doc, source.doc);
  const TTextHeader& h = target.doc.header;
  EXPECT_EQ(h.pageWidth, 11906);
  EXPECT_EQ(h.pageHeight, 16838);
  EXPECT_EQ(h.marginLeft, 1440);
  EXPECT_TRUE(h.landscape);
  EXPECT_EQ(h.title, "Diary");
  EXPECT_EQ(h.FontName(0), "Times New Roman");
  EXPECT_EQ(h.FontName(1), "Georgia");
  EXPECT_EQ(h.colorTable[6], MakeRGB(7, 7, 7));
  EXPECT_EQ(h.tabPositions[0], 2880);
  // Layout values stay this document's: its resolution, and sizes in its pixels.
  EXPECT_EQ(h.resolutionX, 96);
  EXPECT_EQ(h.tabPixels[0], 2880 * 96 / 1440);
  EXPECT_EQ(h.textWidthPixels, (11906 - 2880) * 96 / 1440);
  EXPECT_TRUE(h.richMode);
  // The text already here keeps its look on the new tables.
  EXPECT_EQ(Looks(target.doc), looks);
  EXPECT_EQ(h.FontName(target.doc.defaultAttr.font), "Arial");

  // The header's owner callback stays the target's: a full tab table is
  // tidied by the target, not by the source.
  for (int i = 1; i < kTabCount; ++i) ASSERT_NE(target.doc.FindOrAddTab(144 * (i + 30), tkLeft), 0u);
  EXPECT_NE(target.doc.FindOrAddTab(144 * 80, tkLeft), 0u);  // room made by the target's own tidying
  EXPECT_EQ(sourceCallbacks, 0);
}

}  // namespace
}  // namespace quill
