#include "richtext/input/rtf_text_input.h"

#include <algorithm>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/text_save.h"
#include "richtext/io/write_stream.h"

namespace quill {

namespace {

// Marks a typing attribute loses after a cursor move: they belong to the
// character they were read from, not to new text.
constexpr uint8_t kCharacterOnlyMarks = cmHidden | cmFootnote | cmInsertPoint | cmAutomatic | cmObject | 0x80;

constexpr uint8_t kTableFlags = pfTableCell | pfLastCell | pfRowContinues;

int LineOrdinal(const TParagraph* p, const TLine* line) {
  int n = 0;
  for (const TLine* l = p->firstLine; l && l != line; l = l->next) ++n;
  return n;
}

}  // namespace

bool IsAlphaNumeric1252(uint8_t c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
      return true;
    default:
      return c >= 0xC0 && c != 0xD7 && c != 0xF7;
  }
}

TRTFTextInput::TRTFTextInput(TRTFText& document, TInputLayout* layout, TClipboardPort* clipboard)
    : doc_(document), layout_(layout ? layout : &defaultLayout_), clipboard_(clipboard) {
  Reset();
}

// ---- state ---------------------------------------------------------------------

void TRTFTextInput::Reset() {
  generation_ = doc_.Generation();
  externalEdit_ = false;
  cursor_ = {doc_.firstParagraph, 0};
  atLineEnd_ = false;
  hasSelection_ = false;
  anchorSet_ = false;
  preferredX = 0;
  viewTop = 0;
  viewLeft = 0;
  lastInputParagraph_ = nullptr;
  lastTyped_ = 0;
  history_.Clear();
  typingAttr = doc_.defaultAttr;
  UpdateTypingAttr();
}

void TRTFTextInput::Sync() {
  if (doc_.Generation() != generation_ && externalEdit_ && cursor_.paragraph) {
    // The edit announced by BeforeExternalEdit freed paragraphs: its undo
    // step and the ones before stay; the cursor and selection may point
    // into freed paragraphs, and the caller puts the cursor anew.
    externalEdit_ = false;
    generation_ = doc_.Generation();
    RemoveSelection();
    cursor_ = {doc_.firstParagraph, 0};
    atLineEnd_ = false;
    lastInputParagraph_ = nullptr;
    return;
  }
  if (doc_.Generation() != generation_ || !cursor_.paragraph) {
    // The document was cleared or reloaded behind this layer's back.
    Reset();
    return;
  }
  // Text may have been replaced elsewhere (find and replace): stay inside.
  cursor_.position = std::clamp(cursor_.position, 0, cursor_.paragraph->TextLength());
  if ((hasSelection_ || anchorSet_) && anchor_.paragraph && selectionEnd_.paragraph) {
    anchor_.position = std::clamp(anchor_.position, 0, anchor_.paragraph->TextLength());
    selectionEnd_.position = std::clamp(selectionEnd_.position, 0, selectionEnd_.paragraph->TextLength());
  }
}

TDocPos TRTFTextInput::Cursor() {
  Sync();
  return doc_.PositionAt(cursor_.paragraph, cursor_.position, atLineEnd_);
}

TTextPos TRTFTextInput::CursorPos() {
  Sync();
  return cursor_;
}

void TRTFTextInput::Place(const TDocPos& pos) {
  cursor_ = {pos.paragraph, TRTFText::OffsetOf(pos)};
  atLineEnd_ = pos.index > 0 && pos.index == pos.line->length && pos.line->next;
}

bool TRTFTextInput::HasSelection() {
  Sync();
  return hasSelection_ && !(anchor_ == selectionEnd_);
}

TTextPos TRTFTextInput::SelectionStart() {
  Sync();
  return doc_.Precedes(selectionEnd_, anchor_) ? selectionEnd_ : anchor_;
}

