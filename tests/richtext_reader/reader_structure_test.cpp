// Paragraph properties, tab stops, borders, tables, pictures, objects and
// footnotes.
#include <gtest/gtest.h>

#include <sstream>

#include "reader_helpers.h"

namespace quill {
namespace {

using test::AttrAt;
using test::Loaded;

TEST(ReaderParagraph, GroupedAlignmentDoesNotReachTheParagraph) {
  Loaded r("{\\rtf1 {\\qc centred}\\par next}");
  EXPECT_EQ(r.Par(0)->alignment, alLeft);
  Loaded s("{\\rtf1 \\qc centred\\par next\\qr}");
  EXPECT_EQ(s.Par(0)->alignment, alCenter);
  EXPECT_EQ(s.Par(1)->alignment, alRight);
}

TEST(ReaderParagraph, IndentsBecomeAbsoluteAndSnapped) {
  Loaded r("{\\rtf1 \\fi-360\\li720 x}");
  EXPECT_EQ(r.Par(0)->firstIndent, 432);
  EXPECT_EQ(r.Par(0)->leftIndent, 720);
  // Without a known resolution nothing is snapped.
  Loaded u("{\\rtf1 \\fi-360\\li720 x}", 0);
  EXPECT_EQ(u.Par(0)->firstIndent, 360);
  EXPECT_EQ(u.Par(0)->leftIndent, 720);
}

// Word and LibreOffice write the left indent before the first-line indent;
// a paragraph reset by \pard must not take the first-line indent of the one
// before through its own left indent.
TEST(ReaderParagraph, ResetParagraphKeepsNoFirstLineIndentOfTheOneBefore) {
  struct Case {
    const char* rtf;
    int32_t first, left;  // of the second paragraph, unsnapped
  };
  const Case cases[] = {
      {"{\\rtf1 \\li1440\\fi-720 a\\par\\pard\\li288 b}", 288, 288},
      {"{\\rtf1 \\fi-720\\li1440 a\\par\\pard\\li288 b}", 288, 288},
      {"{\\rtf1 \\li1440\\fi-720 a\\par\\pard\\li288\\fi144 b}", 432, 288},
      {"{\\rtf1 \\li1440\\fi-720 a\\par\\pard\\fi144\\li288 b}", 432, 288},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rtf);
    Loaded r(c.rtf, 0);
    EXPECT_EQ(r.Par(1)->firstIndent, c.first);
    EXPECT_EQ(r.Par(1)->leftIndent, c.left);
  }
}

TEST(ReaderParagraph, IndentSpacingAndPageWords) {
  Loaded r("{\\rtf1 \\li-50\\ri300\\sb-1\\sa120\\sl240 a\\par\\page b}");
  const TParagraph* a = r.Par(0);
  EXPECT_EQ(a->leftIndent, 0);
  EXPECT_EQ(a->rightIndent, 300);
  EXPECT_EQ(a->spaceBefore, 0);
  EXPECT_EQ(a->spaceAfter, 120);
  EXPECT_EQ(a->lineSpacing, 240);
  const TParagraph* b = r.Par(1);
  EXPECT_EQ(b->flags, pfPageBreak);
  EXPECT_EQ(a->flags, 0);
  EXPECT_EQ(b->rightIndent, 300);  // inherited through the paragraph state
  EXPECT_EQ(b->spaceAfter, 120);   // spacing is inherited from the paragraph before
}

TEST(ReaderParagraph, PardResetsIndentsAndState) {
  Loaded r("{\\rtf1 \\qc\\li1440\\ri720\\sa100 a\\par\\pard b}");
  const TParagraph* b = r.Par(1);
  EXPECT_EQ(b->leftIndent, 0);
  EXPECT_EQ(b->rightIndent, 0);
  EXPECT_EQ(b->spaceAfter, 100);  // spacing stays
  // The state's alignment went, the paragraph's own value stays until \par.
  EXPECT_EQ(b->alignment, alCenter);
}

TEST(ReaderTabs, StopsWithKindsAndMasks) {
  Loaded r("{\\rtf1 \\tx900\\tqr\\tx2880\\tqc\\tx4320\\tqdec\\tx5760 a\\par b\\par\\tx1440 c}");
  const TTextHeader& h = r.doc.header;
  EXPECT_EQ(h.tabPositions[0], 864);
  EXPECT_EQ(h.tabKinds[0], tkLeft);
  EXPECT_EQ(h.tabPositions[1], 2880);
  EXPECT_EQ(h.tabKinds[1], tkRight);
  EXPECT_EQ(h.tabKinds[2], tkCenter);
  EXPECT_EQ(h.tabKinds[3], tkDecimal);
  EXPECT_EQ(r.Par(0)->tabMask, 0xFu);
  EXPECT_EQ(r.Par(1)->tabMask, 0xFu);  // inherited
  // The first tab word of a paragraph replaces the inherited stops.
  EXPECT_EQ(r.Par(2)->tabMask, 1u << 4);
  EXPECT_EQ(h.tabPositions[4], 1440);
}

TEST(ReaderBorders, BoxWidthSpacingAndColour) {
  Loaded r("{\\rtf1 \\box\\brdrdb\\brdrw40\\brsp120\\brdrcf3 a\\par b\\pard\\par c}");
  const TParagraph* a = r.Par(0);
  EXPECT_EQ(a->borderFlags & (bfOn | bfBox | bfDouble), bfOn | bfBox | bfDouble);
  EXPECT_EQ(a->borderWidth, 2);
  EXPECT_EQ(a->BorderSpacing(), 2);
  EXPECT_EQ(a->BorderColor(), 3);
  // \pard ends the border with the paragraph before; b then takes the
  // state's (empty) border at its \par.
  EXPECT_TRUE(a->borderFlags & bfEnds);
  EXPECT_EQ(r.Par(1)->borderFlags, 0);
  EXPECT_EQ(r.Par(2)->borderFlags, 0);
}

TEST(ReaderBorders, SidesAndStyles) {
  struct Case {
    const char* words;
    uint8_t flags;
    uint8_t style;
    uint8_t spacing;
  } cases[] = {
      {"\\brdrt", bfOn | bfTop, 0, 0},
      {"\\brdrb", bfOn | bfBottom, 0, 0},
      {"\\brdrl", bfOn | bfLeft, 0, 1},
      {"\\brdrr", bfOn | bfRight, 0, 1},
      {"\\brdrdot", bfOn, bsDotted, 0},
      {"\\brdrtablin", bfOn, bsTableLines, 0},
  };
  for (const auto& c : cases) {
    Loaded r(std::string("{\\rtf1 ") + c.words + " x}");
    EXPECT_EQ(r.Par(0)->borderFlags & ~bfEnds, c.flags) << c.words;
    EXPECT_EQ(r.Par(0)->borderStyle, c.style) << c.words;
    EXPECT_EQ(r.Par(0)->BorderSpacing(), c.spacing) << c.words;
  }
}

TEST(ReaderBorders, GroupOpenedWithoutBorderEndsIt) {
  Loaded r("{\\rtf1 {\\box a\\par b}c}");
  EXPECT_TRUE(r.Par(0)->borderFlags & bfOn);
  // The paragraph current at the closing brace carries the end flag.
  EXPECT_EQ(r.Par(1)->borderFlags & (bfOn | bfEnds), bfOn | bfEnds);
}

TEST(ReaderParagraph, ParagraphNotYetStartedFollowsTheClosingGroup) {
  // As written for a bordered, indented block with tab stops followed by a
  // plain last paragraph: the last one must not take the block's format.
  Loaded r("{\\rtf1 {\\box\\brdrs\\brdrw20 {\\tx720 \\li1440\\fi0 a\\par }}\\plain b}");
  ASSERT_EQ(test::Paragraphs(r.doc), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(r.Par(0)->borderFlags & bfOn);
  EXPECT_EQ(r.Par(0)->leftIndent, 1440);
  EXPECT_NE(r.Par(0)->tabMask, 0u);
  EXPECT_EQ(r.Par(1)->borderFlags, 0);
  EXPECT_EQ(r.Par(1)->leftIndent, 0);
  EXPECT_EQ(r.Par(1)->tabMask, 0u);
}

TEST(ReaderParagraph, EmptyLastParagraphKeepsItsOwnWords) {
  // An empty centred, indented last paragraph as the writer stores it.
  Loaded r("{\\rtf1{\\plain a\\par\n\r\\qc\\li720\\fi0\\ri0}\r\n}");
  ASSERT_EQ(test::Paragraphs(r.doc), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(r.Par(1)->alignment, alCenter);
  EXPECT_EQ(r.Par(1)->leftIndent, 720);
}

TEST(ReaderTables, CellsGetFlagsAndShares) {
  Loaded r("{\\rtf1 \\trowd\\trgaph108\\cellx2000\\cellx6000\\intbl a\\cell b\\par c\\cell\\row\\pard after}");
  ASSERT_EQ(test::Paragraphs(r.doc), (std::vector<std::string>{"a", "b\nc", "after"}));
  const TParagraph* a = r.Par(0);
  const TParagraph* b = r.Par(1);
  EXPECT_EQ(a->flags, pfTableCell | pfRowContinues);
  EXPECT_EQ(b->flags, pfTableCell | pfLastCell);
  EXPECT_EQ(a->CellStartShare(), 0);
  EXPECT_EQ(a->CellWidthShare(), 255 * 2000 / 6000);
  EXPECT_EQ(b->CellStartShare(), 85);
  EXPECT_EQ(b->CellWidthShare(), 255 - 85);
  EXPECT_EQ(a->spaceBefore, 40);
  EXPECT_EQ(r.Par(2)->flags, 0);
}

TEST(ReaderTables, MoreCellsThanEdgesGetShare10) {
  Loaded r("{\\rtf1 \\trowd\\cellx3000\\intbl a\\cell b\\cell\\row}");
  EXPECT_EQ(r.Par(0)->CellWidthShare(), 255);
  EXPECT_EQ(r.Par(1)->CellWidthShare(), 10);
}

TEST(ReaderTables, CellBordersComeFromTheDefinition) {
  Loaded r("{\\rtf1 \\trowd\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrdb\\cellx3000\\intbl a\\cell\\row}");
  const TParagraph* a = r.Par(0);
  EXPECT_EQ(a->borderFlags & (bfOn | bfTop | bfBottom), bfOn | bfTop | bfBottom);
  EXPECT_FALSE(a->borderFlags & bfDouble);
  EXPECT_EQ(r.Par(1)->borderFlags, 0);
}

TEST(ReaderPictures, MetafileBecomesAnObjectCharacter) {
  Loaded r("{\\rtf1 a{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 01ff\r\nA0}b}");
  EXPECT_EQ(test::TextOf(r.Par(0)), std::string("a\x01" "b"));
  const TCharAttr& o = AttrAt(r.Par(0), 1);
  EXPECT_EQ(o.marks, cmObject);
  ASSERT_NE(r.doc.firstObject, nullptr);
  const TTextObject* obj = r.doc.firstObject;
  EXPECT_EQ(uint16_t(o.extra), obj->key);
  EXPECT_EQ(obj->key, 2000);
  EXPECT_EQ(obj->width, 1440);
  EXPECT_EQ(obj->height, 720);
  ASSERT_NE(obj->picture, nullptr);
  EXPECT_EQ(obj->picture->kind, pkMetafile);
  ASSERT_EQ(obj->picture->data.size(), 25u);
  EXPECT_EQ(obj->picture->data[0], 0);
  EXPECT_EQ(obj->picture->data[22], 0x01);
  EXPECT_EQ(obj->picture->data[23], 0xFF);
  EXPECT_EQ(obj->picture->data[24], 0xA0);
  EXPECT_EQ(obj->picture->pixelWidth, 2540);
}

TEST(ReaderPictures, BitmapWithScaleAndLargeData) {
  std::string hex;
  for (int i = 0; i < 3000; ++i) hex += "7f";
  Loaded r("{\\rtf1 {\\pict\\dibitmap0\\wbmbitspixel24\\wbmplanes1\\wbmwidthbytes12\\picw4\\pich4\\picscalex50"
           "\\picscaley200 " + hex + "}}");
  const TTextObject* obj = r.doc.firstObject;
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->picture->kind, pkDib);
  EXPECT_EQ(obj->picture->data.size(), 3000u);
  EXPECT_EQ(obj->picture->bitsPerPixel, 24);
  EXPECT_EQ(obj->picture->widthBytes, 12);
  EXPECT_EQ(obj->width, 4 * 15 / 2);
  EXPECT_EQ(obj->height, 4 * 15 * 2);
}

// The N bytes after "\binN" are data, whatever they look like: braces,
// backslashes and byte 0 neither end groups nor the reading.
TEST(ReaderPictures, BinaryDataBelongsToItsDestination) {
  using namespace std::string_literals;
  const std::string data = "\x00}{\\\xff"s;
  Loaded r("{\\rtf1 a{\\pict\\dibitmap0\\picw1\\pich1 \\bin5 "s + data + "}b\\par c}");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), "a\x01" "b|c");
  ASSERT_NE(r.doc.firstObject, nullptr);
  ASSERT_NE(r.doc.firstObject->picture, nullptr);
  const std::vector<uint8_t>& got = r.doc.firstObject->picture->data;
  EXPECT_EQ(std::string(got.begin(), got.end()), data);

