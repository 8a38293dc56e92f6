#pragma once
// Builds small documents for the model, writer and finder tests.

#include <string>
#include <string_view>

#include "richtext/model/rtf_text.h"

namespace quill::testing {

class DocBuilder {
 public:
  DocBuilder() {
    doc.ClearDocument();
    par = doc.firstParagraph;
    attr = doc.defaultAttr;
  }
  // Appends text to the last line of the current paragraph.
  DocBuilder& Text(std::string_view s) {
    TLine* l = doc.Get_LastLine(par);
    for (char c : s) doc.AppendChar(l, uint8_t(c), attr);
    return *this;
  }
  DocBuilder& Text(std::string_view s, const TCharAttr& a) {
    TCharAttr keep = attr;
    attr = a;
    Text(s);
    attr = keep;
    return *this;
  }
  // Starts another storage line in the same paragraph.
  DocBuilder& Line() {
    doc.NewLine(doc.Get_LastLine(par), 40);
    return *this;
  }
  DocBuilder& Par() {
    par = doc.NewParagraph(par, 40);
    return *this;
  }
  TRTFText doc;
  TParagraph* par;
  TCharAttr attr;
};

// Builds a document from a short notation: '|' separates paragraphs, '^'
// starts another line in the same paragraph.
inline void Build(DocBuilder& b, std::string_view notation) {
  std::string run;
  for (char c : notation) {
    if (c == '|' || c == '^') {
      b.Text(run);
      run.clear();
      if (c == '|') b.Par(); else b.Line();
    } else {
      run += c;
    }
  }
  b.Text(run);
}

// The paragraphs' texts joined with '|'.
inline std::string TextOf(const TRTFText& doc) {
  std::string s;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    if (p != doc.firstParagraph) s += '|';
    for (const TLine* l = p->firstLine; l; l = l->next) s.append(l->Text());
  }
  return s;
}

}  // namespace quill::testing
