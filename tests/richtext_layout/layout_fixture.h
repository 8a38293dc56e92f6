#pragma once
// A document laid out with fixed widths: at 96 pixels per inch and 10 points
// every character is 10 pixels wide and 16 high (ascent 13), and a window of
// AVAILABLE + 1 pixels leaves AVAILABLE pixels for a line without indents.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "richtext/layout/fixed_font_metrics.h"
#include "richtext/layout/text_paint.h"
#include "tests/richtext_writer/doc_builder.h"

namespace quill::testing {

class LayoutFixture {
 public:
  explicit LayoutFixture(int available = 100) : metrics(10, 16, 13), paint(b.doc, metrics) {
    paint.BeginUpdate();
    paint.SetResolution(96, 96);
    paint.SetWindowWidth(available + 1);
    paint.EndUpdate();
  }
  TRTFText& doc() { return b.doc; }
  TParagraph* First() { return b.doc.firstParagraph; }
  TParagraph* Nth(int n) {
    TParagraph* p = b.doc.firstParagraph;
    while (n-- > 0 && p) p = p->next;
    return p;
  }
  void Layout() { paint.RelayoutAll(); }

  DocBuilder b;
  TFixedFontMetrics metrics;
  TRTFTextPaint paint;
};

inline std::vector<std::string> LinesOf(const TParagraph* p) {
  std::vector<std::string> out;
  for (const TLine* l = p->firstLine; l; l = l->next) out.emplace_back(l->Text());
  return out;
}

inline TLine* LineAt(const TParagraph* p, int n) {
  TLine* l = p->firstLine;
  while (n-- > 0 && l) l = l->next;
  return l;
}

}  // namespace quill::testing
