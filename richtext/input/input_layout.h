#pragma once
// What the editing layer needs from layout: re-flowing a paragraph after an
// edit, and pixel geometry of display lines for vertical moves. The layout
// layer implements it; without one, positions come from the measured
// character widths and lines stay as they are.

#include "richtext/model/rtf_text.h"

namespace quill {

class TInputLayout {
 public:
  virtual ~TInputLayout() = default;

  // Measures and wraps a paragraph marked for layout again. Returns 0 when
  // nothing changed, 1 when lines changed, 2 when a line's height changed,
  // 3 when the paragraph's height changed (line tops then follow).
  virtual int Relayout(TParagraph& paragraph) { (void)paragraph; return 0; }
  // Pixel x of the line's first character.
  virtual int LineStartX(const TParagraph& paragraph, const TLine& line) {
    (void)paragraph;
    (void)line;
    return 0;
  }
  // Pixel x of the place before character index of the line.
  virtual int CharX(const TRTFText& doc, const TParagraph& paragraph, const TLine& line, int index);
  // The index of the line whose place is nearest to pixel x.
  virtual int IndexAtX(const TRTFText& doc, const TParagraph& paragraph, const TLine& line, int x);
  // Height of the laid-out document in pixels.
  virtual int DocumentHeight(const TRTFText& doc);

 protected:
  // Width of one character: its laid-out width, or the width table's in
  // fmPlainText.
  static int CharWidth(const TRTFText& doc, const TLine& line, int index);
};

}  // namespace quill
