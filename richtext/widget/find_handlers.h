#pragma once
// What the Find and Replace dialogs' buttons do to the editor that opened
// them, and the editor's own text search. Plain logic over TFindTarget; the
// dialogs add the window and the messages.
//
// Patterns and replacements are Windows-1252 bytes; an asterisk in a pattern
// stands for any text within a paragraph.

#include <string>
#include <string_view>

#include "richtext/widget/find_target.h"

namespace quill {

struct TFindOptions {
  std::string text;
  std::string replacement;
  bool wholeWord = false;
  bool matchCase = false;
  bool up = false;  // search towards the document's start
};

// Find Next: searches from the cursor (from the selection's far end in the
// chosen direction) and selects the match, the cursor at its end (down) or
// start (up). False when nothing (more) is found.
bool FindHandler(TFindTarget& target, const TFindOptions& options);

enum class TReplaceResult {
  Replaced,   // the selected match was replaced
  FoundNext,  // the selection was no match; the next match is now selected
  NotFound,   // no match selected and none further
  ReadOnly,   // the editor may not be edited
  Failed,     // the replacement could not be held; the document is unchanged
};

// Replace: replaces the selection when it is a match of the options' text,
// selecting the replacement; otherwise looks for the next match as Find Next
// does.
TReplaceResult ReplaceHandler(TFindTarget& target, const TFindOptions& options);

struct TReplaceAllResult {
  int count = 0;         // replacements made
  bool stopped = false;  // Escape ended the run early
  bool readOnly = false;
};

// Replace All: replaces every match from the selection's start (or the
// cursor) to the document's end, in batches that Escape can stop between.
TReplaceAllResult ReplaceAllHandler(TFindTarget& target, const TFindOptions& options);

// The editor's programmatic search: from the document's start (forward) or
// end (backward) with the case and whole-word options a dialog last set.
// Selects the match, the cursor at its end (forward) or start (backward),
// and scrolls it into view.
bool FindText(TFindTarget& target, std::string_view text, bool backward);

}  // namespace quill
