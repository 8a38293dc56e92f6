// Damaged and hostile input: the reader ends quietly or fails with 7, never
// crashes, and keeps what it read.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "reader_helpers.h"

namespace quill {
namespace {

using test::Loaded;

// An escape without its two digits is dropped and the page after it read
// on; what stood in the digits' place is input again.
TEST(ReaderBadInput, MalformedHexIsSkipped) {
  const struct {
    const char* rtf;
    const char* text;
  } cases[] = {
      {"{\\rtf1 ab\\'zzcd\\par next}", "abzzcd|next"},
      {"{\\rtf1 ab\\'4xcd}", "abxcd"},
      {"{\\rtf1 ab\\'}cd}", "ab"},
      {"{\\rtf1 a{\\b b\\'4}c}", "abc"},
      {"{\\rtf1 ab\\'\\'e9}", "ab\xe9"},
      {"{\\rtf1 ab\\'4", "ab"},
  };
  for (const auto& c : cases) {
    Loaded r(c.rtf);
    EXPECT_EQ(r.result, 0) << c.rtf;
    EXPECT_EQ(r.Text(), c.text) << c.rtf;
  }
  Loaded r("{\\rtf1 a{\\b b\\'4}c}");
  EXPECT_EQ(test::AttrAt(r.Par(0), 1).style, csBold);
  EXPECT_EQ(test::AttrAt(r.Par(0), 2).style, 0);
}

TEST(ReaderBadInput, TruncatedInputKeepsWhatWasRead) {
  const std::string full = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\qc\\fi-360\\li720 Hello\\par {\\b world}\\par end}";
  for (size_t n = 0; n <= full.size(); ++n) {
    Loaded r(full.substr(0, n));
    EXPECT_EQ(r.result, 0) << n;
    // The text read so far is a prefix of the whole text.
    const std::string whole = "Hello|world|end";
    EXPECT_EQ(whole.compare(0, r.Text().size(), r.Text()), 0) << n << ": " << r.Text();
  }
}

TEST(ReaderBadInput, ClosingBeforeOpeningEndsReading) {
  Loaded r("}{\\rtf1 x}");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), "");
}

TEST(ReaderBadInput, DeeplyNestedGroups) {
  const int depth = 200000;
  std::string rtf = "{\\rtf1 a";
  rtf += std::string(depth, '{');
  rtf += "\\b deep";
  rtf += std::string(depth, '}');
  rtf += "b}";
  Loaded r(rtf);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), "adeepb");
  EXPECT_EQ(test::AttrAt(r.Par(0), 1).style, csBold);
  // Unclosed: ends at the end of the input.
  Loaded u(std::string("{\\rtf1 x") + std::string(depth, '{') + "y");
  EXPECT_EQ(u.Text(), "xy");
}

// A font 0 definition gives its font to the text of every group around it,
// but not to groups opened after it with a font of their own.
TEST(ReaderBadInput, FontZeroDefinedInsideGroups) {
  Loaded r("{\\rtf1{\\fonttbl{\\f1 Times;}}{{\\fonttbl{\\f0 Courier;}}\\f1 a{\\b b}c}d}");
  const int times = r.doc.header.InternFont("Times");
  const int courier = r.doc.header.InternFont("Courier");
  EXPECT_EQ(r.Text(), "abcd");
  EXPECT_EQ(test::AttrAt(r.Par(0), 0).font, times);
  EXPECT_EQ(test::AttrAt(r.Par(0), 1).font, times);
  EXPECT_EQ(test::AttrAt(r.Par(0), 2).font, times);
  EXPECT_EQ(test::AttrAt(r.Par(0), 3).font, courier);
}

