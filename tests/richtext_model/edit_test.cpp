// The document's edit primitives: positions, split, join, delete, insert,
// attribute changes and putting a read chain in at a place.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "richtext/model/rtf_text.h"
#include "tests/richtext_writer/doc_builder.h"

namespace quill {
namespace {

using testing::Build;
using testing::DocBuilder;

// The document in Build's notation, so that line structure shows too.
std::string Layout(const TRTFText& doc) {
  std::string s;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    if (p != doc.firstParagraph) s += '|';
    for (const TLine* l = p->firstLine; l; l = l->next) {
      if (l != p->firstLine) s += '^';
      s.append(l->Text());
    }
  }
  return s;
}

TParagraph* Par(TRTFText& doc, int n) {
  TParagraph* p = doc.firstParagraph;
  while (n-- > 0) p = p->next;
  return p;
}

void ClearLayoutState(TRTFText& doc) {
  for (TParagraph* p = doc.firstParagraph; p; p = p->next) p->layoutState = 0;
}

// Every paragraph has a line; chains are linked both ways; text ends in 0.
void ExpectSound(const TRTFText& doc, const char* name) {
  const TParagraph* prev = nullptr;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    EXPECT_EQ(p->prev, prev) << name;
    ASSERT_NE(p->firstLine, nullptr) << name;
    const TLine* pl = nullptr;
    for (const TLine* l = p->firstLine; l; l = l->next) {
      EXPECT_EQ(l->prev, pl) << name;
      EXPECT_LE(l->length, l->capacity) << name;
      EXPECT_LE(l->capacity, kMaxLineCapacity) << name;
      EXPECT_EQ(l->text[l->length], 0) << name;
      pl = l;
    }
    prev = p;
  }
}

TEST(EditPositions, OffsetsAndLinePlacesConvertBothWays) {
  DocBuilder b;
  Build(b, "ab^cd^ef");
  TParagraph* p = b.doc.firstParagraph;
  struct Case {
    int offset;
    bool preferLineEnd;
    int line;
    int index;
  } cases[] = {
      {0, false, 0, 0}, {1, false, 0, 1}, {2, false, 1, 0}, {2, true, 0, 2},
      {4, true, 1, 2},  {5, false, 2, 1}, {6, false, 2, 2}, {99, false, 2, 2}, {-3, false, 0, 0},
  };
  for (const auto& c : cases) {
    const TDocPos pos = b.doc.PositionAt(p, c.offset, c.preferLineEnd);
    TLine* want = p->firstLine;
    for (int i = 0; i < c.line; ++i) want = want->next;
    EXPECT_EQ(pos.line, want) << c.offset;
    EXPECT_EQ(pos.index, c.index) << c.offset;
    EXPECT_EQ(TRTFText::OffsetOf(pos), std::clamp(c.offset, 0, 6)) << c.offset;
  }
}

TEST(EditSplit, TextFromTheOffsetGoesToANewParagraph) {
  struct Case {
    const char* name;
    const char* doc;
    int offset;
    const char* after;
  } cases[] = {
      {"middle of a line", "hello world", 5, "hello| world"},
      {"start", "abc", 0, "|abc"},
      {"end", "abc", 3, "abc|"},
      {"at a line boundary no line is cut", "ab^cd^ef", 2, "ab|cd^ef"},
      {"inside a later line", "ab^cd^ef", 3, "ab^c|d^ef"},
      {"empty paragraph", "", 0, "|"},
      {"between paragraphs kept", "x|ab|y", -1, "x|a|b|y"},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.doc);
    ClearLayoutState(b.doc);
    TParagraph* p = c.offset < 0 ? Par(b.doc, 1) : b.doc.firstParagraph;
    TParagraph* q = b.doc.SplitParagraph(p, c.offset < 0 ? 1 : c.offset);
    EXPECT_EQ(Layout(b.doc), c.after) << c.name;
    EXPECT_EQ(p->next, q) << c.name;
    EXPECT_EQ(p->layoutState, lsAll) << c.name;
    EXPECT_EQ(q->layoutState, lsAll) << c.name;
    ExpectSound(b.doc, c.name);
  }
}

TEST(EditSplit, NewParagraphInheritsPropertiesButNoPageBreak) {
  DocBuilder b;
  TCharAttr bold = b.doc.defaultAttr;
  bold.style = csBold;
  b.Text("abc", bold);
  TParagraph* p = b.doc.firstParagraph;
  p->leftIndent = 720;
  p->alignment = alCenter;
  p->flags = pfPageBreak;
  p->tabMask = 5;
  TParagraph* q = b.doc.SplitParagraph(p, 3);
  EXPECT_EQ(q->leftIndent, 720);
  EXPECT_EQ(q->alignment, alCenter);
  EXPECT_EQ(q->tabMask, 5u);
  EXPECT_EQ(q->flags & pfPageBreak, 0);
  EXPECT_EQ(p->flags & pfPageBreak, pfPageBreak);
  // The empty new paragraph carries the format typed last.
  EXPECT_EQ(q->firstLine->attribs[0].style, csBold);
}

