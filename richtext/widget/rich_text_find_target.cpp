#include "richtext/widget/rich_text_find_target.h"

#include "richtext/widget/rich_text.h"

namespace quill {

TTextFinder& TRichTextFindTarget::DialogFinder() { return editor_.Finder(); }

int TRichTextFindTarget::CursorPosition() { return InputCursorPosition(editor_.doc_, editor_.input_); }

TFindRange TRichTextFindTarget::Selection() { return InputSelection(editor_.doc_, editor_.input_); }

void TRichTextFindTarget::Select(int start, int length, bool cursorAtEnd) {
  const TRichText::ViewState before = editor_.Snapshot();
  SelectInInput(editor_.doc_, editor_.input_, start, length, cursorAtEnd);
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
