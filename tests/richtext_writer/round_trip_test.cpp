// What the writer stores, the reader must give back: generated documents go
// through write and read and must keep paragraphs, characters, attributes,
// fonts, page size and margins.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/rtf_writer.h"
#include "tests/richtext_writer/doc_builder.h"

namespace quill {
namespace {

using testing::DocBuilder;
using testing::TextOf;

std::string Write(const TRTFText& doc) {
  TStringWriteStream out;
  TRTFWriter w(doc, out);
  EXPECT_EQ(w.Write(), kWriteOk);
  return out.bytes;
}

// Characters the editor can hold as text: no object codes and no carriage
// return (the reader treats byte 13 as a line end of the file).
uint8_t RandomChar(std::mt19937& rng) {
  static const std::string special = "\\{}\t\n;'\"*";
  std::uniform_int_distribution<int> pick(0, 99);
  const int k = pick(rng);
  if (k < 60) return uint8_t(std::uniform_int_distribution<int>('a', 'z')(rng));
  if (k < 70) return ' ';
  if (k < 78) return uint8_t(special[size_t(std::uniform_int_distribution<int>(0, int(special.size()) - 1)(rng))]);
  if (k < 88) return uint8_t(std::uniform_int_distribution<int>(0x80, 0xFF)(rng));
  if (k < 92) {
    const int c = std::uniform_int_distribution<int>(4, 31)(rng);
    return c == 13 ? 'r' : uint8_t(c);
  }
  return uint8_t(std::uniform_int_distribution<int>(32, 126)(rng));
}

TCharAttr RandomAttr(std::mt19937& rng, int fonts) {
  TCharAttr a{};
  a.font = uint8_t(std::uniform_int_distribution<int>(0, fonts - 1)(rng));
  a.size = uint8_t(std::uniform_int_distribution<int>(0, 3)(rng) == 0
                       ? 0
                       : std::uniform_int_distribution<int>(1, 255)(rng));
  a.SetTextColor(uint8_t(std::uniform_int_distribution<int>(0, 15)(rng)));
  a.SetBackColor(uint8_t(std::uniform_int_distribution<int>(0, 15)(rng)));
  const uint8_t styles[] = {0,       csBold,       csItalic,           csUnderline,
                            csStrikeOut, csDoubleUnderline, csSuperscript, csSubscript};
  const int n = std::uniform_int_distribution<int>(0, 3)(rng);
  for (int i = 0; i < n; ++i) a.style |= styles[std::uniform_int_distribution<int>(0, 7)(rng)];
  const uint8_t marks[] = {0, 0, 0, cmHidden, cmShadow, cmHidden | cmShadow};
  a.marks = marks[std::uniform_int_distribution<int>(0, 5)(rng)];
  return a;
}

// Text of a few runs, some of them on storage lines of their own.
void GenerateRuns(std::mt19937& rng, DocBuilder& b, int fonts) {
  const int runs = std::uniform_int_distribution<int>(0, 6)(rng);
  for (int r = 0; r < runs; ++r) {
    if (r > 0 && std::uniform_int_distribution<int>(0, 3)(rng) == 0) b.Line();
    const TCharAttr a = RandomAttr(rng, fonts);
    std::string text;
    const int len = std::uniform_int_distribution<int>(1, 30)(rng);
    for (int i = 0; i < len; ++i) text += char(RandomChar(rng));
    b.Text(text, a);
  }
}

// A table row of one to five cells spanning the text width, starting in
// the current paragraph and ending with its last cell.
void GenerateRow(std::mt19937& rng, DocBuilder& b, int fonts) {
  const int cells = std::uniform_int_distribution<int>(1, 5)(rng);
  std::vector<int> edges;
  while (int(edges.size()) < cells - 1) {
    const int e = std::uniform_int_distribution<int>(1, 254)(rng);
    if (std::find(edges.begin(), edges.end(), e) == edges.end()) edges.push_back(e);
  }
  std::sort(edges.begin(), edges.end());
  edges.push_back(255);
  int start = 0;
  for (int c = 0; c < cells; ++c) {
    if (c > 0) b.Par();
    TParagraph* cell = b.par;
    const bool last = c + 1 == cells;
    cell->flags = uint8_t(pfTableCell | (last ? pfLastCell : pfRowContinues));
    cell->tabMask = uint32_t(start) | (uint32_t(edges[size_t(c)] - start) << 8);
    start = edges[size_t(c)];
    cell->alignment = uint8_t(std::uniform_int_distribution<int>(0, 3)(rng));
    cell->leftIndent = cell->firstIndent = cell->rightIndent = 0;
    cell->spaceBefore = cell->spaceAfter = std::uniform_int_distribution<int>(0, 3)(rng) * 60;
    cell->lineSpacing = std::uniform_int_distribution<int>(0, 2)(rng) * 20;
    cell->borderFlags = cell->borderStyle = cell->borderWidth = cell->borderSpacingColor = 0;
    GenerateRuns(rng, b, fonts);
  }
}

void Generate(std::mt19937& rng, DocBuilder& b) {
  TTextHeader& h = b.doc.header;
  const int fonts = std::uniform_int_distribution<int>(1, 8)(rng);
  for (int i = 1; i < fonts; ++i) h.InternFont("Font " + std::to_string(i) + (i % 2 ? " Sans" : ""));
  h.pageWidth = std::uniform_int_distribution<int>(5000, 20000)(rng);
  h.pageHeight = std::uniform_int_distribution<int>(5000, 30000)(rng);
  h.marginLeft = std::uniform_int_distribution<int>(0, 2000)(rng);
  h.marginRight = std::uniform_int_distribution<int>(0, 2000)(rng);
  h.marginTop = std::uniform_int_distribution<int>(0, 2000)(rng);
  h.marginBottom = std::uniform_int_distribution<int>(0, 2000)(rng);
  uint32_t tabs[4] = {0, 0, 0, 0};
  tabs[1] = b.doc.FindOrAddTab(720, tkLeft) | b.doc.FindOrAddTab(2880, tkRight);
  tabs[2] = b.doc.FindOrAddTab(1440, tkCenter);
  tabs[3] = b.doc.FindOrAddTab(4000, tkDecimal) | tabs[1];

  const int paragraphs = std::uniform_int_distribution<int>(1, 12)(rng);
  for (int p = 0; p < paragraphs; ++p) {
    if (p > 0) b.Par();
    if (p > 0 && p + 1 < paragraphs && std::uniform_int_distribution<int>(0, 5)(rng) == 0) {
      GenerateRow(rng, b, fonts);
      b.Par();
    }
    TParagraph* par = b.par;
    par->alignment = uint8_t(std::uniform_int_distribution<int>(0, 3)(rng));
    par->leftIndent = std::uniform_int_distribution<int>(0, 20)(rng) * 72;
    par->firstIndent = std::uniform_int_distribution<int>(0, 20)(rng) * 72;
    par->rightIndent = std::uniform_int_distribution<int>(0, 2000)(rng);
    par->spaceBefore = std::uniform_int_distribution<int>(0, 3)(rng) * 60;
    par->spaceAfter = std::uniform_int_distribution<int>(0, 3)(rng) * 60;
    par->lineSpacing = std::uniform_int_distribution<int>(0, 2)(rng) * 20;
    par->tabMask = tabs[std::uniform_int_distribution<int>(0, 3)(rng)];
    par->flags = std::uniform_int_distribution<int>(0, 5)(rng) == 0 ? pfPageBreak : 0;
    GenerateRuns(rng, b, fonts);
  }
}

struct Flat {
  std::string text;
  std::vector<TCharAttr> attrs;
};

Flat Flatten(const TParagraph* p) {
  Flat f;
  for (const TLine* l = p->firstLine; l; l = l->next) {
    f.text.append(l->Text());
    for (int i = 0; i < l->length; ++i) f.attrs.push_back(l->attribs ? l->attribs[i] : TCharAttr{});
  }
  return f;
}

// Compares what the model promises to keep; returns the first difference.
std::string Difference(const TRTFText& a, const TRTFText& b) {
  std::ostringstream d;
  const TTextHeader& ha = a.header;
  const TTextHeader& hb = b.header;
  if (ha.pageWidth != hb.pageWidth || ha.pageHeight != hb.pageHeight ||
      ha.marginLeft != hb.marginLeft || ha.marginRight != hb.marginRight ||
      ha.marginTop != hb.marginTop || ha.marginBottom != hb.marginBottom)
    return "page size or margins";
  const TParagraph* pa = a.firstParagraph;
  const TParagraph* pb = b.firstParagraph;
  for (int n = 0; pa || pb; ++n, pa = pa->next, pb = pb->next) {
    if (!pa || !pb) return "paragraph count differs at " + std::to_string(n);
    const Flat fa = Flatten(pa), fb = Flatten(pb);
    if (fa.text != fb.text) return "text of paragraph " + std::to_string(n) + ": [" + fa.text + "] vs [" + fb.text + "]";
    for (size_t i = 0; i < fa.attrs.size(); ++i) {
      const TCharAttr& x = fa.attrs[i];
      const TCharAttr& y = fb.attrs[i];
      if (ha.FontName(x.font) != hb.FontName(y.font)) d << "font name";
      if (x.PointSize() != y.PointSize()) d << "size " << x.PointSize() << " vs " << y.PointSize();
      if (x.colors != y.colors) d << "colours";
      if (x.style != y.style) d << "style " << int(x.style) << " vs " << int(y.style);
      if (x.marks != y.marks) d << "marks " << int(x.marks) << " vs " << int(y.marks);
      if (!d.str().empty()) {
        d << " at paragraph " << n << " char " << i;
        return d.str();
      }
    }
    const uint8_t cellFlags = pfTableCell | pfLastCell | pfRowContinues;
    if ((pa->flags & cellFlags) != (pb->flags & cellFlags)) d << "cell flags";
    if (pa->IsTableCell() && pa->tabMask != pb->tabMask) d << "cell share " << pa->tabMask << " vs " << pb->tabMask;
    if (pa->alignment != pb->alignment) d << "alignment";
    if (hb.SnapToGrid(pa->leftIndent) != pb->leftIndent) d << "left indent";
    if (hb.SnapToGrid(pa->firstIndent) != pb->firstIndent) d << "first indent " << pa->firstIndent << " vs " << pb->firstIndent;
    if (pa->rightIndent != pb->rightIndent) d << "right indent";
    if (pa->spaceBefore != pb->spaceBefore) d << "space before";
    if (pa->spaceAfter != pb->spaceAfter) d << "space after";
    if (pa->lineSpacing != pb->lineSpacing) d << "line spacing";
    if ((pa->flags & pfPageBreak) != (pb->flags & pfPageBreak)) d << "page break";
    for (int t = 0; t < kTabCount && !pa->IsTableCell(); ++t) {
      const bool ina = pa->tabMask & (1u << t);
      if (!ina) continue;
      bool found = false;
      for (int u = 0; u < kTabCount; ++u)
        if ((pb->tabMask & (1u << u)) && hb.tabPositions[size_t(u)] == ha.tabPositions[size_t(t)] &&
            hb.tabKinds[size_t(u)] == ha.tabKinds[size_t(t)])
          found = true;
      if (!found) d << "tab stop " << ha.tabPositions[size_t(t)];
    }
    if (!pa->IsTableCell() && __builtin_popcount(pa->tabMask) != __builtin_popcount(pb->tabMask)) d << "tab count";
    if (!d.str().empty()) {
      d << " of paragraph " << n;
      return d.str();
    }
  }
  return "";
}

TEST(RtfRoundTrip, GeneratedDocumentsReadBackUnchanged) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    DocBuilder b;
    Generate(rng, b);
    const std::string rtf = Write(b.doc);
    TRTFText back;
    ASSERT_EQ(ReadRtfDocument(back, rtf), 0) << "seed " << seed;
    const std::string diff = Difference(b.doc, back);
    ASSERT_EQ(diff, "") << "seed " << seed << "\n" << rtf;
    // Loaded and saved again, the page gives the same RTF. (The first save
    // cuts runs where the generator cut storage lines; the reader cuts its
    // own, so the comparison starts from the page as loaded.)
    const std::string saved = Write(back);
    TRTFText again;
    ASSERT_EQ(ReadRtfDocument(again, saved), 0) << "seed " << seed;
    ASSERT_EQ(Write(again), saved) << "seed " << seed;
  }
}

