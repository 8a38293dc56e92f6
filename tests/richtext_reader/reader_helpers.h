#pragma once
// Small helpers shared by the reader tests.

#include <string>
#include <string_view>
#include <vector>

#include "richtext/io/rtf_reader.h"
#include "richtext/io/rtf_text_io.h"

namespace quill::test {

inline std::string TextOf(const TParagraph* p) {
  std::string s;
  for (const TLine* l = p->firstLine; l; l = l->next) s.append(l->Text());
  return s;
}

inline std::vector<std::string> Paragraphs(const TRTFText& doc) {
  std::vector<std::string> v;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) v.push_back(TextOf(p));
  return v;
}

inline std::vector<const TParagraph*> ParagraphList(const TRTFText& doc) {
  std::vector<const TParagraph*> v;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) v.push_back(p);
  return v;
}

// Attribute of the n-th character of a paragraph.
inline const TCharAttr& AttrAt(const TParagraph* p, int n) {
  for (const TLine* l = p->firstLine; l; l = l->next) {
    if (n < l->length) return l->attribs[n];
    n -= l->length;
  }
  static TCharAttr none;
  return none;
}

// Reads RTF into a fresh document laid out at 96 pixels per inch.
struct Loaded {
  TRTFText doc;
  int result = -1;
  std::string error;
  explicit Loaded(std::string_view rtf, int resolution = 96) {
    doc.header.resolutionX = doc.header.resolutionY = resolution;
    TRTFTextIo io(doc);
    result = io.ReadRTF(rtf);
    error = io.lastError;
  }
  std::string Text() const {
    std::string s;
    for (const auto& p : Paragraphs(doc)) {
      if (!s.empty()) s += '|';
      s += p;
    }
    return s;
  }
  const TParagraph* Par(int n) const {
    const TParagraph* p = doc.firstParagraph;
    while (p && n-- > 0) p = p->next;
    return p;
  }
};

}  // namespace quill::test
