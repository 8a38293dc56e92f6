#pragma once
// Places in a document. Edits work on paragraph offsets, which survive the
// layout layer re-flowing a paragraph's lines; the cursor is shown on a line.

#include "richtext/model/paragraph.h"

namespace quill {

// A character offset within a paragraph, counted across its lines.
struct TTextPos {
  TParagraph* paragraph = nullptr;
  int position = 0;

  bool operator==(const TTextPos&) const = default;
};

// A place on one line: index 0 is before the line's first character, the
// line's length after its last.
struct TDocPos {
  TParagraph* paragraph = nullptr;
  TLine* line = nullptr;
  int index = 0;

  bool operator==(const TDocPos&) const = default;
};

}  // namespace quill