  const struct {
    std::string rtf;
    const char* text;
  } cases[] = {
      // Outside a picture the data is skipped.
      {"{\\rtf1 a\\bin4 {}\\} b}"s, "a b"},
      {"{\\rtf1 a{\\*\\objdata\\bin3 }}}}b}"s, "ab"},
      {"{\\rtf1 a\\bin2 \x00\x00" "b}"s, "ab"},
      // The count runs to the end of the input at most.
      {"{\\rtf1 a\\bin99 xyz"s, "a"},
      {"{\\rtf1 a\\bin99999999999 xyz}"s, "a"},
      // No data: the word does nothing.
      {"{\\rtf1 a\\bin b}"s, "ab"},
      {"{\\rtf1 a\\bin0 b}"s, "ab"},
      {"{\\rtf1 a\\bin-3 b}"s, "ab"},
  };
  for (const auto& c : cases) {
    Loaded l(c.rtf);
    EXPECT_EQ(l.result, 0) << c.rtf;
    EXPECT_EQ(l.Text(), c.text) << c.rtf;
  }
  // Across the reader's input buffer, from a stream.
  TRTFText doc;
  std::istringstream in("{\\rtf1 a{\\pict\\wmetafile8 \\bin5000 " + std::string(5000, '}') + "}b}");
  TStreamInput input(in);
  TRTFReader reader(&doc.header, &doc);
  reader.SetStartParagraph(doc.firstParagraph);
  ASSERT_EQ(reader.Read(input), 0);
  ASSERT_NE(doc.firstObject, nullptr);
  EXPECT_EQ(doc.firstObject->picture->data.size(), 22u + 5000u);
  EXPECT_EQ(test::TextOf(doc.firstParagraph), "a\x01" "b");
}

