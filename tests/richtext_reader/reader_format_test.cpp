// Character formats, fonts, colours and document words.
#include <gtest/gtest.h>

#include "reader_helpers.h"

namespace quill {
namespace {

using test::AttrAt;
using test::Loaded;

struct SizeCase {
  const char* word;
  int points;
};

TEST(ReaderFormat, FontSizeWord) {
  const SizeCase cases[] = {
      {"\\fs21", 10}, {"\\fs0", 10}, {"\\fs1", 10}, {"\\fs", 50}, {"\\fs24", 12}, {"\\fs-8", 10}, {"\\fs9999", 255},
  };
  for (const auto& c : cases) {
    Loaded r(std::string("{\\rtf1 ") + c.word + " x}");
    EXPECT_EQ(AttrAt(r.Par(0), 0).PointSize(), c.points) << c.word;
  }
}

struct StyleCase {
  const char* words;
  uint8_t style;
  uint8_t marks;
};

TEST(ReaderFormat, StyleAndMarkWords) {
  const StyleCase cases[] = {
      {"\\b", csBold, 0},
      {"\\b\\b0", 0, 0},
      {"\\i\\ul\\strike\\uldb", csItalic | csUnderline | csStrikeOut | csDoubleUnderline, 0},
      {"\\super", csSuperscript, 0},
      {"\\sub", csSubscript, 0},
      {"\\super\\sub\\nosupersub", 0, 0},
      {"\\v\\shad", 0, cmHidden | cmShadow},
      {"\\b\\v\\plain", 0, 0},
      {"\\inaut", 0, cmAutomatic},
      {"\\inaut\\inaut0", 0, 0},
      {"\\inspnt5", 0, cmInsertPoint},
      {"\\inaut\\inspnt5", 0, cmInsertPoint},
      {"\\inspnt5\\inaut", 0, cmAutomatic},
      {"\\inspnt5\\inspnt", 0, 0},
  };
  for (const auto& c : cases) {
    Loaded r(std::string("{\\rtf1 ") + c.words + " x}");
    const TCharAttr& a = AttrAt(r.Par(0), 0);
    EXPECT_EQ(a.style, c.style) << c.words;
    EXPECT_EQ(a.marks, c.marks) << c.words;
  }
}

TEST(ReaderFormat, InsertPointNumberGoesToExtra) {
  Loaded r("{\\rtf1 \\inspnt7 x\\inspnt0 y}");
  EXPECT_EQ(AttrAt(r.Par(0), 0).extra, 7);
  EXPECT_EQ(AttrAt(r.Par(0), 1).extra, 0);
}

TEST(ReaderFormat, GroupsRestoreTheAttribute) {
  Loaded r("{\\rtf1 a{\\b b{\\i c}d}e}");
  const auto* p = r.Par(0);
  EXPECT_EQ(AttrAt(p, 0).style, 0);
  EXPECT_EQ(AttrAt(p, 1).style, csBold);
  EXPECT_EQ(AttrAt(p, 2).style, csBold | csItalic);
  EXPECT_EQ(AttrAt(p, 3).style, csBold);
  EXPECT_EQ(AttrAt(p, 4).style, 0);
}

TEST(ReaderFormat, FontTableMapsNumbersToEntries) {
  Loaded r(
      "{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\froman Times New Roman;}{\\f2 arial;}"
      "{\\f5{\\*\\panose 0202}Courier New;}}"
      "a\\f1 b\\f2 c\\f5 d\\f99 e\\f3 g}");
  EXPECT_EQ(r.doc.header.FontName(0), "Arial");
  EXPECT_EQ(r.doc.header.FontName(1), "Times New Roman");
  EXPECT_EQ(r.doc.header.FontName(2), "Courier New");
  EXPECT_EQ(r.doc.header.FontCount(), 3);
  const auto* p = r.Par(0);
  EXPECT_EQ(AttrAt(p, 0).font, 0);
  EXPECT_EQ(AttrAt(p, 1).font, 1);
  EXPECT_EQ(AttrAt(p, 2).font, 0);  // "arial" shares Arial's entry
  EXPECT_EQ(AttrAt(p, 3).font, 2);
  EXPECT_EQ(AttrAt(p, 4).font, 2);  // number 99 is out of range: unchanged
  EXPECT_EQ(AttrAt(p, 5).font, 0);  // undefined number maps to entry 0
}

// Names are trimmed and cut to 31 characters; a cut that ends on a blank
// must not keep it, or the name changes when the document is read again.
TEST(ReaderFormat, LongFontNamesAreCutThenTrimmed) {
  struct Case {
    const char* name;
    const char* stored;
  } cases[] = {
      {"  Courier New  ", "Courier New"},
      {"Abcdefghijklmnopqrstuvwxyz1234 tail", "Abcdefghijklmnopqrstuvwxyz1234"},
      {"Abcdefghijklmnopqrstuvwxyz12345678", "Abcdefghijklmnopqrstuvwxyz12345"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded r(std::string("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 ") + c.name + ";}}a\\f1 b}");
    EXPECT_EQ(r.doc.header.FontName(AttrAt(r.Par(0), 1).font), c.stored);
  }
}

TEST(ReaderFormat, FontZeroBecomesTheTextFont) {
  TRTFText doc;
  doc.header.InternFont("Arial");
  doc.header.InternFont("Georgia");
  TRTFTextIo io(doc);
  // Entry 0 of the document is Arial; the RTF's font 0 is Georgia.
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1{\\fonttbl{\\f0 Georgia;}}x}"), 0);
  EXPECT_EQ(AttrAt(doc.firstParagraph, 0).font, 1);
}

TEST(ReaderFormat, ColourTableOf16EntriesSetsEntries0To14) {
  std::string rtf = "{\\rtf1{\\colortbl";
  for (int i = 0; i < 16; ++i) rtf += "\\red" + std::to_string(i + 1) + "\\green2\\blue3;";
  rtf += "}x}";
  Loaded r(rtf);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(r.doc.header.colorTable[size_t(i)], MakeRGB(uint8_t(i + 1), 2, 3)) << i;
  EXPECT_EQ(r.doc.header.colorTable[15], MakeRGB(0, 0, 0));  // the 16th is not read
}

TEST(ReaderFormat, ColourTableWithEmptyFirstEntry) {
  Loaded r("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 x\\cb12 y\\cf16 z}");
  EXPECT_EQ(r.doc.header.colorTable[0], MakeRGB(0, 0, 0));
  EXPECT_EQ(r.doc.header.colorTable[1], MakeRGB(255, 0, 0));
  EXPECT_EQ(r.doc.header.colorTable[2], MakeRGB(0, 0, 0));  // set black by the last ';'
  EXPECT_EQ(r.doc.header.colorTable[3], MakeRGB(0, 0, 255));
  const auto* p = r.Par(0);
  EXPECT_EQ(AttrAt(p, 0).TextColor(), 1);
  EXPECT_EQ(AttrAt(p, 1).BackColor(), 12);
  EXPECT_EQ(AttrAt(p, 2).TextColor(), 1);  // 16 is out of range
}

TEST(ReaderFormat, DocumentWords) {
  Loaded r("{\\rtf1\\paperw11906\\paperh16838\\margl1000\\margr1100\\margt900\\margb800\\facingp\\landscape x}");
  EXPECT_EQ(r.doc.header.pageWidth, 11906);
  EXPECT_EQ(r.doc.header.pageHeight, 16838);
  EXPECT_EQ(r.doc.header.marginLeft, 1000);
  EXPECT_EQ(r.doc.header.marginRight, 1100);
  EXPECT_EQ(r.doc.header.marginTop, 900);
  EXPECT_EQ(r.doc.header.marginBottom, 800);
  EXPECT_TRUE(r.doc.header.facingPages);
  EXPECT_TRUE(r.doc.header.landscape);
  EXPECT_EQ(r.doc.header.textWidthPixels, (11906 - 2100) * 96 / 1440);
  Loaded d("{\\rtf1\\margl\\margr x}");
  EXPECT_EQ(d.doc.header.marginLeft, 1800);
  EXPECT_EQ(d.doc.header.marginRight, 1800);
}

TEST(ReaderFormat, KnownWordsAreSortedAndUnique) {
  const auto words = RtfReaderKnownWords();
  for (size_t i = 1; i < words.size(); ++i) EXPECT_LT(words[i - 1], words[i]) << words[i];
}

}  // namespace
}  // namespace quill