// Tens of thousands of font 0 definitions deep inside as many groups: each
// once walked every enclosing group, so the page took minutes to load.
TEST(ReaderBadInput, ManyFontZeroDefinitionsDeepInsideGroups) {
  const int depth = 60000, definitions = 60000;
  std::string rtf = "{\\rtf1 " + std::string(depth, '{') + "{\\fonttbl";
  for (int i = 0; i < definitions; ++i) rtf += i % 2 ? "{\\f0 Beta;}" : "{\\f0 Alpha;}";
  rtf += "}a" + std::string(depth, '}') + "b}";
  Loaded r(rtf);
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), "ab");
  const int beta = r.doc.header.InternFont("Beta");
  EXPECT_EQ(test::AttrAt(r.Par(0), 0).font, beta);
  EXPECT_EQ(test::AttrAt(r.Par(0), 1).font, beta);
}

struct ParamCase {
  const char* rtf;
  const char* text;
  int leftIndent;  // of the last paragraph, before snapping (resolution 0)
};

// A number beyond 32 bits counts as the nearest 32-bit one; the rest of the
// page is read.
TEST(ReaderBadInput, Parameters) {
  const ParamCase cases[] = {
      {"{\\rtf1 a\\li2147483647 b}", "ab", INT32_MAX},
      {"{\\rtf1 a\\li-2147483648 b}", "ab", 0},
      {"{\\rtf1 a\\li2147483648 b\\par c}", "ab|c", INT32_MAX},
      {"{\\rtf1 a\\li99999999999999999999999999 b}", "ab", INT32_MAX},
      {"{\\rtf1 a\\li00000000000000000000000000720 b}", "ab", 720},
      {"{\\rtf1 a\\ri-99999999999999999999 \\li5 b}", "ab", 5},
      // A minus sign without digits: no parameter, the word's default.
      {"{\\rtf1 a\\li- b}", "ab", 0},
      {"{\\rtf1 a\\zzz99999999999 b}", "ab", 0},
      {"{\\rtf1 a\\b000000000000000000000001 b}", "ab", 0},
      {"{\\rtf1 a\\tx2147483647\\fi-2147483648\\li2147483647\\brdrw2147483647\\brsp-2147483648\\cellx-2147483648 b}",
       "ab", INT32_MAX},
  };
  for (const auto& c : cases) {
    Loaded r(c.rtf, 0);
    EXPECT_EQ(r.result, 0) << c.rtf;
    EXPECT_EQ(r.Text(), c.text) << c.rtf;
    const TParagraph* last = r.doc.LastParagraph();
    EXPECT_EQ(last->leftIndent, c.leftIndent) << c.rtf;
  }
  Loaded fs("{\\rtf1 a\\fs99999999999 b\\fs-99999999999 c}");
  EXPECT_EQ(fs.Text(), "abc");
  EXPECT_EQ(test::AttrAt(fs.Par(0), 1).size, 255);
  EXPECT_EQ(test::AttrAt(fs.Par(0), 2).size, 10);
  Loaded ri("{\\rtf1 \\ri-99999999999 x}");
  EXPECT_EQ(ri.Par(0)->rightIndent, INT32_MIN);
}

TEST(ReaderBadInput, ALineOf10001CharactersIsStoredInChunks) {
  const std::string text(10001, 'q');
  Loaded r("{\\rtf1 " + text + "}");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), text);
  for (const TLine* l = r.Par(0)->firstLine; l; l = l->next) EXPECT_LE(l->capacity, kMaxLineCapacity);
}

TEST(ReaderBadInput, ManyCellsAndRowsWithoutDefinitions) {
  std::string rtf = "{\\rtf1 \\trowd";
  for (int i = 0; i < 80; ++i) rtf += "\\cellx" + std::to_string(100 * (i + 1));
  rtf += "\\intbl ";
  for (int i = 0; i < 60; ++i) rtf += "c\\cell ";
  rtf += "\\row\\row\\cell\\cell}";
  Loaded r(rtf);
  EXPECT_EQ(r.result, 0);
  int cells = 0;
  for (const TParagraph* p = r.doc.firstParagraph; p; p = p->next) cells += p->IsTableCell();
  EXPECT_EQ(cells, 62);
}