TEST(ReaderPictures, SkippedPictureAndNestedGroupsMakeOneObject) {
  Loaded r("{\\rtf1 {\\*\\shppict{\\pict\\pngblip 00}}{\\nonshppict{\\pict\\wmetafile8{\\*\\picprop x}{\\y}0102}}}");
  int n = 0;
  for (const TTextObject* o = r.doc.firstObject; o; o = o->next) ++n;
  EXPECT_EQ(n, 1);
  EXPECT_EQ(test::TextOf(r.Par(0)), "\x01");
}

TEST(ReaderObjects, PlaceholderTagBecomesOneObjectCharacter) {
  TRTFText doc;
  std::vector<uint16_t> requested;
  doc.onObjectRequest = [&](uint16_t key) { requested.push_back(key); };
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 a\\qbobjtag2005\\qbobjw300\\qbobjh200 \\'01b}"), 0);
  EXPECT_EQ(test::TextOf(doc.firstParagraph), std::string("a\x01" "b"));
  const TTextObject* o = doc.firstObject;
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->key, 2005);
  EXPECT_EQ(o->width, 300);
  EXPECT_EQ(o->height, 200);
  EXPECT_TRUE(o->placeholder);
  EXPECT_EQ(o->next, nullptr);
  EXPECT_EQ(requested, std::vector<uint16_t>{2005});
  EXPECT_EQ(uint16_t(AttrAt(doc.firstParagraph, 1).extra), 2005);
}