// A last paragraph without text whose format is the one before it gets no
// words of its own, yet the reader gives such a paragraph the format in
// force after the closing groups; the writer must restate it.
TEST(RtfRoundTrip, EmptyLastParagraphKeepsTheFormatItShares) {
  struct Case {
    const char* what;
    void (*format)(TRTFText& doc, TParagraph& p);
  } cases[] = {
      {"indents", [](TRTFText&, TParagraph& p) { p.leftIndent = 720, p.firstIndent = 360, p.rightIndent = 144; }},
      {"alignment", [](TRTFText&, TParagraph& p) { p.alignment = alCenter; }},
      {"tab stops", [](TRTFText& d, TParagraph& p) { p.tabMask = d.FindOrAddTab(1440, tkLeft); }},
  };
  for (const Case& c : cases) {
    for (int emptyOnes = 1; emptyOnes <= 2; ++emptyOnes) {
      SCOPED_TRACE(std::string(c.what) + ", empty paragraphs at the end: " + std::to_string(emptyOnes));
      DocBuilder b;
      c.format(b.doc, *b.par);
      b.Text("Rain all day.");
      for (int i = 0; i < emptyOnes; ++i) {
        b.Par();
        c.format(b.doc, *b.par);
      }
      const std::string rtf = Write(b.doc);
      TRTFText back;
      ASSERT_EQ(ReadRtfDocument(back, rtf), 0);
      EXPECT_EQ(Difference(b.doc, back), "") << rtf;
    }
  }
}

