#pragma once
// The editor control as the Find and Replace dialogs see it: the control's
// dialog finder, its caret and selection, and the control's own scrolling,
// repainting and change notification.

#include "richtext/widget/find_target.h"

namespace quill {

class TRichText;

class TRichTextFindTarget : public TFindTarget {
 public:
  explicit TRichTextFindTarget(TRichText& editor) : editor_(editor) {}

  TTextFinder& DialogFinder() override;
  int CursorPosition() override;
  TFindRange Selection() override;
  void Select(int start, int length, bool cursorAtEnd) override;
  void ScrollCursorIntoView() override;
  bool CanEdit() override;
  void BeforeReplace() override;
  void RefreshAfterReplace() override;
  void Changed() override;
  bool EscapeHeld() override { return EscapePressedMeanwhile(); }

 private:
  TRichText& editor_;
};

}  // namespace quill