TEST(ReaderObjects, StrayObjectBytesAreDropped) {
  Loaded r("{\\rtf1 a\\'01\\'02\\'03b}");
  EXPECT_EQ(r.Text(), "ab");
}

TEST(ReaderObjects, LinkedPictureByFileName) {
  Loaded r("{\\rtf1 {\\*\\picfile\\picwgoal500\\pichgoal400 \"missing/cat.bmp\"}"
           "{\\*\\picfile \"MISSING/CAT.BMP\"}}");
  const TTextObject* o = r.doc.firstObject;
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->fileName, "missing/cat.bmp");
  EXPECT_EQ(o->width, 500);
  EXPECT_EQ(o->picture, nullptr);
  EXPECT_EQ(o->next, nullptr);  // the second reference finds the first object
  EXPECT_EQ(test::TextOf(r.Par(0)), "\x01\x01");
}

TEST(ReaderFootnotes, WriterFormBecomesAnchorAndText) {
  Loaded r("{\\rtf1 Rain{\\cs16\\super *{\\*\\footnote \\qbfnnr3 \\pard\\plain \\s15\\widctlpar \\f4\\fs20\\lang1031 "
           "{\\cs16\\super\t*} Wet day.}} today}");
  EXPECT_EQ(r.Text(), "Rain* today");
  const TFootnote* f = r.doc.firstFootnote;
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->mark, '*');
  EXPECT_EQ(f->number, 3);
  EXPECT_EQ(f->id, 1);
  EXPECT_EQ(f->text, "Wet day.");
  const TCharAttr& a = AttrAt(r.Par(0), 4);
  EXPECT_TRUE(a.marks & cmFootnote);
  EXPECT_EQ(a.extra, 1);
  EXPECT_FALSE(a.style & csSuperscript);
  // The text after the footnote is not superscript and keeps its indents.
  EXPECT_FALSE(AttrAt(r.Par(0), 5).style & csSuperscript);
}