TEST(RtfRoundTrip, RawRtfRunsAtParagraphAndDocumentEnd) {
  DocBuilder b;
  TCharAttr raw = b.doc.defaultAttr;
  raw.marks = cmRawRtf;
  b.Text("a").Text("{\\b x}", raw).Par().Text("b").Par().Text("c").Text("{\\i y}", raw);
  const std::string rtf = Write(b.doc);
  TRTFText back;
  ASSERT_EQ(ReadRtfDocument(back, rtf), 0);
  EXPECT_EQ(TextOf(back), "a{\\b x}|b|c{\\i y}") << rtf;
  const Flat first = Flatten(back.firstParagraph);
  ASSERT_EQ(first.attrs.size(), 7u);
  EXPECT_FALSE(first.attrs[0].marks & cmRawRtf);
  for (size_t i = 1; i < 7; ++i) EXPECT_TRUE(first.attrs[i].marks & cmRawRtf) << i;
  const Flat second = Flatten(back.firstParagraph->next);
  EXPECT_FALSE(second.attrs[0].marks & cmRawRtf);
}

// The character a footnote is anchored on may be any text character,
// a tab or a line break among them; it must come back as that character.
TEST(RtfRoundTrip, FootnoteAnchorsOnTabsLineBreaksAndBraces) {
  for (const char anchor : {'\t', '\n', '{', '\\', '*'}) {
    SCOPED_TRACE(int(anchor));
    DocBuilder b;
    TFootnote* note = b.doc.AddFootnote(uint8_t(anchor), 0, "note");
    TCharAttr f = b.doc.defaultAttr;
    f.marks = cmFootnote;
    f.extra = int16_t(note->id);
    b.Text("before").Text(std::string(1, anchor), f).Text("after");
    const std::string rtf = Write(b.doc);
    TRTFText back;
    ASSERT_EQ(ReadRtfDocument(back, rtf), 0);
    EXPECT_EQ(TextOf(back), "before" + std::string(1, anchor) + "after") << rtf;
    ASSERT_NE(back.firstFootnote, nullptr);
    EXPECT_EQ(back.firstFootnote->text, "note");
  }
}