TEST(EditJoin, NextParagraphsTextJoinsAndItsPropertiesGo) {
  struct Case {
    const char* name;
    const char* doc;
    const char* after;
  } cases[] = {
      {"two texts", "ab|cd", "ab^cd"},
      {"empty first", "|cd", "cd"},
      {"empty second", "ab|", "ab"},
      {"both empty", "|", ""},
      {"lines kept", "a^b|c^d|e", "a^b^c^d|e"},
      {"last paragraph: nothing", "ab", "ab"},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.doc);
    TParagraph* p = b.doc.firstParagraph;
    p->leftIndent = 100;
    if (p->next) {
      p->next->leftIndent = 999;
      p->next->flags = pfPageBreak;
    }
    const uint64_t generation = b.doc.Generation();
    const bool hadNext = p->next != nullptr;
    b.doc.JoinWithNext(p);
    EXPECT_EQ(Layout(b.doc), c.after) << c.name;
    EXPECT_EQ(p->leftIndent, 100) << c.name;
    EXPECT_EQ(p->flags & pfPageBreak, 0) << c.name;
    EXPECT_EQ(b.doc.Generation() != generation, hadNext) << c.name;
    ExpectSound(b.doc, c.name);
  }
}

TEST(EditDelete, RangesWithinAndAcrossParagraphs) {
  struct Case {
    const char* name;
    const char* doc;
    int fromPar, from, toPar, to;
    const char* after;
  } cases[] = {
      {"within a line", "abcdef", 0, 1, 0, 3, "adef"},
      {"across lines, emptied line dropped", "ab^cd^ef", 0, 1, 0, 5, "a^f"},
      {"whole paragraph text keeps one line", "ab^cd", 0, 0, 0, 4, ""},
      {"across paragraphs", "abc|def|ghi", 0, 1, 2, 2, "a^i"},
      {"reversed ends", "abc|def|ghi", 2, 2, 0, 1, "a^i"},
      {"paragraph end to next start joins", "abc|def", 0, 3, 1, 0, "abc^def"},
      {"everything", "abc|def", 0, 0, 1, 3, ""},
      {"empty range", "abc", 0, 2, 0, 2, "abc"},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.doc);
    TParagraph* first = b.doc.firstParagraph;
    first->spaceBefore = 120;
    if (first->next) first->next->spaceBefore = 480;
    const TTextPos from{Par(b.doc, c.fromPar), c.from}, to{Par(b.doc, c.toPar), c.to};
    const TTextPos earlier = b.doc.Precedes(to, from) ? to : from;
    const TTextPos at = b.doc.DeleteRange(from, to);
    EXPECT_EQ(Layout(b.doc), c.after) << c.name;
    EXPECT_EQ(at, earlier) << c.name;
    EXPECT_EQ(b.doc.firstParagraph->spaceBefore, 120) << c.name;  // the first paragraph keeps its own
    EXPECT_TRUE(b.doc.firstParagraph->layoutState & lsAll) << c.name;
    ExpectSound(b.doc, c.name);
  }
}

TEST(EditDelete, EmptiedParagraphKeepsTheFormatOfItsText) {
  DocBuilder b;
  TCharAttr italic = b.doc.defaultAttr;
  italic.style = csItalic;
  b.Text("abc", italic);
  b.doc.DeleteRange({b.doc.firstParagraph, 0}, {b.doc.firstParagraph, 3});
  EXPECT_TRUE(b.doc.IsEmpty());
  EXPECT_EQ(b.doc.firstParagraph->firstLine->attribs[0].style, csItalic);
}

TEST(EditInsert, TextGoesInWithItsAttribute) {
  struct Case {
    const char* name;
    const char* doc;
    int offset;
    std::string_view text;
    const char* after;
    int end;
  } cases[] = {
      {"middle", "held", 2, "l", "helld", 3},
      {"at a line boundary it joins the earlier line", "ab^cd", 2, "X", "abX^cd", 3},
      {"start", "ab^cd", 0, "X", "Xab^cd", 1},
      {"end", "ab^cd", 4, "XY", "ab^cdXY", 6},
      {"paragraph breaks and unstorable bytes dropped", "ab", 1, std::string_view("x\ry\0z\x03", 7), "axyzb", 4},
      {"line break kept", "ab", 1, "\n", "a\nb", 2},
      {"nothing", "ab", 1, "", "ab", 1},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.doc);
    ClearLayoutState(b.doc);
    TCharAttr bold = b.doc.defaultAttr;
    bold.style = csBold;
    const TTextPos end = b.doc.InsertText({b.doc.firstParagraph, c.offset}, c.text, &bold);
    EXPECT_EQ(Layout(b.doc), c.after) << c.name;
    EXPECT_EQ(end.position, c.end) << c.name;
    // Exactly the inserted characters are bold.
    int bolds = 0;
    for (const TLine* l = b.doc.firstParagraph->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) bolds += l->attribs[i].style == csBold;
    EXPECT_EQ(bolds, end.position - c.offset) << c.name;
    if (end.position != c.offset) {
      EXPECT_EQ(b.doc.firstParagraph->layoutState, lsAll) << c.name;
    }
  }
}