TEST(ReaderBadInput, ManyFontsColoursTabsAndFootnotes) {
  std::string rtf = "{\\rtf1{\\fonttbl";
  for (int i = 0; i < 300; ++i) rtf += "{\\f" + std::to_string(i) + " Font" + std::to_string(i) + ";}";
  rtf += "}{\\colortbl";
  for (int i = 0; i < 40; ++i) rtf += "\\red1;";
  rtf += "}";
  for (int i = 0; i < 50; ++i) rtf += "\\tx" + std::to_string(200 * (i + 1));
  for (int i = 0; i < 20; ++i) rtf += "x{\\footnote n}";
  rtf += "\\f98 y}";
  Loaded r(rtf);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.doc.header.FontCount(), 99);
  int notes = 0;
  for (const TFootnote* f = r.doc.firstFootnote; f; f = f->next) ++notes;
  EXPECT_EQ(notes, 20);
  // Entry 0 is the cleared document's Arial, so font 98 finds the table full.
  EXPECT_EQ(test::AttrAt(r.Par(0), 20).font, 99);
  EXPECT_EQ(test::AttrAt(r.Par(0), 0).font, 1);
}

TEST(ReaderBadInput, MissingArgumentsRaise) {
  TRTFReader reader(nullptr, nullptr);
  TMemoryInput in("{\\rtf1 x}");
  try {
    reader.Read(in);
    FAIL() << "no exception";
  } catch (const TRichTextError& e) {
    EXPECT_STREQ(e.what(), "Wrong Arguments in\tTRTFReader");
  }
}

TEST(ReaderBadInput, RandomBytesNeverCrash) {
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  const char alphabet[] = "{}\\'*abcfilpqrstuvx0123456789- ;\"\x01\xe9";
  for (int round = 0; round < 300; ++round) {
    std::string s = "{\\rtf1 ";
    const int n = int(next() % 400);
    for (int i = 0; i < n; ++i) s += alphabet[next() % (sizeof alphabet - 1)];
    Loaded r(s);
    EXPECT_TRUE(r.result == 0 || r.result == 7);
    ASSERT_NE(r.doc.firstParagraph, nullptr);
  }
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

TEST(ReaderBadInput, FootnoteAfterAnObjectKeepsTheObject) {
  test::Loaded r("{\\rtf1 see{\\pict\\wmetafile8 0102}{\\footnote note}}");
  const TParagraph* p = r.Par(0);
  ASSERT_EQ(test::TextOf(p), std::string("see\x01"));
  const TCharAttr& o = test::AttrAt(p, 3);
  EXPECT_EQ(o.marks, cmObject);
  ASSERT_NE(r.doc.FindObject(uint16_t(o.extra), 0), nullptr);
  EXPECT_EQ(r.doc.firstFootnote->mark, '?');
}

TEST(ReaderBadInput, EmptyFontNameMeansTheDefaultFont) {
  test::Loaded r("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 ;}{\\f2 Courier New;}}\\f1 a\\f2 b}");
  EXPECT_EQ(test::AttrAt(r.Par(0), 0).font, 0);
  EXPECT_EQ(test::AttrAt(r.Par(0), 1).font, 1);
  EXPECT_EQ(r.doc.header.FontName(1), "Courier New");
  TTextHeader h;
  EXPECT_EQ(h.InternFont(""), 0);
  EXPECT_EQ(h.FontCount(), 0);
}

TEST(ReaderBadInput, ControlBytesNeverReachTheText) {
  const char raw[] = "{\\rtf1 a\x01\x02\x03" "b\\'00\\'03\\'02c}";
  const std::string rtf(raw, sizeof raw - 1);
  test::Loaded r(rtf);
  EXPECT_EQ(r.Text(), "abc");
}

TEST(ReaderParagraphExtra, PageBreakBeforeWord) {
  test::Loaded r("{\\rtf1 a\\par\\pard\\pagebb b}");
  EXPECT_EQ(r.Par(1)->flags & pfPageBreak, pfPageBreak);
  EXPECT_EQ(r.Par(0)->flags & pfPageBreak, 0);
}

}  // namespace
}  // namespace quill
