#include "richtext/widget/rich_text_find_target.h"

#include "richtext/widget/rich_text.h"

namespace quill {

TTextFinder& TRichTextFindTarget::DialogFinder() { return editor_.Finder(); }

int TRichTextFindTarget::CursorPosition() { return FinderPosition(editor_.doc_, editor_.input_.CursorPos()); }

TFindRange TRichTextFindTarget::Selection() {
  TRTFTextInput& input = editor_.input_;
  if (!input.HasSelection()) return {CursorPosition(), 0};
  const int start = FinderPosition(editor_.doc_, input.SelectionStart());
  const int end = FinderPosition(editor_.doc_, input.SelectionEnd());
  return {start, end - start};
}

void TRichTextFindTarget::Select(int start, int length, bool cursorAtEnd) {
  const TRichText::ViewState before = editor_.Snapshot();
  const TTextPos from = TextPosition(editor_.doc_, start);
  if (length <= 0) {
    editor_.input_.SetCursor(from);
  } else {
    const TTextPos to = TextPosition(editor_.doc_, start + length);
    if (cursorAtEnd) {
      editor_.input_.SetSelection(from, to);
    } else {
      editor_.input_.SetSelection(to, from);
    }
  }
  editor_.AfterCommand(before, false);
}

void TRichTextFindTarget::ScrollCursorIntoView() { editor_.EnsureCaretVisible(); }

bool TRichTextFindTarget::CanEdit() { return editor_.CanEdit(); }

void TRichTextFindTarget::BeforeReplace() {
  editor_.input_.BeforeExternalEdit();
  // The lines are stale until the refresh; a replace-all lets paint events
  // through while it polls for Escape.
  editor_.BeginUpdate();
}

void TRichTextFindTarget::RefreshAfterReplace() {
  // Ends the update begun before the replacement, which lays the document
  // out again and repaints it.
  editor_.EndUpdate();
  editor_.NoteCaretFormat();
}

void TRichTextFindTarget::Changed() { editor_.Changed(); }

}  // namespace quill