TTextPos TRTFTextInput::SelectionEnd() {
  Sync();
  return doc_.Precedes(selectionEnd_, anchor_) ? anchor_ : selectionEnd_;
}

void TRTFTextInput::SetSelection(TTextPos anchor, TTextPos end) {
  Sync();
  externalEdit_ = false;  // the caller's placement after its edit ends it
  if (!anchor.paragraph || !end.paragraph) return;
  anchor.position = std::clamp(anchor.position, 0, anchor.paragraph->TextLength());
  end.position = std::clamp(end.position, 0, end.paragraph->TextLength());
  anchor_ = anchor;
  selectionEnd_ = end;
  hasSelection_ = true;
  anchorSet_ = true;
  cursor_ = end;
  atLineEnd_ = false;
  preferredX = XOf(Cursor());
  UpdateTypingAttr();
}

void TRTFTextInput::RemoveSelection() {
  hasSelection_ = false;
  anchorSet_ = false;
}

void TRTFTextInput::SelectAll() {
  Sync();
  TParagraph* last = doc_.LastParagraph();
  SetSelection({doc_.firstParagraph, 0}, {last, last->TextLength()});
}

void TRTFTextInput::SetCursor(TTextPos pos, bool atLineEnd) {
  Sync();
  externalEdit_ = false;  // the caller's placement after its edit ends it
  if (!pos.paragraph) return;
  RemoveSelection();
  cursor_ = {pos.paragraph, std::clamp(pos.position, 0, pos.paragraph->TextLength())};
  atLineEnd_ = atLineEnd;
  preferredX = XOf(Cursor());
  UpdateTypingAttr();
}

void TRTFTextInput::UpdateTypingAttr() {
  if (doc_.plainMode) return;
  const TDocPos c = doc_.PositionAt(cursor_.paragraph, cursor_.position, atLineEnd_);
  if (!c.line || !c.line->attribs) return;
  const TLine* from = c.line;
  int index = c.index - 1;
  if (index < 0) {
    if (c.line->prev) {
      from = c.line->prev;
    } else if (c.paragraph->prev) {
      from = doc_.Get_LastLine(c.paragraph->prev);
    }
    // At the document's start the line's own first slot gives the format.
    index = from == c.line ? 0 : from->length - 1;
  }
  if (!from->attribs) return;
  TCharAttr a = from->attribs[std::max(index, 0)];
  a.marks &= uint8_t(~kCharacterOnlyMarks);
  a.extra = 0;
  const bool differs = !SameFormat(a, typingAttr);
  typingAttr = a;
  if (differs && onTypingAttrChanged) onTypingAttrChanged(typingAttr);
}

bool TRTFTextInput::SetCurrentAttributes(const TCharAttr& attr) {
  Sync();
  if (!Editable()) return false;
  typingAttr = attr;
  // An empty line keeps the format in its first slot, where every caret
  // move reads it back: a new page's default font outlives the first move.
  const TDocPos c = doc_.PositionAt(cursor_.paragraph, cursor_.position, atLineEnd_);
  if (!HasSelection() && c.line && c.line->length == 0 && c.line->attribs) CopyFormat(c.line->attribs[0], attr);
  if (HasSelection()) {
    RecordEdit(TEditKind::Other);
    doc_.ChangeAttributes(SelectionStart(), SelectionEnd(), [&attr](TCharAttr& a) { CopyFormat(a, attr); });
    AfterOwnEdit();
  }
  return true;
}

// ---- geometry ---------------------------------------------------------------------

int TRTFTextInput::XOf(const TDocPos& pos) {
  if (!pos.line) return 0;
  return layout_->CharX(doc_, *pos.paragraph, *pos.line, pos.index);
}

int TRTFTextInput::IndexAt(TParagraph* p, TLine* l, int x) {
  return std::clamp(layout_->IndexAtX(doc_, *p, *l, x), 0, int(l->length));
}