TEST(EditInsert, TextBeyondTheLineLimitIsSpreadOverNewLines) {
  for (bool plain : {false, true}) {
    DocBuilder b;
    if (plain) b.doc.SetMemoryFormat(fmPlainText);
    const std::string head(9990, 'a');
    b.Text(head + "Z");
    const std::string big(25000, 'b');
    const TTextPos end = b.doc.InsertText({b.doc.firstParagraph, 9990}, big, nullptr);
    EXPECT_EQ(end.position, 9990 + 25000);
    std::string all;
    for (const TLine* l = b.doc.firstParagraph->firstLine; l; l = l->next) all.append(l->Text());
    EXPECT_EQ(all, head + big + "Z");
    ExpectSound(b.doc, plain ? "plain" : "rich");
  }
}

TEST(EditAttributes, ChangeReachesExactlyTheRange) {
  DocBuilder b;
  Build(b, "abc^def|ghi");
  ClearLayoutState(b.doc);
  b.doc.ChangeAttributes({Par(b.doc, 1), 1}, {b.doc.firstParagraph, 2},
                         [](TCharAttr& a) { a.style |= csUnderline; });
  std::string marks;
  for (const TParagraph* p = b.doc.firstParagraph; p; p = p->next)
    for (const TLine* l = p->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) marks += (l->attribs[i].style & csUnderline) ? 'u' : '-';
  EXPECT_EQ(marks, "--uuuuu--");
  EXPECT_EQ(b.doc.firstParagraph->layoutState, lsAll);
  EXPECT_EQ(Par(b.doc, 1)->layoutState, lsAll);
}

TEST(EditChain, ReadParagraphsGoInAtAPlace) {
  struct Case {
    const char* name;
    const char* doc;
    int par, offset;  // par -1: at the end
    const char* chain;
    const char* after;
    int endPar, endOffset;
  } cases[] = {
      {"one paragraph into the middle", "abcd", 0, 2, "XY", "ab^XY^cd", 0, 4},
      {"several paragraphs", "abcd", 0, 2, "X|Y|Z", "ab^X|Y|Z^cd", 2, 1},
      {"at the end of the document", "ab|cd", -1, 0, "X|Y", "ab|cd^X|Y", 2, 1},
      {"into an empty paragraph", "", 0, 0, "X|Y", "X|Y", 1, 1},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.doc);
    DocBuilder chainDoc;
    Build(chainDoc, c.chain);
    // Take the chain out of its document, as a reader hands it over.
    TParagraph* chain = chainDoc.doc.firstParagraph;
    chainDoc.doc.firstParagraph = chainDoc.doc.NewParagraph(nullptr, 10);
    const TTextPos at = c.par < 0 ? TTextPos{} : TTextPos{Par(b.doc, c.par), c.offset};
    const TTextPos end = b.doc.InsertChain(at, chain);
    EXPECT_EQ(Layout(b.doc), c.after) << c.name;
    EXPECT_EQ(end.paragraph, Par(b.doc, c.endPar)) << c.name;
    EXPECT_EQ(end.position, c.endOffset) << c.name;
    ExpectSound(b.doc, c.name);
  }
}

TEST(EditGeneration, ChangesOnlyWhenParagraphsAreFreed) {
  DocBuilder b;
  Build(b, "abc|def");
  uint64_t g = b.doc.Generation();
  b.doc.InsertText({b.doc.firstParagraph, 1}, "x", nullptr);
  b.doc.SplitParagraph(b.doc.firstParagraph, 1);
  b.doc.DeleteRange({b.doc.firstParagraph, 0}, {b.doc.firstParagraph, 1});
  EXPECT_EQ(b.doc.Generation(), g);
  b.doc.DeleteRange({b.doc.firstParagraph, 0}, {b.doc.firstParagraph->next, 1});
  EXPECT_NE(b.doc.Generation(), g);
  g = b.doc.Generation();
  b.doc.ClearDocument();
  EXPECT_NE(b.doc.Generation(), g);
}

}  // namespace
}  // namespace quill
