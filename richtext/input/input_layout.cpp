#include "richtext/input/input_layout.h"

#include <algorithm>
#include <cstdlib>

namespace quill {

int TInputLayout::CharWidth(const TRTFText& doc, const TLine& line, int index) {
  if (line.attribs) return line.attribs[index].width;
  return doc.widthTable[line.text[index]];
}

int TInputLayout::CharX(const TRTFText& doc, const TParagraph& paragraph, const TLine& line, int index) {
  int x = LineStartX(paragraph, line);
  index = std::clamp(index, 0, int(line.length));
  for (int i = 0; i < index; ++i) x += CharWidth(doc, line, i);
  return x;
}

int TInputLayout::IndexAtX(const TRTFText& doc, const TParagraph& paragraph, const TLine& line, int x) {
  int left = LineStartX(paragraph, line);
  for (int i = 0; i < line.length; ++i) {
    const int w = CharWidth(doc, line, i);
    // Before the character while x lies in its left half.
    if (x < left + (w + 1) / 2) return i;
    left += w;
  }
  return line.length;
}

int TInputLayout::DocumentHeight(const TRTFText& doc) {
  int height = 0;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next)
    for (const TLine* l = p->firstLine; l; l = l->next) height = std::max(height, l->top + int(l->height));
  return height;
}

}  // namespace quill