TLine* TRTFTextInput::LineAtY(int y, TParagraph*& paragraph) {
  paragraph = doc_.firstParagraph;
  TLine* best = paragraph->firstLine;
  for (TParagraph* p = doc_.firstParagraph; p; p = p->next)
    for (TLine* l = p->firstLine; l; l = l->next) {
      if (l->top > y) return best;
      best = l;
      paragraph = p;
    }
  return best;
}

// ---- movement -------------------------------------------------------------------------

void TRTFTextInput::BeginMove(bool shift) {
  Sync();
  if (!shift) {
    RemoveSelection();
  } else if (!anchorSet_) {
    anchor_ = cursor_;
    selectionEnd_ = cursor_;
    anchorSet_ = true;
  }
}

void TRTFTextInput::EndMove(bool shift) {
  if (shift) {
    selectionEnd_ = cursor_;
    hasSelection_ = true;
  }
  UpdateTypingAttr();
}

bool TRTFTextInput::ZeroWidthAt(const TDocPos& pos) const {
  // Widths are only known once the paragraph has been measured.
  return !doc_.plainMode && pos.line->attribs && pos.index < pos.line->length &&
         !(pos.paragraph->layoutState & lsMeasure) && pos.line->attribs[pos.index].width == 0;
}

bool TRTFTextInput::StepLeft(TDocPos& pos) {
  if (pos.index > 0) {
    --pos.index;
  } else if (pos.line->prev) {
    pos.line = pos.line->prev;
    pos.index = pos.line->length;
  } else if (pos.paragraph->prev) {
    pos.paragraph = pos.paragraph->prev;
    pos.line = doc_.Get_LastLine(pos.paragraph);
    pos.index = pos.line->length;
  } else {
    return false;
  }
  return true;
}

bool TRTFTextInput::StepRight(TDocPos& pos) {
  if (pos.index < pos.line->length) {
    ++pos.index;
  } else if (pos.line->next) {
    pos.line = pos.line->next;
    pos.index = 0;
  } else if (pos.paragraph->next) {
    pos.paragraph = pos.paragraph->next;
    pos.line = pos.paragraph->firstLine;
    pos.index = 0;
  } else {
    return false;
  }
  return true;
}

void TRTFTextInput::LineStart(bool shift) {
  BeginMove(shift);
  TDocPos c = Cursor();
  c.index = 0;
  Place(c);
  preferredX = 0;
  EndMove(shift);
}

void TRTFTextInput::LineEnd(bool shift) {
  BeginMove(shift);
  TDocPos c = Cursor();
  c.index = c.line->length;
  Place(c);
  preferredX = kLineEndX;
  EndMove(shift);
}

void TRTFTextInput::DocumentStart(bool shift) {
  BeginMove(shift);
  cursor_ = {doc_.firstParagraph, 0};
  atLineEnd_ = false;
  preferredX = 0;
  EndMove(shift);
}

void TRTFTextInput::DocumentEnd(bool shift) {
  BeginMove(shift);
  TParagraph* p = doc_.LastParagraph();
  cursor_ = {p, p->TextLength()};
  atLineEnd_ = true;
  preferredX = kLineEndX;
  EndMove(shift);
}

void TRTFTextInput::CharLeft(bool shift) {
  BeginMove(shift);
  TDocPos c = Cursor();
  if (StepLeft(c)) {
    while (c.index > 0 && ZeroWidthAt(c)) --c.index;
    Place(c);
    preferredX = XOf(c);
  }
  EndMove(shift);
}

void TRTFTextInput::CharRight(bool shift) {
  BeginMove(shift);
  TDocPos c = Cursor();
  if (StepRight(c)) {
    while (c.index < c.line->length && ZeroWidthAt(c)) ++c.index;
    Place(c);
    // A step onto the next line's start shows there, not at the line end.
    if (c.index == 0) atLineEnd_ = false;
    preferredX = XOf(c);
  }
  EndMove(shift);
}

