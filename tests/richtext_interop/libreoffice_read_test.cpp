// RTF written by LibreOffice read by our reader: the text must match
// LibreOffice's own plain-text export of the same document, and the
// formatting the model can hold must come through.
//
// Normalisations of the comparison (everything else must match byte for
// byte after Windows-1252 -> UTF-8):
//  - LibreOffice's text starts with a byte-order mark; dropped.
//  - Trailing blanks of lines and trailing empty lines are ignored: LibreOffice
//    ends every document with \par, which leaves us an empty last paragraph.
//  - Pictures: LibreOffice's text leaves them out; our object characters are
//    left out of our side.
//  - Footnotes: LibreOffice prints the automatic citation number at the
//    anchor and omits the body; our model has no automatic numbering (the
//    anchor is the character before the footnote), so our side prints the
//    footnote's number after its anchor. The body is checked separately.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "richtext/io/rtf_text_io.h"
#include "tests/richtext_interop/document_invariants.h"
#include "tests/richtext_interop/interop_support.h"

namespace quill::testing {
namespace {

// Reads a LibreOffice fixture into a fresh document.
class LibreOfficeRtf : public ::testing::Test {
 protected:
  void Load(const std::string& name) {
    const std::string rtf = ReadFileBytes(FixturePath("libreoffice/" + name + ".rtf"));
    ASSERT_FALSE(rtf.empty());
    TRTFTextIo io(doc);
    ASSERT_EQ(io.LoadFromBytes(rtf), 0) << io.lastError;
    const std::string fault = CheckDocumentInvariants(doc);
    ASSERT_TRUE(fault.empty()) << fault;
  }
  FoundText Find(std::string_view needle) {
    FoundText f;
    EXPECT_TRUE(FindText(doc, needle, &f)) << "text not found: " << needle;
    return f;
  }
  std::string FontOf(const TCharAttr& a) { return std::string(doc.header.FontName(a.font)); }
  uint32_t ColorOf(const TCharAttr& a) { return doc.header.colorTable[a.TextColor()]; }

