#pragma once
// Binds the editing layer's geometry questions to the layout layer: a
// paragraph typed in is wrapped again by layout (comparing, so that only
// what changed needs repainting), and caret positions come from the laid-out
// advances (tabs and justified spaces included).

#include "richtext/input/input_layout.h"
#include "richtext/layout/text_paint.h"

namespace quill {

class TPaintInputLayout : public TInputLayout {
 public:
  explicit TPaintInputLayout(TRTFTextPaint& paint) : paint_(paint) {}

  int Relayout(TParagraph& paragraph) override;
  int LineStartX(const TParagraph& paragraph, const TLine& line) override;
  int CharX(const TRTFText& doc, const TParagraph& paragraph, const TLine& line, int index) override;
  int IndexAtX(const TRTFText& doc, const TParagraph& paragraph, const TLine& line, int x) override;
  int DocumentHeight(const TRTFText& doc) override;

  // What the re-layouts since the last call changed: the largest compare
  // result and the highest top of a paragraph whose height changed (lines
  // below it moved). Resets the record.
  struct Changes {
    int largest = wcNone;
    int movedFromY = -1;  // -1: no line moved
  };
  Changes TakeChanges();

 private:
  TRTFTextPaint& paint_;
  Changes changes_;
};

}  // namespace quill