void TRTFTextInput::WordLeft(bool shift) {
  TDocPos c = Cursor();
  if (c.index == 0) {
    CharLeft(shift);
    return;
  }
  BeginMove(shift);
  int i = c.index;
  while (i > 0 && !IsAlphaNumeric1252(c.line->text[i - 1])) --i;
  while (i > 0 && IsAlphaNumeric1252(c.line->text[i - 1])) --i;
  c.index = i;
  Place(c);
  preferredX = XOf(c);
  EndMove(shift);
}

void TRTFTextInput::WordRight(bool shift) {
  TDocPos c = Cursor();
  if (c.index >= c.line->length) {
    CharRight(shift);
    return;
  }
  BeginMove(shift);
  const int len = c.line->length;
  int i = c.index;
  while (i < len && !IsAlphaNumeric1252(c.line->text[i])) ++i;
  while (i < len && IsAlphaNumeric1252(c.line->text[i])) ++i;
  c.index = i;
  Place(c);
  preferredX = XOf(c);
  EndMove(shift);
}

void TRTFTextInput::MoveToLine(TParagraph* p, TLine* l) {
  const int index = IndexAt(p, l, preferredX);
  cursor_ = {p, TRTFText::OffsetOf({p, l, index})};
  // On a wrapped line the end stays on this line.
  atLineEnd_ = index == l->length && l->next;
}

void TRTFTextInput::LineUp(bool shift) {
  BeginMove(shift);
  const TDocPos c = Cursor();
  if (c.line->prev) {
    MoveToLine(c.paragraph, c.line->prev);
  } else if (c.paragraph->prev) {
    MoveToLine(c.paragraph->prev, doc_.Get_LastLine(c.paragraph->prev));
  }
  EndMove(shift);
}

void TRTFTextInput::LineDown(bool shift) {
  BeginMove(shift);
  const TDocPos c = Cursor();
  if (c.line->next) {
    MoveToLine(c.paragraph, c.line->next);
  } else if (c.paragraph->next) {
    MoveToLine(c.paragraph->next, c.paragraph->next->firstLine);
  }
  EndMove(shift);
}

void TRTFTextInput::ScrollPage(bool down) {
  if (viewHeight <= 0) return;
  const int maxTop = std::max(0, layout_->DocumentHeight(doc_) - viewHeight);
  viewTop = std::clamp(viewTop + (down ? viewHeight : -viewHeight), 0, maxTop);
}

void TRTFTextInput::PageUp(bool shift) { MovePage(false, shift); }

void TRTFTextInput::PageDown(bool shift) { MovePage(true, shift); }

void TRTFTextInput::MovePage(bool down, bool shift) {
  BeginMove(shift);
  const TDocPos c = Cursor();
  // The cursor keeps its place in the view while the view scrolls.
  const int inView = std::max(c.line->top - viewTop, 0);
  ScrollPage(down);
  TParagraph* p = nullptr;
  TLine* l = LineAtY(viewTop + inView + 1, p);
  Place({p, l, IndexAt(p, l, viewLeft)});
  preferredX = XOf(Cursor());
  EndMove(shift);
}

// ---- editing ---------------------------------------------------------------------------

void TRTFTextInput::AfterOwnEdit() {
  externalEdit_ = false;
  // A selection must not outlive the paragraphs it points into.
  if (doc_.Generation() != generation_) RemoveSelection();
  generation_ = doc_.Generation();
  RelayoutMarked();
  // Vertical moves after an edit start from where the cursor now is.
  preferredX = XOf(Cursor());
  history_.AfterEdit(cursor_.paragraph, cursor_.position);
}

void TRTFTextInput::RelayoutMarked() {
  for (TParagraph* p = doc_.firstParagraph; p; p = p->next)
    if (p->layoutState && layout_->Relayout(*p) >= 2) repaintAll_ = true;
}