TEST(RtfRoundTrip, FootnotesAndPlaceholderObjects) {
  DocBuilder b;
  TFootnote* note = b.doc.AddFootnote('*', 0, "a {braced} note");
  TTextObject* tag = b.doc.AddObject(nullptr, 2001);
  tag->placeholder = true;
  tag->width = 500;
  tag->height = 400;
  TCharAttr f = b.doc.defaultAttr;
  f.marks = cmFootnote;
  f.extra = int16_t(note->id);
  TCharAttr o = b.doc.defaultAttr;
  o.marks = cmObject;
  o.extra = 2001;
  b.Text("word").Text("*", f).Text(" pic ").Text("\x01", o).Text(" end");
  const std::string rtf = Write(b.doc);
  TRTFText back;
  ASSERT_EQ(ReadRtfDocument(back, rtf), 0);
  EXPECT_EQ(TextOf(back), "word* pic \x01 end") << rtf;
  ASSERT_NE(back.firstFootnote, nullptr);
  EXPECT_EQ(back.firstFootnote->text, "a {braced} note");
  EXPECT_EQ(back.firstFootnote->mark, '*');
  const TTextObject* obj = back.FindObject(2001, 0);
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->width, 500);
  EXPECT_EQ(obj->height, 400);
}

// The parameters of all control words in the RTF, as the reader would see
// them (pictures' hexadecimal data and escaped symbols skipped).
std::vector<long long> Parameters(const std::string& rtf) {
  std::vector<long long> v;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] != '\\' || i + 1 >= rtf.size()) continue;
    ++i;
    if (rtf[i] == '\'') {
      i += 2;
      continue;
    }
    if (rtf[i] < 'a' || rtf[i] > 'z') continue;
    while (i < rtf.size() && rtf[i] >= 'a' && rtf[i] <= 'z') ++i;
    const size_t start = i;
    if (i < rtf.size() && rtf[i] == '-') ++i;
    while (i < rtf.size() && rtf[i] >= '0' && rtf[i] <= '9') ++i;
    if (i > start) v.push_back(std::stoll(rtf.substr(start, i - start)));
    --i;
  }
  return v;
}

