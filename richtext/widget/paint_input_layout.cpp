#include "richtext/widget/paint_input_layout.h"

#include <algorithm>

namespace quill {

int TPaintInputLayout::Relayout(TParagraph& paragraph) {
  const int top = paragraph.firstLine ? paragraph.firstLine->top : 0;
  const int result = paint_.WrapParagraph(&paragraph, true);
  changes_.largest = std::max(changes_.largest, result);
  if (result >= wcLineHeight) {
    // The lines after this paragraph move: give them their new tops now, so
    // that vertical moves and the caret see them where they are drawn.
    paint_.Paginate();
    changes_.movedFromY = changes_.movedFromY < 0 ? top : std::min(changes_.movedFromY, top);
  }
  return result;
}

int TPaintInputLayout::LineStartX(const TParagraph& paragraph, const TLine& line) {
  return paint_.LineStartX(&paragraph, &line);
}

int TPaintInputLayout::CharX(const TRTFText&, const TParagraph& paragraph, const TLine& line, int index) {
  return paint_.CharX(&paragraph, &line, index);
}

int TPaintInputLayout::IndexAtX(const TRTFText&, const TParagraph& paragraph, const TLine& line, int x) {
  return paint_.IndexAtX(&paragraph, &line, x);
}

int TPaintInputLayout::DocumentHeight(const TRTFText&) { return paint_.DocumentHeight(); }

TPaintInputLayout::Changes TPaintInputLayout::TakeChanges() {
  const Changes c = changes_;
  changes_ = {};
  return c;
}

}  // namespace quill