void TRTFTextInput::MaybeSaveForUndo(bool always) {
  if (SaveForUNDO && (always || HasSelection() || cursor_.paragraph != lastInputParagraph_)) SaveForUNDO();
}

void TRTFTextInput::RecordEdit(TEditKind kind, bool wordStart) {
  history_.BeforeEdit(doc_, kind, cursor_.paragraph, cursor_.position, wordStart);
}

void TRTFTextInput::BeforeExternalEdit() {
  Sync();
  RecordEdit(TEditKind::Other);
  history_.AfterEdit(cursor_.paragraph, cursor_.position);
  externalEdit_ = true;
}

bool TRTFTextInput::DeleteSelection() {
  if (!HasSelection()) {
    RemoveSelection();
    return false;
  }
  const TTextPos at = doc_.DeleteRange(SelectionStart(), SelectionEnd());
  generation_ = doc_.Generation();
  cursor_ = at;
  atLineEnd_ = false;
  RemoveSelection();
  return true;
}

bool TRTFTextInput::InputText(std::string_view text) {
  bool changed = false;
  for (char c : text) changed |= InputChar(uint8_t(c));
  return changed;
}

bool TRTFTextInput::InputChar(uint8_t ch) {
  Sync();
  if (!Editable() || !cursor_.paragraph) return false;
  // An anchor without a selection (Shift+move that went nowhere) must not
  // survive an edit that moves the text under it.
  if (!HasSelection()) RemoveSelection();
  repaintAll_ = false;
  bool changed = false;
  switch (ch) {
    case 8: changed = Backspace(); break;
    case 127: changed = DeleteForward(); break;
    case 12: changed = PageBreak(); break;
    case 13: changed = Enter(); break;
    default: changed = Type(ch); break;
  }
  lastInputParagraph_ = cursor_.paragraph;
  return changed;
}

bool TRTFTextInput::Backspace() {
  if (HasSelection()) return DeleteForward();
  const TDocPos c = Cursor();
  if (c.index > 0) {
    // The undo step remembers the cursor before the character it takes.
    MaybeSaveForUndo(false);
    RecordEdit(TEditKind::Deleting);
    --cursor_.position;
    atLineEnd_ = false;
    return DeleteForward();
  }
  TParagraph* p = cursor_.paragraph;
  if (c.line->prev) {
    // The last character of the line before goes; the cursor stays at the
    // end of that line.
    MaybeSaveForUndo(false);
    RecordEdit(TEditKind::Deleting);
    const int at = cursor_.position - 1;
    doc_.DeleteRange({p, at}, {p, at + 1});
    cursor_ = {p, at};
    atLineEnd_ = true;
    repaintAll_ = true;
    AfterOwnEdit();
    UpdateTypingAttr();
    return true;
  }
  if (!p->prev || p->IsTableCell()) return false;
  cursor_ = {p->prev, p->prev->TextLength()};
  atLineEnd_ = true;
  return DeleteForward();
}

bool TRTFTextInput::DeleteSelectedText() {
  MaybeSaveForUndo(false);
  RecordEdit(TEditKind::Other);
  DeleteSelection();
  repaintAll_ = true;
  AfterOwnEdit();
  UpdateTypingAttr();
  return true;
}

bool TRTFTextInput::DeleteForward() {
  if (HasSelection()) return DeleteSelectedText();
  TParagraph* p = cursor_.paragraph;
  const int at = cursor_.position;
  if (at < p->TextLength()) {
    MaybeSaveForUndo(false);
    RecordEdit(TEditKind::Deleting);
    doc_.DeleteRange({p, at}, {p, at + 1});
    AfterOwnEdit();
    UpdateTypingAttr();
    return true;
  }
  if (!p->next) {
    // At the document's end a page break on the last paragraph goes; a
    // table's last cell stays a cell.
    const uint8_t kept = p->flags & kTableFlags;
    if (p->flags == kept) return false;
    RecordEdit(TEditKind::Other);
    p->flags = kept;
    p->MarkForLayout();
    repaintAll_ = true;
    AfterOwnEdit();
    return true;
  }
  MaybeSaveForUndo(false);
  RecordEdit(TEditKind::Deleting);
  doc_.JoinWithNext(p);
  generation_ = doc_.Generation();
  atLineEnd_ = true;
  repaintAll_ = true;
  AfterOwnEdit();
  UpdateTypingAttr();
  return true;
}

