#pragma once
// The editor's keyboard side: the cursor, the selection and the typing
// attribute; movement commands; typed characters, Backspace, Delete, Enter
// and page breaks; the clipboard keys; undo and redo. Every change goes
// through the document's edit primitives.
//
// The cursor is kept as a paragraph offset (plus which side of a line break
// it shows on), so that layout may re-flow the paragraph's lines at any time.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "richtext/input/clipboard_port.h"
#include "richtext/input/input_keys.h"
#include "richtext/input/input_layout.h"
#include "richtext/input/undo_history.h"
#include "richtext/model/rtf_text.h"

namespace quill {

// Preferred x meaning "the end of whatever line".
inline constexpr int kLineEndX = 9999;

// Windows-1252 alphanumeric test used by word moves.
bool IsAlphaNumeric1252(uint8_t c);

class TRTFTextInput {
 public:
  // layout and clipboard may be null (widths from the attributes, no
  // clipboard); both must outlive this object when given.
  explicit TRTFTextInput(TRTFText& document, TInputLayout* layout = nullptr, TClipboardPort* clipboard = nullptr);

  // ---- state -----------------------------------------------------------------
  // The cursor on its display line.
  TDocPos Cursor();
  // The cursor as a paragraph offset.
  TTextPos CursorPos();
  int preferredX = 0;
  bool Inserting = true;
  bool readOnly = false;
  bool wantTabs = true;
  // Marks of characters that typing must not replace or split (empty in the
  // diary).
  uint8_t protectedMarks = 0;
  TCharAttr typingAttr{};
  // Scroll position and size of the view in pixels, for page moves.
  int viewTop = 0;
  int viewLeft = 0;
  int viewHeight = 0;

  bool HasSelection();
  // The selection's ends in document order.
  TTextPos SelectionStart();
  TTextPos SelectionEnd();
  // Sets a selection (mouse, find); the cursor goes to `end`.
  void SetSelection(TTextPos anchor, TTextPos end);
  void RemoveSelection();
  // Selects the whole document, the cursor at its end.
  void SelectAll();
  // Puts the cursor at a place (mouse, find, the application); with
  // atLineEnd it shows at the end of a wrapped line rather than the start of
  // the next one.
  void SetCursor(TTextPos pos, bool atLineEnd = false);
  // Back to the start of a new document: cursor, selection and undo history.
  void Reset();
  // Makes attr the attribute for typing and applies it to the selection
  // (font, colours, style, marks, size); false when read only.
  bool SetCurrentAttributes(const TCharAttr& attr);

  // ---- events ----------------------------------------------------------------
  // The application's key hook: runs first; setting the key to None stops it.
  std::function<void(TKey& key, TModifiers modifiers)> OnKeyDown;
  std::function<void()> CtrlTabPressed;
  std::function<void()> ShiftTabPressed;
  std::function<void()> SaveForUNDO;
  // The typing attribute changed after a cursor move (for a toolbar).
  std::function<void(const TCharAttr&)> onTypingAttrChanged;

  // ---- movement (shift extends the selection) ----------------------------------
  void LineStart(bool shift = false);
  void LineEnd(bool shift = false);
  void DocumentStart(bool shift = false);
  void DocumentEnd(bool shift = false);
  void CharLeft(bool shift = false);
  void CharRight(bool shift = false);
  void WordLeft(bool shift = false);
  void WordRight(bool shift = false);
  void LineUp(bool shift = false);
  void LineDown(bool shift = false);
  void PageUp(bool shift = false);
  void PageDown(bool shift = false);
  // Scrolls the view by a page without moving the cursor.
  void ScrollPage(bool down);

  // ---- editing -------------------------------------------------------------------
  // Inputs each character in turn (8 Backspace, 127 Delete, 12 page break,
  // 13 Enter, others typed). Returns true when the document changed.
  bool InputText(std::string_view text);
  bool InputChar(uint8_t ch);
  // Whether the last input moved lines or broke one, so that more than the
  // cursor's line needs repainting.
  bool NeedsFullRepaint() const { return repaintAll_; }

  // ---- keys ------------------------------------------------------------------------
  // A key press; a consumed key gets no character event after it.
  TKeyResult KeyDown(TKey key, TModifiers modifiers);
  // A character event (the widget's text for keys KeyDown left alone).
  TKeyResult KeyPress(uint8_t ch);

  // ---- clipboard and history -----------------------------------------------------
  bool Copy();
  bool Cut();
  bool Paste();
  bool Undo();
  bool Redo();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // Records the document before an edit made outside this layer (a
  // replacement, a paragraph format), as one undo step. An edit that frees
  // paragraphs keeps the history; the caller then puts the cursor with
  // SetCursor or SetSelection.
  void BeforeExternalEdit();
  TUndoHistory& History() { return history_; }

 private:
  // Makes sure the cursor and selection do not point into freed paragraphs
  // (the document was cleared or reloaded elsewhere).
  void Sync();
  void AfterOwnEdit();
  void Place(const TDocPos& pos);
  // Selection bookkeeping around a movement.
  void BeginMove(bool shift);
  void EndMove(bool shift);
  void UpdateTypingAttr();
  int XOf(const TDocPos& pos);
  int IndexAt(TParagraph* p, TLine* l, int x);
  bool Editable() const { return !readOnly; }
  bool StepLeft(TDocPos& pos);
  bool StepRight(TDocPos& pos);
  bool ZeroWidthAt(const TDocPos& pos) const;
  void MoveToLine(TParagraph* p, TLine* l);
  // Page Up or Page Down: scrolls a page and puts the cursor on the line at
  // the same height in the view.
  void MovePage(bool down, bool shift);
  TLine* LineAtY(int y, TParagraph*& paragraph);

  // Steps of character input.
  bool Backspace();
  bool DeleteForward();
  bool PageBreak();
  bool Enter();
  bool Type(uint8_t ch);
  // Inserts (or overwrites with) one typed character at the cursor with the
  // typing attribute and moves behind it; false when refused.
  bool InsertTyped(uint8_t ch, bool inserting);
  bool DeleteSelection();
  // Deletes the selection as one undo step, as Delete and Cut do.
  bool DeleteSelectedText();
  void RelayoutMarked();
  void MaybeSaveForUndo(bool always);
  // One undo (or redo) step, with the cursor put where the step left it.
  bool StepHistory(bool redo);
  void RecordEdit(TEditKind kind, bool wordStart = false);
  bool Protected(const TDocPos& pos, bool inserting) const;
  // Typing inserts nothing here: hidden typing attribute or protected text.
  bool Refused(const TDocPos& pos, bool inserting) const;

  TRTFText& doc_;
  TInputLayout* layout_;
  TInputLayout defaultLayout_;
  TClipboardPort* clipboard_;
  TUndoHistory history_;
  uint64_t generation_ = 0;
  // Set by BeforeExternalEdit until the caller places the cursor or this
  // layer edits: paragraphs freed meanwhile are that edit's, not a reload.
  bool externalEdit_ = false;

  TTextPos cursor_;
  bool atLineEnd_ = false;
  bool hasSelection_ = false;
  bool anchorSet_ = false;
  TTextPos anchor_;
  TTextPos selectionEnd_;
  // Paragraph of the previous character input, for SaveForUNDO.
  const TParagraph* lastInputParagraph_ = nullptr;
  uint8_t lastTyped_ = 0;
  // Set by an input step that moved a line or broke one: the whole view
  // needs repainting.
  bool repaintAll_ = false;
};

}  // namespace quill
