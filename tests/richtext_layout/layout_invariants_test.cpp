// Generated documents laid out at many widths: wrapping never loses,
// doubles or reorders text, lines stack without gaps, positions and hit
// tests agree, and places kept across a re-wrap stay on their characters.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/richtext_layout/layout_fixture.h"

namespace quill {
namespace {

using testing::LayoutFixture;

std::string ParagraphText(const TParagraph* p) {
  std::string s;
  for (const TLine* l = p->firstLine; l; l = l->next) s.append(l->Text());
  return s;
}

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // Fills F with 1..4 paragraphs of random text, formats and stops.
  std::vector<std::string> Fill(LayoutFixture& f) {
    static const char kChars[] = "aaabbbccc    \t\n.1";
    std::vector<std::string> texts;
    const int paragraphs = Pick(1, 4);
    for (int pi = 0; pi < paragraphs; ++pi) {
      if (pi > 0) f.b.Par();
      TParagraph* p = f.b.par;
      p->alignment = uint8_t(Pick(0, 3));
      p->firstIndent = Pick(0, 4) * 360;
      p->leftIndent = Pick(0, 4) * 360;
      p->rightIndent = Pick(0, 2) * 360;
      p->tabMask = 0;
      for (int t = Pick(0, 3); t > 0; --t) p->tabMask |= f.doc().FindOrAddTab(Pick(1, 40) * 144, uint8_t(Pick(0, 3)));
      std::string text;
      bool firstChunk = true;
      for (int li = Pick(1, 3); li > 0; --li) {
        if (!firstChunk) f.b.Line();
        firstChunk = false;
        for (int n = Pick(0, 40); n > 0; --n) {
          TCharAttr a = f.b.attr;
          a.size = uint8_t(Pick(0, 3) == 0 ? Pick(6, 30) : 10);
          if (Pick(0, 9) == 0) a.marks |= cmHidden;
          if (Pick(0, 9) == 0) a.style |= csBold;
          const char c = kChars[Pick(0, int(sizeof kChars) - 2)];
          f.b.Text(std::string(1, c), a);
          text += c;
        }
      }
      texts.push_back(text);
    }
    return texts;
  }

 private:
  std::mt19937 rng_;
};

TEST(LayoutInvariants, GeneratedDocumentsAtManyWidths) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE(seed);
    Generator gen(seed);
    const int window = gen.Pick(1, 400);
    LayoutFixture f(window);
    f.metrics.SetCharWidth('c', 14);
    f.metrics.SetBoldExtra(2);
    const std::vector<std::string> texts = gen.Fill(f);
    f.Layout();

    int expectedTop = 0, index = 0;
    for (TParagraph* p = f.First(); p; p = p->next, ++index) {
      ASSERT_EQ(ParagraphText(p), texts[size_t(index)]);
      for (TLine* l = p->firstLine; l; l = l->next) {
        EXPECT_EQ(l->top, expectedTop);
        expectedTop += l->height;
        const std::string_view t = l->Text();
        // Only an empty paragraph or the line after a final break is empty.
        if (t.empty()) {
          EXPECT_TRUE((l == p->firstLine && !l->next) ||
                      (l->prev && l->prev->length > 0 && l->prev->text[l->prev->length - 1] == '\n'));
        }
        // A forced break only ends a line.
        const size_t lf = t.find('\n');
        if (lf != std::string_view::npos) {
          EXPECT_EQ(lf + 1, t.size());
        }
        // Positions grow along the line and hit tests find them again.
        int lastX = f.paint.CharX(p, l, 0);
        const std::vector<int> adv = f.paint.LineAdvances(p, l);
        int last = l->length;
        if (last > 0 && l->text[last - 1] == '\n') --last;
        for (int i = 0; i < last; ++i) {
          const int x = f.paint.CharX(p, l, i);
          EXPECT_GE(x, lastX);
          lastX = x;
          if (adv[size_t(i)] > 0) {
            EXPECT_EQ(f.paint.IndexAtX(p, l, x), i);
          }
        }
        const TLineHit hit = f.paint.HitTest(-1, l->top);
        EXPECT_EQ(hit.line, l);
      }
    }
    EXPECT_EQ(f.paint.DocumentHeight(), expectedTop);

    // Re-wrap the first paragraph at another width, keeping three places.
    TParagraph* p = f.First();
    const int length = int(texts[0].size());
    int offsets[3];
    TLineSpot spots[3];
    TLineSpot* keep[3];
    for (int k = 0; k < 3; ++k) {
      offsets[k] = gen.Pick(0, length);
      spots[k] = TRTFTextPaint::SpotAtOffset(p, offsets[k]);
      keep[k] = &spots[k];
    }
    f.paint.BeginUpdate();
    f.paint.SetWindowWidth(gen.Pick(1, 400));
    f.paint.EndUpdate();
    p->layoutState |= lsWrap;
    f.paint.WrapParagraph(p, true, keep);
    EXPECT_EQ(ParagraphText(p), texts[0]);
    for (int k = 0; k < 3; ++k) {
      bool found = false;
      for (TLine* l = p->firstLine; l; l = l->next) found |= l == spots[k].line;
      ASSERT_TRUE(found);
      EXPECT_EQ(TRTFTextPaint::ParagraphOffset(p, spots[k].line, spots[k].index), offsets[k]);
    }
  }
}

TEST(LayoutInvariants, ZeroWidthRunsLongerThanALineCanHold) {
  LayoutFixture f(100);
  TCharAttr hidden = f.b.attr;
  hidden.marks |= cmHidden;
  // Two storage lines of 6000 hidden characters: one display line could not
  // hold them all.
  f.b.Text(std::string(6000, 'h'), hidden).Line().Text(std::string(6000, 'h'), hidden).Text("abc");
  f.Layout();
  size_t total = 0;
  int lines = 0;
  for (TLine* l = f.First()->firstLine; l; l = l->next, ++lines) {
    EXPECT_LE(l->capacity, kMaxLineCapacity);
    total += l->length;
  }
  EXPECT_EQ(total, 12003u);
  EXPECT_EQ(lines, 2);
}

}  // namespace
}  // namespace quill