bool TRTFTextInput::PageBreak() {
  RemoveSelection();
  TParagraph* p = cursor_.paragraph;
  RecordEdit(TEditKind::Other);
  repaintAll_ = true;
  if (cursor_.position == 0) {
    p->flags ^= pfPageBreak;
    p->MarkForLayout();
    AfterOwnEdit();
    return true;
  }
  TParagraph* q = doc_.SplitParagraph(p, cursor_.position);
  q->flags |= pfPageBreak;
  q->MarkForLayout();
  cursor_ = {q, 0};
  atLineEnd_ = false;
  preferredX = 0;
  AfterOwnEdit();
  UpdateTypingAttr();
  return true;
}

bool TRTFTextInput::Enter() {
  MaybeSaveForUndo(true);
  RecordEdit(TEditKind::Other);
  DeleteSelection();
  const TDocPos c = Cursor();
  const bool atDocumentStart =
      c.paragraph == doc_.firstParagraph && c.line == c.paragraph->firstLine && c.index == 0;
  if (c.paragraph->IsTableCell() && !atDocumentStart) {
    // A cell holds one paragraph: Enter breaks the line instead.
    const bool typed = InsertTyped(kLineBreakChar, true);
    AfterOwnEdit();
    return typed;
  }
  TParagraph* q = doc_.SplitParagraph(c.paragraph, cursor_.position);
  cursor_ = {q, 0};
  atLineEnd_ = false;
  preferredX = 0;
  repaintAll_ = true;
  AfterOwnEdit();
  UpdateTypingAttr();
  return true;
}

bool TRTFTextInput::Protected(const TDocPos& pos, bool inserting) const {
  if (!protectedMarks || !pos.line->attribs) return false;
  auto marked = [&](int i) { return (pos.line->attribs[i].marks & protectedMarks) != 0; };
  if (!inserting && pos.index < pos.line->length) return marked(pos.index);
  // Inside a protected run: both neighbours protected.
  return pos.index > 0 && pos.index < pos.line->length && marked(pos.index - 1) && marked(pos.index);
}

bool TRTFTextInput::Type(uint8_t ch) {
  // Control codes other than tab and line break are no text: codes 1 and 2
  // would pose as object characters, 0 and 3 must never be stored.
  if (ch < 32 && ch != 9 && ch != kLineBreakChar) return false;
  const bool hadSelection = HasSelection();
  // Refused typing with nothing selected changes nothing: no undo step.
  if (!hadSelection && (Refused(Cursor(), Inserting))) return false;
  MaybeSaveForUndo(false);
  const bool wordStart = IsAlphaNumeric1252(ch) && !IsAlphaNumeric1252(lastTyped_);
  RecordEdit(hadSelection ? TEditKind::Other : TEditKind::Typing, wordStart);
  DeleteSelection();
  lastTyped_ = ch;
  const bool typed = InsertTyped(ch, Inserting);
  AfterOwnEdit();
  return typed || hadSelection;
}

bool TRTFTextInput::Refused(const TDocPos& pos, bool inserting) const {
  return (!doc_.plainMode && (typingAttr.marks & cmHidden)) || Protected(pos, inserting);
}