// Writers put paragraph words in every footnote (\pard, often \par between
// its paragraphs); they belong to the footnote's text, never to the
// paragraph holding the anchor.
TEST(ReaderFootnotes, ParagraphWordsInsideStayOutOfTheAnchoringParagraph) {
  const std::string before = "{\\rtf1 \\qc\\li720\\fi-360\\ri360 Rain";
  const std::string after = " today\\par next}";
  const Loaded plain(before + after);
  struct Case {
    const char* what;
    const char* footnote;
    const char* text;
  } cases[] = {
      {"pard and paragraph format", "{\\footnote \\pard\\plain\\ql\\li0\\fi0 Wet day.}", "Wet day."},
      {"two paragraphs", "{\\footnote \\pard Wet\\par day.}", "Wet day."},
      {"table words", "{\\footnote \\trowd\\cellx2000\\intbl Wet\\cell day.\\row}", "Wetday."},
      {"page break and tab stops", "{\\footnote \\page\\tx720 Wet day.}", "Wet day."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Loaded r(before + c.footnote + after);
    ASSERT_EQ(r.result, 0) << r.error;
    EXPECT_EQ(r.Text(), "Rain today|next");
    ASSERT_NE(r.doc.firstFootnote, nullptr);
    EXPECT_EQ(r.doc.firstFootnote->text, c.text);
    for (int n = 0; n < 2; ++n) {
      EXPECT_EQ(r.Par(n)->alignment, plain.Par(n)->alignment) << n;
      EXPECT_EQ(r.Par(n)->leftIndent, plain.Par(n)->leftIndent) << n;
      EXPECT_EQ(r.Par(n)->firstIndent, plain.Par(n)->firstIndent) << n;
      EXPECT_EQ(r.Par(n)->rightIndent, plain.Par(n)->rightIndent) << n;
      EXPECT_EQ(r.Par(n)->IsTableCell(), plain.Par(n)->IsTableCell()) << n;
    }
  }
}

TEST(ReaderFootnotes, WithoutCharacterBeforeTheMarkIsQuestionMark) {
  Loaded r("{\\rtf1 {\\footnote note}}");
  ASSERT_NE(r.doc.firstFootnote, nullptr);
  EXPECT_EQ(r.doc.firstFootnote->mark, '?');
  EXPECT_EQ(r.doc.firstFootnote->number, 1);
  EXPECT_EQ(r.doc.firstFootnote->text, "note");
}

}  // namespace
}  // namespace quill