  TRTFText doc;
};

class LibreOfficeText : public ::testing::TestWithParam<std::string> {};

TEST_P(LibreOfficeText, SameTextAsLibreOfficeExport) {
  const std::string base = FixturePath("libreoffice/" + GetParam());
  const std::string rtf = ReadFileBytes(base + ".rtf");
  const std::string expected = ReadFileBytes(base + ".txt");
  ASSERT_FALSE(rtf.empty());
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes(rtf), 0) << io.lastError;
  EXPECT_EQ(NormaliseText(LibreOfficeStyleText(doc)), NormaliseText(expected));
}

std::vector<std::string> Fixtures() {
  std::vector<std::string> names;
  for (const std::string& f : FilesIn(FixturePath("libreoffice")))
    if (f.size() > 4 && f.compare(f.size() - 4, 4, ".rtf") == 0)
      names.push_back(std::filesystem::path(f).stem().string());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LibreOfficeText, ::testing::ValuesIn(Fixtures()),
                         [](const auto& info) { return info.param; });

TEST_F(LibreOfficeRtf, CharacterFormatting) {
  Load("formatting");
  // text is found in context (the first occurrence of context), so that
  // "red" is not taken from "Centred".
  struct Case {
    const char* context;
    const char* text;
    const char* font;
    int size;
    uint8_t style;
    uint32_t color;
  } cases[] = {
      {"Plain serif", "Plain serif", "Liberation Serif", 12, 0, MakeRGB(0, 0, 0)},
      {"then bold", "bold", "Liberation Serif", 12, csBold, MakeRGB(0, 0, 0)},
      {", italic", "italic", "Liberation Serif", 12, csItalic, MakeRGB(0, 0, 0)},
      {"underlined", "underlined", "Liberation Serif", 12, csUnderline, MakeRGB(0, 0, 0)},
      {"struck", "struck", "Liberation Serif", 12, csStrikeOut, MakeRGB(0, 0, 0)},
      {"Sans eighteen", "Sans eighteen", "Liberation Sans", 18, 0, MakeRGB(0, 0, 0)},
      {"mono eight", "mono eight", "Liberation Mono", 8, 0, MakeRGB(0, 0, 0)},
      {"Right: big", "big", "Liberation Serif", 24, 0, MakeRGB(0, 0, 0)},
      {"big red", "red", "Liberation Serif", 12, 0, MakeRGB(255, 0, 0)},
      {"red blue", "blue", "Liberation Serif", 12, 0, MakeRGB(0, 0, 255)},
      {"blue green", "green", "Liberation Serif", 12, 0, MakeRGB(0, 128, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FoundText f = Find(c.context);
    const std::string_view context(c.context);
    const size_t at = context.find(c.text);
    ASSERT_LE(at + std::strlen(c.text), f.attrs.size());
    for (size_t i = at; i < at + std::strlen(c.text); ++i) {
      const TCharAttr& a = f.attrs[i];
      EXPECT_EQ(FontOf(a), c.font);
      EXPECT_EQ(a.PointSize(), c.size);
      EXPECT_EQ(a.style, c.style);
      EXPECT_EQ(ColorOf(a), c.color);
      EXPECT_EQ(a.marks, 0);
    }
  }
  // The word after a bold run is not bold: the group restored the format.
  FoundText after = Find(", italic");
  EXPECT_EQ(after.attrs[0].style, 0);
}

TEST_F(LibreOfficeRtf, AlignmentAndPage) {
  Load("formatting");
  const uint8_t expected[] = {alLeft, alCenter, alRight, alJustify};
  for (int i = 0; i < 4; ++i) {
    const TParagraph* p = NthParagraph(doc, i);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->alignment, expected[i]) << "paragraph " << i << ": " << ParagraphText(p);
  }
  // A4 with 2 cm margins.
  EXPECT_EQ(doc.header.pageWidth, 11906);
  EXPECT_EQ(doc.header.pageHeight, 16838);
  EXPECT_EQ(doc.header.marginLeft, 1134);
  EXPECT_EQ(doc.header.marginRight, 1134);
  EXPECT_EQ(doc.header.marginTop, 1134);
  EXPECT_EQ(doc.header.marginBottom, 1134);
}

TEST_F(LibreOfficeRtf, IndentsAndTabStops) {
  Load("indents_tabs");
  struct Case {
    int par, first, left, right;
  } cases[] = {
      {0, 1440, 1440, 720},  // left 1 in, right 0.5 in
      {1, 720, 0, 0},        // first line 0.5 in
      {2, 720, 1440, 0},     // hanging: first line 0.5 in left of 1 in
  };
  for (const Case& c : cases) {
    const TParagraph* p = NthParagraph(doc, c.par);
    ASSERT_NE(p, nullptr);
    SCOPED_TRACE(ParagraphText(p));
    EXPECT_EQ(p->firstIndent, c.first);
    EXPECT_EQ(p->leftIndent, c.left);
    EXPECT_EQ(p->rightIndent, c.right);
  }
  struct Stop {
    int32_t position;
    uint8_t kind;
  } stops[] = {{1440, tkLeft}, {3600, tkCenter}, {5760, tkRight}, {7200, tkDecimal}};
  for (int par : {3, 4}) {
    const TParagraph* p = NthParagraph(doc, par);
    ASSERT_NE(p, nullptr);
    SCOPED_TRACE(ParagraphText(p));
    uint32_t want = 0;
    for (const Stop& s : stops) {
      int found = -1;
      for (int i = 0; i < kTabCount; ++i)
        if (doc.header.tabPositions[size_t(i)] == s.position) found = i;
      ASSERT_GE(found, 0) << "no tab stop at " << s.position;
      EXPECT_EQ(doc.header.tabKinds[size_t(found)], s.kind) << "at " << s.position;
      want |= 1u << found;
    }
    EXPECT_EQ(p->tabMask, want);
  }
  EXPECT_EQ(ParagraphText(NthParagraph(doc, 3)), "Name\tCentre\tRight\t12.50");
  // Paragraphs without tab words have no stops.
  EXPECT_EQ(NthParagraph(doc, 0)->tabMask, 0u);
}

TEST_F(LibreOfficeRtf, PageBreakAndLineBreak) {
  Load("page_break");
  ASSERT_GE(ParagraphCount(doc), 3);
  EXPECT_EQ(NthParagraph(doc, 0)->flags & pfPageBreak, 0);
  // LibreOffice marks the break with \pagebb on the paragraph after it.
  EXPECT_NE(NthParagraph(doc, 1)->flags & pfPageBreak, 0)
      << "page break before \"" << ParagraphText(NthParagraph(doc, 1)) << "\" lost";
  EXPECT_EQ(NthParagraph(doc, 2)->flags & pfPageBreak, 0);
  EXPECT_EQ(ParagraphText(NthParagraph(doc, 2)), "Still Tuesday.\nAfter a line break.");
}

TEST_F(LibreOfficeRtf, TableCells) {
  Load("table");
  const char* cells[] = {"Day", "Weather", "Mood", "Monday", "Rain", "Fine"};
  EXPECT_FALSE(NthParagraph(doc, 0)->IsTableCell());
  int rowShare = 0;
  for (int i = 0; i < 6; ++i) {
    const TParagraph* p = NthParagraph(doc, 1 + i);
    ASSERT_NE(p, nullptr);
    SCOPED_TRACE(cells[i]);
    EXPECT_EQ(ParagraphText(p), cells[i]);
    EXPECT_TRUE(p->IsTableCell());
    // Three equal columns of 2 inches: a third of 255 each.
    EXPECT_NEAR(p->CellWidthShare(), 85, 1);
    rowShare += p->CellWidthShare();
    if (i % 3 == 2) {
      EXPECT_EQ(rowShare, 255);
      rowShare = 0;
    }
  }
  const TParagraph* after = NthParagraph(doc, 7);
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(ParagraphText(after), "After the table.");
  EXPECT_FALSE(after->IsTableCell());
}

// Bytes of the hexadecimal data of the \wmetafile picture in the fixture.
std::vector<uint8_t> MetafileBytesOf(const std::string& rtf) {
  size_t at = rtf.find("\\wmetafile8");
  std::vector<uint8_t> bytes;
  if (at == std::string::npos) return bytes;
  at = rtf.find('\n', at);
  int nibble = -1;
  for (; at < rtf.size() && rtf[at] != '}'; ++at) {
    const char c = rtf[at];
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (v < 0) continue;
    if (nibble < 0) nibble = v;
    else {
      bytes.push_back(uint8_t(nibble * 16 + v));
      nibble = -1;
    }
  }
  return bytes;
}

TEST_F(LibreOfficeRtf, PictureObjectWithItsBytes) {
  Load("picture");
  // LibreOffice writes the PNG inside an ignorable \shppict group (skipped)
  // and a metafile copy in \nonshppict, which is the one we keep.
  ASSERT_NE(doc.firstObject, nullptr);
  EXPECT_EQ(doc.firstObject->next, nullptr) << "one picture expected";
  const TTextObject* o = doc.firstObject;
  ASSERT_NE(o->picture, nullptr);
  EXPECT_EQ(o->picture->kind, pkMetafile);
  const std::vector<uint8_t> wmf =
      MetafileBytesOf(ReadFileBytes(FixturePath("libreoffice/picture.rtf")));
  ASSERT_GT(wmf.size(), 100u);
  std::vector<uint8_t> expected(22, 0);  // placeholder metafile header
  expected.insert(expected.end(), wmf.begin(), wmf.end());
  EXPECT_EQ(o->picture->data, expected);
  EXPECT_EQ(o->picture->pixelWidth, 4);
  EXPECT_EQ(o->picture->pixelHeight, 3);
  // 0.4 x 0.3 inch: goal size 60 x 45 twips scaled by 960 %.
  EXPECT_EQ(o->width, 576);
  EXPECT_EQ(o->height, 432);
  // The object character stands where the picture was, naming the object.
  FoundText f = Find("A dot \x01");
  ASSERT_EQ(f.chars.size(), 7u);
  EXPECT_NE(f.attrs[6].marks & cmObject, 0);
  EXPECT_EQ(uint16_t(f.attrs[6].extra), o->key);
}

TEST_F(LibreOfficeRtf, FootnoteBodyAndAnchor) {
  Load("footnote");
  ASSERT_NE(doc.firstFootnote, nullptr);
  EXPECT_EQ(doc.firstFootnote->next, nullptr);
  const TFootnote* fn = doc.firstFootnote;
  // LibreOffice starts the body with a tab after the citation.
  std::string body = fn->text;
  while (!body.empty() && (body.front() == '\t' || body.front() == ' ')) body.erase(0, 1);
  while (!body.empty() && (body.back() == '\t' || body.back() == ' ')) body.pop_back();
  EXPECT_EQ(body, "About ten miles.");
  // The anchor is the last character before the footnote.
  FoundText f = Find("long and");
  ASSERT_EQ(f.attrs.size(), 8u);
  EXPECT_NE(f.attrs[3].marks & cmFootnote, 0);
  EXPECT_EQ(uint16_t(f.attrs[3].extra), fn->id);
  EXPECT_EQ(fn->mark, 'g');
  EXPECT_EQ(f.attrs[3].style & csSuperscript, 0);
  EXPECT_EQ(f.attrs[4].marks & cmFootnote, 0);
  // The footnote body is not part of the text.
  FoundText none;
  EXPECT_FALSE(FindText(doc, "miles", &none));
}

TEST_F(LibreOfficeRtf, AccentedCharactersInWindows1252) {
  Load("accents");
  EXPECT_EQ(ParagraphText(NthParagraph(doc, 0)),
            "Caf\xE9, na\xEFve, \xFC" "ber, Stra\xDF" "e, fa\xE7" "ade, \xC5ngstr\xF6m.");
  EXPECT_EQ(ParagraphText(NthParagraph(doc, 1)),
            "It cost 5 \x80 \x96 \x93quoted\x94 and \x91single\x92 \x85 done \x97 yes.");
  EXPECT_EQ(ParagraphText(NthParagraph(doc, 2)),
            "Braces {and} back\\slash, \xBD \xA9 \xAE \xB0 \xB1 \xB5 \xBF \xA1 \xF1 \xD8.");
}

}  // namespace
}  // namespace quill::testing