bool TRTFTextInput::InsertTyped(uint8_t ch, bool inserting) {
  const TDocPos c = Cursor();
  if (Refused(c, inserting)) return false;
  TParagraph* p = c.paragraph;
  const int at = cursor_.position;
  const int lineBefore = LineOrdinal(p, c.line);
  const int topBefore = c.line->top;
  if (!inserting && c.index < c.line->length) doc_.DeleteRange({p, at}, {p, at + 1});
  const char text = char(ch);
  doc_.InsertText({p, at}, std::string_view(&text, 1), doc_.plainMode ? nullptr : &typingAttr);
  cursor_ = {p, at + 1};
  atLineEnd_ = true;
  RelayoutMarked();
  const TDocPos after = Cursor();
  if (ch == kLineBreakChar || LineOrdinal(p, after.line) != lineBefore || after.line->top != topBefore)
    repaintAll_ = true;
  return true;
}

// ---- keys -----------------------------------------------------------------------------------

TKeyResult TRTFTextInput::KeyDown(TKey key, TModifiers modifiers) {
  TKeyResult r;
  if (OnKeyDown) OnKeyDown(key, modifiers);
  if (key == TKey::None) {
    r.consumed = true;
    return r;
  }
  Sync();
  const bool shift = (modifiers & kShift) != 0;
  const bool ctrl = (modifiers & kCtrl) != 0;
  const int topBefore = viewTop;
  const bool hadSelection = HasSelection();
  repaintAll_ = false;
  auto edited = [&r, this](bool changed) {
    r.changed = changed;
    // Every key that changed the text reports it, so the edit is saved.
    r.notify = r.notify || changed;
    r.repaint = r.repaint || changed;
    r.repaintAll = repaintAll_;
  };
  r.consumed = true;
  switch (key) {
    case TKey::Tab:
      if (ctrl) {
        if (CtrlTabPressed) CtrlTabPressed();
      } else if (shift) {
        if (ShiftTabPressed) ShiftTabPressed();
      } else if (!wantTabs) {
        r.consumed = false;
      } else if (modifiers == kNoModifier) {
        edited(InputChar(9));
      }
      break;
    case TKey::Enter:
      if (ctrl) {
        edited(InputChar(12));
      } else {
        r.consumed = false;
      }
      break;
    case TKey::PageUp:
    case TKey::PageDown:
      if (ctrl) {
        ScrollPage(key == TKey::PageDown);
      } else {
        if (key == TKey::PageDown) PageDown(shift); else PageUp(shift);
      }
      r.repaint = true;
      break;
    case TKey::Home:
      if (ctrl) DocumentStart(shift); else LineStart(shift);
      r.repaint = true;
      break;
    case TKey::End:
      if (ctrl) DocumentEnd(shift); else LineEnd(shift);
      r.repaint = true;
      break;
    case TKey::Left:
      if (ctrl) WordLeft(shift); else CharLeft(shift);
      r.repaint = true;
      break;
    case TKey::Right:
      if (ctrl) WordRight(shift); else CharRight(shift);
      r.repaint = true;
      break;
    case TKey::Up:
      LineUp(shift);
      r.repaint = true;
      break;
    case TKey::Down:
      LineDown(shift);
      r.repaint = true;
      break;
    case TKey::Insert:
      if (shift) {
        edited(Paste());
      } else if (ctrl) {
        Copy();
      } else {
        Inserting = !Inserting;
      }
      break;
    case TKey::Delete:
      if (shift || ctrl) {
        edited(Cut());
      } else if (Editable()) {
        edited(InputChar(127));
        r.notify = true;
      }
      break;
    case TKey::A:
      if (ctrl) {
        SelectAll();
        r.repaintAll = true;
      } else {
        r.consumed = false;
      }
      break;
    case TKey::Z:
      if (ctrl) {
        edited(shift ? Redo() : Undo());
      } else {
        r.consumed = false;
      }
      break;
    case TKey::Y:
      if (ctrl) {
        edited(Redo());
      } else {
        r.consumed = false;
      }
      break;
    default:
      r.consumed = false;
      break;
  }
  r.scrolled = viewTop != topBefore;
  // A selection that appears, changes or goes spans more than one line.
  if (r.repaint && (hadSelection || HasSelection())) r.repaintAll = true;
  return r;
}