// A page with extreme sizes, margins and indents, and a table on it: the
// cell edges, indent differences and picture row sizes computed from them
// must stay numbers the reader takes, or the next load ends at them.
TEST(RtfRoundTrip, ComputedNumbersStayWithinWhatTheReaderTakes) {
  struct Case {
    const char* what;
    int32_t pageWidth, marginLeft, marginRight, leftIndent, firstIndent, rightIndent;
  } cases[] = {
      {"wide page", INT32_MAX, INT32_MIN, INT32_MIN, 0, 0, 0},
      {"narrow page", INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0},
      {"indents", 12240, 1880, 1880, INT32_MAX, INT32_MIN, INT32_MIN},
      {"negative indents", 12240, 1880, 1880, INT32_MIN, INT32_MAX, INT32_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DocBuilder b;
    TTextHeader& h = b.doc.header;
    h.pageWidth = c.pageWidth;
    h.marginLeft = c.marginLeft;
    h.marginRight = c.marginRight;
    b.par->leftIndent = c.leftIndent;
    b.par->firstIndent = c.firstIndent;
    b.par->rightIndent = c.rightIndent;
    b.Text("intro").Par();
    b.par->flags = pfTableCell | pfRowContinues;
    b.par->tabMask = 100u << 8;
    b.Text("A").Par();
    b.par->flags = pfTableCell | pfLastCell;
    b.par->tabMask = 100u | (155u << 8);
    b.Text("B").Par();
    b.par->flags = 0;
    b.par->tabMask = 0;
    b.par->leftIndent = b.par->firstIndent = b.par->rightIndent = 0;
    auto pic = std::make_unique<TPicture>();
    pic->kind = pkDib;
    pic->pixelWidth = INT32_MAX;
    pic->bitsPerPixel = 32;
    pic->data = {1, 2, 3};
    TTextObject* o = b.doc.AddObject(std::move(pic), -1);
    TCharAttr oa = b.doc.defaultAttr;
    oa.marks = cmObject;
    oa.extra = int16_t(o->key);
    b.Text("\x01", oa).Text("rest of the page");
    const std::string rtf = Write(b.doc);
    for (long long v : Parameters(rtf)) {
      EXPECT_GE(v, INT32_MIN);
      EXPECT_LE(v, INT32_MAX);
    }
    TRTFText back;
    EXPECT_EQ(ReadRtfDocument(back, rtf), 0) << rtf;
    EXPECT_EQ(TextOf(back), "intro|A|B|\x01rest of the page");
  }
}

// Page and margins are any 32-bit numbers after a load; the text width
// derived from them must not wrap around.
TEST(RtfRoundTrip, TextSizeOfAnExtremePage) {
  TTextHeader h;
  h.resolutionX = h.resolutionY = 96;
  h.pageWidth = INT32_MAX;
  h.marginLeft = INT32_MIN;
  h.marginRight = 0;
  h.pageHeight = INT32_MIN;
  h.marginTop = INT32_MAX;
  h.marginBottom = 0;
  h.RecomputeTextSize();
  EXPECT_EQ(h.textWidthPixels, int32_t(int64_t(INT32_MAX) * 96 / 1440));
  EXPECT_EQ(h.textHeightPixels, int32_t(int64_t(INT32_MIN) * 96 / 1440));
}

// The right edges of all cells, in the order written.
std::vector<long long> CellEdges(const std::string& rtf) {
  std::vector<long long> v;
  for (size_t at = rtf.find("\\cellx"); at != std::string::npos; at = rtf.find("\\cellx", at + 1))
    v.push_back(std::stoll(rtf.substr(at + 6, 12)));
  return v;
}

// Each save and load must give back the same cell edges; rounding down on
// both sides moved them left by about a share (33 twips) on every save.
TEST(RtfRoundTrip, TableEdgesStayPutOverSaves) {
  const struct {
    const char* what;
    const char* rtf;
  } cases[] = {
      {"three equal columns from LibreOffice",
       "{\\rtf1\\paperw11906\\paperh16838\\margl1134\\margr1134 \\trowd\\trgaph108\\trleft0"
       "\\cellx3213\\cellx6426\\cellx9638\\pard\\intbl a\\cell b\\cell c\\cell\\row\\pard after}"},
      {"uneven columns with a left indent",
       "{\\rtf1 \\trowd\\trleft500\\cellx1000\\cellx1513\\cellx7777\\cellx9000\\intbl a\\cell b\\cell c\\cell d\\cell"
       "\\row\\pard after}"},
      {"two rows",
       "{\\rtf1 \\trowd\\cellx2000\\cellx4001\\intbl a\\cell b\\cell\\row"
       "\\trowd\\cellx1111\\cellx3333\\cellx6999\\intbl c\\cell d\\cell e\\cell\\row\\pard after}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TRTFText doc;
    ASSERT_EQ(ReadRtfDocument(doc, c.rtf), 0);
    const std::string text = TextOf(doc);
    const std::string first = Write(doc);
    const std::vector<long long> edges = CellEdges(first);
    ASSERT_FALSE(edges.empty()) << first;
    for (int save = 2; save <= 4; ++save) {
      TRTFText back;
      ASSERT_EQ(ReadRtfDocument(back, Write(doc)), 0);
      EXPECT_EQ(TextOf(back), text);
      EXPECT_EQ(CellEdges(Write(back)), edges) << "save " << save << "\n" << first;
      for (const TParagraph *p = doc.firstParagraph, *q = back.firstParagraph; p && q; p = p->next, q = q->next)
        EXPECT_EQ(p->tabMask, q->tabMask) << "save " << save;
      ASSERT_EQ(ReadRtfDocument(doc, Write(back)), 0);
    }
  }
}

}  // namespace
}  // namespace quill