TKeyResult TRTFTextInput::KeyPress(uint8_t ch) {
  TKeyResult r;
  r.consumed = true;
  switch (ch) {
    case 3:
      Copy();
      r.notify = true;
      break;
    case 22:
      r.changed = Paste();
      r.notify = true;
      r.repaint = r.repaintAll = r.changed;
      break;
    case 24:
      r.changed = Cut();
      r.repaint = r.repaintAll = true;
      r.notify = true;
      break;
    case 27:
      RemoveSelection();
      r.repaint = r.repaintAll = true;
      break;
    case 9:
    case 10:
      r.consumed = false;
      break;
    default:
      if (Editable()) {
        r.changed = InputChar(ch);
        r.notify = true;
        r.repaint = true;
        r.repaintAll = repaintAll_;
      }
      break;
  }
  return r;
}

// ---- clipboard and history ----------------------------------------------------------------

bool TRTFTextInput::Copy() {
  if (!clipboard_ || !HasSelection()) return false;
  const TTextPos a = SelectionStart(), b = SelectionEnd();
  const TDocPos from = doc_.PositionAt(a.paragraph, a.position);
  const TDocPos to = doc_.PositionAt(b.paragraph, b.position, true);
  const TTextRange range{from.paragraph, from.line, from.index, to.paragraph, to.line, to.index};
  TStringWriteStream rtf, plain;
  if (WriteRange(doc_, range, rtf, FormatRTF) != kWriteOk) return false;
  if (WriteRange(doc_, range, plain, FormatANSI) != kWriteOk) return false;
  clipboard_->Put(rtf.bytes, plain.bytes);
  return true;
}

bool TRTFTextInput::Cut() {
  if (!HasSelection()) return false;
  // Nothing is deleted that did not reach the clipboard.
  if (!Copy() || !Editable()) return false;
  return DeleteSelectedText();
}

bool TRTFTextInput::Paste() {
  Sync();
  if (!Editable() || !clipboard_) return false;
  std::string rtf, plain;
  if (!clipboard_->Get(rtf, plain) || (rtf.empty() && plain.empty())) return false;
  MaybeSaveForUndo(false);
  RecordEdit(TEditKind::Other);
  DeleteSelection();
  TRTFTextIo io(doc_);
  const bool replacing = doc_.IsEmpty();
  io.caret = cursor_;
  if (rtf.empty()) {
    io.LoadFromBytes(plain, FormatANSI);
  } else {
    io.LoadFromBytes(rtf, FormatRTF);
  }
  // A failed read keeps what was read before it; the cursor goes behind it.
  generation_ = doc_.Generation();
  if (replacing) {
    TParagraph* last = doc_.LastParagraph();
    cursor_ = {last, last->TextLength()};
  } else {
    cursor_ = io.caret;
  }
  atLineEnd_ = true;
  repaintAll_ = true;
  AfterOwnEdit();
  UpdateTypingAttr();
  return true;
}

bool TRTFTextInput::Undo() { return StepHistory(false); }

bool TRTFTextInput::Redo() { return StepHistory(true); }

bool TRTFTextInput::StepHistory(bool redo) {
  Sync();
  if (!Editable()) return false;
  int offset = 0;
  TParagraph* p = redo ? history_.Redo(doc_, cursor_.paragraph, cursor_.position, offset)
                       : history_.Undo(doc_, cursor_.paragraph, cursor_.position, offset);
  if (!p) return false;
  generation_ = doc_.Generation();
  RemoveSelection();
  cursor_ = {p, std::clamp(offset, 0, p->TextLength())};
  atLineEnd_ = false;
  lastInputParagraph_ = nullptr;
  lastTyped_ = 0;
  repaintAll_ = true;
  RelayoutMarked();
  UpdateTypingAttr();
  return true;
}

}  // namespace quill
