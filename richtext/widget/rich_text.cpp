#include "richtext/widget/rich_text.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>

#include "richtext/widget/editor_keys.h"
#include "richtext/widget/find_dialogs.h"
#include "richtext/widget/find_handlers.h"
#include "richtext/widget/find_target.h"
#include "richtext/widget/painter_canvas.h"
#include "richtext/widget/rich_text_find_target.h"
#include "richtext/widget/win1252_codec.h"

namespace quill {

namespace {

// Whether a key the editing layer handled raises the change notification.
// Tab and Delete with Shift or Ctrl leave it to the application's key hook
// (which raises it for every Tab and Delete); Ctrl+Insert only copies.
bool KeyNotifies(TKey key, TModifiers modifiers, const TKeyResult& r) {
  switch (key) {
    case TKey::Tab: return false;
    case TKey::Delete: return (modifiers & (kShift | kCtrl)) ? false : r.notify;
    case TKey::Insert:
      // A paste with Shift+Insert must make the edit pending like Ctrl+V,
      // or the pasted text would be dropped by the next change of day.
      return (modifiers & kShift) ? r.changed : false;
    default: return r.notify;
  }
}

}  // namespace

TRichText::TRichText(QWidget* parent)
    : QAbstractScrollArea(parent),
      paint_(doc_, fonts_),
      inputLayout_(paint_),
      input_(doc_, &inputLayout_, &clipboard_),
      wordFinder_(&doc_),
      findFinder_(&doc_),
      files_(doc_),
      findTarget_(std::make_unique<TRichTextFindTarget>(*this)) {
  setFrameStyle(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(Qt::IBeamCursor);
  SetScrollBars(ssBoth);
  const int flash = QApplication::cursorFlashTime();
  caretTimer_.setInterval(flash > 0 ? flash / 2 : 500);
  connect(&caretTimer_, &QTimer::timeout, this, [this] {
    caretShown_ = !caretShown_;
    viewport()->update(CaretRect());
  });
  UpdateResolution();
  paint_.SetWindowWidth(std::max(viewport()->width(), 1));
  Clear();
}

TRichText::~TRichText() = default;

// ---- properties ------------------------------------------------------------------

void TRichText::SetWordWrap(bool on) {
  paint_.SetWordWrap(on);
  if (on) horizontalScrollBar()->setValue(0);
  UpdateScrollBars();
  EnsureCaretVisible();
  Invalidate();
}

void TRichText::SetReadOnly(bool on) { input_.readOnly = on; }

void TRichText::SetScrollBars(TScrollBars bars) {
  scrollBars_ = bars;
  const bool vertical = bars == ssVertical || bars == ssBoth;
  const bool horizontal = bars == ssHorizontal || bars == ssBoth;
  // Always shown: a bar that came and went would change the wrap width.
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TRichText::SetColor(uint32_t color) {
  files_.backgroundColor = color & 0xFFFFFF;
  Invalidate();
}

// ---- operations ----------------------------------------------------------------

void TRichText::Clear() {
  files_.Clear();
  spellingMarks_.Forget();
  pictures_.Clear();
  input_.Reset();
  selecting_ = false;
  paint_.RelayoutAll();
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  UpdateScrollBars();
  NoteCaretFormat();
  Invalidate();
}

void TRichText::LoadFromFile(const std::string& path) { Load([&] { files_.LoadFromFile(path); }); }

void TRichText::LoadFromText(std::string_view text, const std::string& pictureFolder) {
  Load([&] { files_.LoadFromText(text, pictureFolder); });
}

template <typename F>
void TRichText::Load(F&& read) {
  const bool replacing = doc_.IsEmpty();
  if (replacing) {
    spellingMarks_.Forget();
    pictures_.Clear();
  }
  files_.caret = input_.CursorPos();
  // Whatever the reader got into the document is laid out, even when it
  // stopped with an error.
  struct AfterLoad {
    TRichText* self;
    bool replacing;
    ~AfterLoad() {
      if (replacing) {
        self->input_.Reset();
      } else {
        self->input_.SetCursor(self->files_.caret);
      }
      self->Reformat();
      self->NoteCaretFormat();
    }
  } after{this, replacing};
  read();
}

void TRichText::SaveToFile(const std::string& path) { files_.SaveToFile(path); }

void TRichText::GotoStart() {
  const ViewState before = Snapshot();
  input_.SetCursor({doc_.firstParagraph, 0});
  AfterCommand(before, false);
}

void TRichText::Invalidate() {
  if (!Locked()) viewport()->update();
}

void TRichText::Paint() {
  if (!Locked()) viewport()->repaint();
}

void TRichText::InsertText(std::string_view text) {
  if (isVisible() && isEnabled()) setFocus();
  if (!CanEdit()) return;
  const ViewState before = Snapshot();
  const bool inserted = input_.InputText(text);
  AfterCommand(before, inserted);
  if (inserted) Changed();
}

void TRichText::SetCurrentAttributes(const TCharAttr& attr) {
  if (!CanEdit()) return;
  const ViewState before = Snapshot();
  const bool selected = input_.HasSelection();
  if (!input_.SetCurrentAttributes(attr)) return;
  AfterCommand(before, selected);
  NoteCaretFormat();
  Changed();
}

bool TRichText::CanEdit() const {
  return !input_.readOnly && !doc_.busy && !Locked() && !paint_.InLayout();
}

void TRichText::Changed() {
  if (OnChange) OnChange();
}

void TRichText::InsertPageBreak() {
  if (!CanEdit()) return;
  input_.BeforeExternalEdit();
  const TCharAttr attr = CurrentAttributes();
  TParagraph* p = input_.CursorPos().paragraph;
  TParagraph* q = doc_.SplitParagraph(p, p->TextLength());
  if (q->firstLine->attribs) q->firstLine->attribs[0] = attr;
  // The new paragraph always has one before it.
  q->flags |= pfPageBreak;
  q->MarkForLayout();
  input_.SetCursor({q, 0});
  input_.typingAttr = attr;
  Changed();
  Reformat();
}

template <typename F>
bool TRichText::ForSelectedParagraphs(F&& change) {
  if (!CanEdit()) return false;
  TParagraph* first = input_.CursorPos().paragraph;
  TParagraph* last = first;
  if (input_.HasSelection()) {
    first = input_.SelectionStart().paragraph;
    last = input_.SelectionEnd().paragraph;
  }
  input_.BeforeExternalEdit();
  for (TParagraph* p = first; p; p = p->next) {
    change(*p);
    p->MarkForLayout();
    if (p == last) break;
  }
  return true;
}

void TRichText::ParagraphsChanged() {
  paint_.LayoutDocument();
  UpdateScrollBars();
  EnsureCaretVisible();
  Invalidate();
  emit CaretFormatChanged();
  Changed();
}

void TRichText::SetParagraphSpacing(int spaceBefore, int lineSpacing, int spaceAfter) {
  if (ForSelectedParagraphs([&](TParagraph& p) {
        p.spaceBefore = spaceBefore;
        p.lineSpacing = lineSpacing;
        p.spaceAfter = spaceAfter;
      }))
    ParagraphsChanged();
}

void TRichText::SetParagraphIndents(int firstIndent, int leftIndent, int rightIndent) {
  if (ForSelectedParagraphs([&](TParagraph& p) {
        p.firstIndent = firstIndent;
        p.leftIndent = leftIndent;
        p.rightIndent = rightIndent;
      }))
    ParagraphsChanged();
}

void TRichText::Reformat() {
  if (Locked()) return;
  paint_.RelayoutAll();
  inputLayout_.TakeChanges();
  UpdateScrollBars();
  Invalidate();
  EnsureCaretVisible();
}

bool TRichText::FindText(std::string_view text, bool backward) {
  return quill::FindText(*findTarget_, text, backward);
}

void TRichText::ShowFindDialog() { quill::ShowFindDialog(*findTarget_, this); }

void TRichText::ShowReplaceDialog() { quill::ShowReplaceDialog(*findTarget_, this); }

TFindTarget& TRichText::FindTarget() { return *findTarget_; }

void TRichText::ChangeCharacterFormat(const std::function<void(TCharAttr&)>& change) {
  if (!CanEdit()) return;
  const ViewState before = Snapshot();
  const bool selected = input_.HasSelection();
  if (selected) {
    input_.BeforeExternalEdit();
    doc_.ChangeAttributes(input_.SelectionStart(), input_.SelectionEnd(), change);
  }
  change(input_.typingAttr);
  AfterCommand(before, selected);
  NoteCaretFormat();
  Changed();
}

void TRichText::ChangeParagraphs(const std::function<void(TParagraph&)>& change) {
  if (ForSelectedParagraphs(change)) ParagraphsChanged();
}

bool TRichText::CopyToClipboard() { return input_.Copy(); }

bool TRichText::CutToClipboard() {
  if (!CanEdit()) return false;
  const ViewState before = Snapshot();
  const bool cut = input_.Cut();
  AfterCommand(before, cut);
  if (cut) Changed();
  return cut;
}

bool TRichText::PasteFromClipboard() {
  if (!CanEdit()) return false;
  const ViewState before = Snapshot();
  const bool pasted = input_.Paste();
  AfterCommand(before, pasted);
  if (pasted) Changed();
  return pasted;
}

// ---- word walk ---------------------------------------------------------------------------

void TRichText::RestartWordWalk() {
  wordFinder_.Restart();
  wordSelected_ = false;
}

std::string TRichText::NextWord() {
  const int cursor = FinderPosition(doc_, input_.CursorPos());
  std::string word = wordFinder_.NextWord(wordSelected_, cursor);
  wordSelected_ = false;
  return word;
}

void TRichText::SelectFoundWord() {
  findTarget_->Select(wordFinder_.FoundStart(), wordFinder_.FoundLength(), true);
  wordSelected_ = true;
}

bool TRichText::ReplaceSelection(std::string_view text) {
  if (!CanEdit()) return false;
  TTextPos start = input_.CursorPos(), end = start;
  if (input_.HasSelection()) {
    start = input_.SelectionStart();
    end = input_.SelectionEnd();
  }
  return ReplaceRange(start, end, text);
}

bool TRichText::ReplaceRange(TTextPos start, TTextPos end, std::string_view text) {
  if (!CanEdit() || !start.paragraph || !end.paragraph) return false;
  const ViewState before = Snapshot();
  TCharAttr attr = input_.typingAttr;
  const TCharAttr* format = doc_.plainMode ? nullptr : &attr;
  if (format && !(start == end)) {
    const TDocPos at = doc_.PositionAt(start.paragraph, start.position, false);
    if (at.line && at.line->attribs && at.index < at.line->length) attr = at.line->attribs[at.index];
  }
  input_.BeforeExternalEdit();
  TTextPos caret;
  try {
    // The new text goes in behind the old first, so that a failure leaves
    // the old text in place.
    const TTextPos after = doc_.InsertText(end, text, format);
    const int inserted = after.paragraph == end.paragraph ? after.position - end.position : int(text.size());
    const TTextPos from = start == end ? start : doc_.DeleteRange(start, end);
    caret = {from.paragraph, from.position + inserted};
  } catch (const std::exception& error) {
    Reformat();
    if (OnError) OnError(error.what());
    return false;
  }
  caret.paragraph->MarkForLayout();
  input_.SetCursor(caret);
  AfterCommand(before, true);
  viewport()->update();
  return true;
}

void TRichText::SetSelection(int start, int length) { findTarget_->Select(start, length, true); }

int TRichText::SelStart() { return InputSelection(doc_, input_).start; }

int TRichText::SelLength() { return InputSelection(doc_, input_).length; }

// ---- spelling marks -----------------------------------------------------------------------

void TRichText::SetSpellingChecker(TSpellingChecker* checker) {
  spellingMarks_.SetChecker(checker);
  viewport()->update();
}

void TRichText::RecheckSpelling() {
  spellingMarks_.Recheck();
  viewport()->update();
}

void TRichText::AddSpellingEntries(QMenu& menu, const TTextPos& at) {
  TSpellingChecker* checker = spellingMarks_.Checker();
  if (!checker || !at.paragraph) return;
  const TWordRange mark = spellingMarks_.MarkAt(at.paragraph, at.position);
  if (mark.length == 0) return;
  const std::string word = ParagraphCharacters(at.paragraph).substr(size_t(mark.start), size_t(mark.length));
  TParagraph* paragraph = at.paragraph;
  const bool editable = CanEdit();
  const std::vector<std::string> suggestions = checker->Suggestions(word, 10);
  for (const std::string& s : suggestions) {
    QAction* a = menu.addAction(Win1252ToQString(s));
    QFont bold = a->font();
    bold.setBold(true);
    a->setFont(bold);
    a->setEnabled(editable);
    // The menu is modal: the document cannot change before a choice.
    connect(a, &QAction::triggered, this, [this, paragraph, mark, s] {
      Guarded([&] {
        const TTextPos start{paragraph, mark.start};
        if (ReplaceRange(start, {paragraph, mark.End()}, s)) Changed();
      });
    });
  }
  if (suggestions.empty()) menu.addAction(tr("(no suggestions)"))->setEnabled(false);
  menu.addSeparator();
  QAction* add = menu.addAction(tr("&Add to Dictionary"));
  add->setEnabled(checker->CanAddWords());
  connect(add, &QAction::triggered, this, [this, checker, word] {
    checker->AddWord(word);
    RecheckSpelling();
  });
  QAction* ignore = menu.addAction(tr("&Ignore All"));
  connect(ignore, &QAction::triggered, this, [this, word] {
    spellingMarks_.Ignore(word);
    viewport()->update();
  });
  menu.addSeparator();
}

void TRichText::BeginUpdate() {
  ++lockCount_;
  paint_.BeginUpdate();
}

void TRichText::EndUpdate() {
  if (lockCount_ == 0) return;
  --lockCount_;
  paint_.EndUpdate();
  if (lockCount_ == 0) Reformat();
}

// ---- geometry ------------------------------------------------------------------------

QRect TRichText::CaretRect() {
  const TDocPos c = input_.Cursor();
  if (!c.line) return {};
  const TTextHeader& h = doc_.header;
  int top = c.line->top;
  int height = c.line->height;
  // The caret spans the text, not the paragraph's spacing.
  if (c.line == c.paragraph->firstLine) {
    const int before = std::max(0, h.TwipsToPixelsY(c.paragraph->spaceBefore));
    top += before;
    height -= before;
  }
  if (!c.line->next) height -= std::max(0, h.TwipsToPixelsY(c.paragraph->spaceAfter));
  height = std::max(height, 4);
  const int x = paint_.CharX(c.paragraph, c.line, c.index) - horizontalScrollBar()->value();
  return QRect(x, top - verticalScrollBar()->value(), input_.Inserting ? 1 : 2, height);
}

TTextPos TRichText::PositionAt(const QPoint& point, bool* atLineEnd) {
  const int x = point.x() + horizontalScrollBar()->value();
  const int y = point.y() + verticalScrollBar()->value();
  const TLineHit hit = paint_.HitTest(x, y);
  if (atLineEnd) *atLineEnd = false;
  if (!hit.line) return {doc_.firstParagraph, 0};
  const int index = paint_.IndexAtX(hit.paragraph, hit.line, x);
  if (atLineEnd) *atLineEnd = index == hit.line->length && hit.line->next;
  return {hit.paragraph, TRTFTextPaint::ParagraphOffset(hit.paragraph, hit.line, index)};
}

int TRichText::ParagraphCount() const {
  int n = 0;
  for (const TParagraph* p = doc_.firstParagraph; p; p = p->next) ++n;
  return n;
}

void TRichText::EnsureCaretVisible() {
  const TDocPos c = input_.Cursor();
  if (!c.line) return;
  QScrollBar* v = verticalScrollBar();
  QScrollBar* h = horizontalScrollBar();
  const int viewHeight = viewport()->height();
  const int top = c.line->top;
  const int bottom = top + c.line->height;
  if (top < v->value() || bottom - top > viewHeight) {
    v->setValue(top);
  } else if (bottom > v->value() + viewHeight) {
    v->setValue(bottom - viewHeight);
  }
  const int viewWidth = viewport()->width();
  const int x = paint_.CharX(c.paragraph, c.line, c.index);
  // A little of the text before the caret stays in view.
  const int margin = std::min(32, viewWidth / 4);
  if (x < h->value()) {
    h->setValue(std::max(0, x - margin));
  } else if (x + 2 > h->value() + viewWidth) {
    h->setValue(x + 2 - viewWidth + margin);
  }
}

void TRichText::UpdateScrollBars() {
  const int viewHeight = viewport()->height();
  const int viewWidth = viewport()->width();
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, paint_.DocumentHeight() - viewHeight));
  v->setPageStep(std::max(viewHeight, 1));
  v->setSingleStep(std::max<int>(doc_.defaultLineHeight, 8));
  QScrollBar* h = horizontalScrollBar();
  // Wrapped at the window there is nothing to scroll sideways.
  const int contentWidth = paint_.WordWrap() ? 0 : paint_.WrapWidth() + 2;
  h->setRange(0, std::max(0, contentWidth - viewWidth));
  h->setPageStep(std::max(viewWidth, 1));
  h->setSingleStep(16);
  input_.viewHeight = viewHeight;
  SyncViewToInput();
}

void TRichText::SyncViewToInput() {
  input_.viewTop = verticalScrollBar()->value();
  input_.viewLeft = horizontalScrollBar()->value();
}

void TRichText::UpdateResolution() {
  paint_.SetResolution(logicalDpiX(), logicalDpiY());
}

void TRichText::UpdateWindowWidth() {
  paint_.SetWindowWidth(std::max(viewport()->width(), 1));
  UpdateScrollBars();
  Invalidate();
}

void TRichText::RestartCaretBlink() {
  caretShown_ = true;
  if (hasFocus()) caretTimer_.start();
}

void TRichText::NoteCaretFormat() {
  const TTextPos c = input_.CursorPos();
  if (SameFormat(input_.typingAttr, shownAttr_) && c.paragraph == shownParagraph_ &&
      doc_.Generation() == shownGeneration_)
    return;
  shownAttr_ = input_.typingAttr;
  shownParagraph_ = c.paragraph;
  shownGeneration_ = doc_.Generation();
  emit CaretFormatChanged();
}

// ---- commands and repainting --------------------------------------------------------------

TRichText::ViewState TRichText::Snapshot() {
  ViewState s;
  s.caret = CaretRect();
  s.selection = input_.HasSelection();
  s.documentHeight = paint_.DocumentHeight();
  s.paragraphs = ParagraphCount();
  return s;
}

void TRichText::AfterCommand(const ViewState& before, bool edited) {
  // Paragraphs an edit marked without the editing layer laying them out
  // (undo, paste) are laid out here; this also places every line below.
  if (edited) paint_.LayoutDocument();
  const TPaintInputLayout::Changes changes = inputLayout_.TakeChanges();
  const int oldTop = verticalScrollBar()->value();
  const int oldLeft = horizontalScrollBar()->value();
  UpdateScrollBars();
  EnsureCaretVisible();
  SyncViewToInput();
  RestartCaretBlink();
  NoteCaretFormat();
  if (before.selection != input_.HasSelection()) emit EditStateChanged();

  // Lines an edit changed in place carry a mark until they are drawn.
  const int top = verticalScrollBar()->value();
  const int width = viewport()->width();
  const int height = viewport()->height();
  QRegion dirty;
  for (TParagraph* p = doc_.firstParagraph; p; p = p->next)
    for (TLine* l = p->firstLine; l; l = l->next) {
      if (!(l->lineFlags & lfChanged)) continue;
      l->lineFlags &= uint8_t(~lfChanged);
      const QRect r(0, l->top - top, width, l->height);
      if (r.bottom() >= 0 && r.top() < height) dirty += r;
    }
  if (Locked()) return;
  if (top != oldTop || horizontalScrollBar()->value() != oldLeft) return;  // scrolling repaints it all
  if (before.selection || input_.HasSelection()) {
    viewport()->update();
    return;
  }
  dirty += before.caret;
  dirty += CaretRect();
  if (edited) {
    int movedFrom = -1;
    if (changes.movedFromY >= 0) movedFrom = changes.movedFromY;
    if (before.documentHeight != paint_.DocumentHeight() || before.paragraphs != ParagraphCount()) {
      const int caretTop = before.caret.top() + top;
      movedFrom = movedFrom < 0 ? caretTop : std::min(movedFrom, caretTop);
    }
    // Everything from the first line that moved down to the window's end.
    if (movedFrom >= 0) dirty += QRect(0, movedFrom - top, width, height);
  }
  viewport()->update(dirty);
}

bool TRichText::TypeCharacters(const std::string& chars) {
  if (chars.empty()) return false;
  const ViewState before = Snapshot();
  bool edited = false, notify = false;
  for (char ch : chars) {
    const TKeyResult r = input_.KeyPress(uint8_t(ch));
    edited |= r.changed;
    notify |= r.notify;
  }
  AfterCommand(before, edited);
  if (notify) Changed();
  return true;
}

// ---- events ---------------------------------------------------------------------------------

bool TRichText::event(QEvent* e) {
  // Tab belongs to the text, not to the focus chain, while tabs are wanted.
  if (e->type() == QEvent::KeyPress && input_.wantTabs) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      keyPressEvent(k);
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

bool TRichText::focusNextPrevChild(bool next) {
  if (input_.wantTabs) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

template <typename F>
void TRichText::Guarded(F&& work) {
  std::string failure;
  try {
    work();
    return;
  } catch (const std::exception& error) {
    failure = error.what();
  }
  selecting_ = false;
  Reformat();
  if (OnError) {
    OnError(failure);
  } else {
    QMessageBox::critical(this, QString(), QString::fromStdString(failure));
  }
}

void TRichText::keyPressEvent(QKeyEvent* e) {
  Guarded([&] { HandleKey(e); });
}

void TRichText::HandleKey(QKeyEvent* e) {
  int qtKey = e->key();
  Qt::KeyboardModifiers modifiers = e->modifiers();
  if (OnKeyDown) {
    OnKeyDown(qtKey, modifiers);
    if (qtKey == 0) {
      e->accept();
      return;
    }
  }
  const ViewState before = Snapshot();
  const TKey key = EditorKeyOf(qtKey);
  TModifiers mods = EditorModifiersOf(modifiers);
  if (qtKey == Qt::Key_Backtab) mods |= kShift;
  const TKeyResult r = input_.KeyDown(key, mods);
  if (r.scrolled) verticalScrollBar()->setValue(input_.viewTop);
  bool edited = r.changed;
  bool notify = r.consumed && KeyNotifies(key, mods, r);
  bool handled = r.consumed;
  if (!r.consumed) {
    const std::string chars = TypedCharacters(qtKey, modifiers, e->text());
    for (char ch : chars) {
      const TKeyResult typed = input_.KeyPress(uint8_t(ch));
      edited |= typed.changed;
      notify |= typed.notify;
      handled = true;
    }
  }
  if (!handled) {
    // Not the editor's key: menus and the window may use it.
    e->ignore();
    return;
  }
  AfterCommand(before, edited);
  if (notify) Changed();
  e->accept();
}

void TRichText::inputMethodEvent(QInputMethodEvent* e) {
  Guarded([&] { TypeCharacters(CommittedCharacters(e->commitString())); });
  e->accept();
}

void TRichText::MenuCommand(TKey key, TModifiers modifiers, bool notify) {
  Guarded([&] {
    const ViewState before = Snapshot();
    const TKeyResult r = input_.KeyDown(key, modifiers);
    AfterCommand(before, r.changed);
    if (notify && r.changed) Changed();
  });
}

void TRichText::contextMenuEvent(QContextMenuEvent* e) {
  // The clipboard and history commands under the mouse, as word processors
  // offer them; each notifies as the toolbar's buttons do.
  QMenu menu(this);
  if (spellingMarks_.Active()) {
    const TTextPos at = e->reason() == QContextMenuEvent::Mouse ? PositionAt(e->pos()) : input_.CursorPos();
    AddSpellingEntries(menu, at);
  }
  const bool editable = CanEdit();
  const bool selected = input_.HasSelection();
  QAction* undo = menu.addAction(tr("&Undo"));
  undo->setEnabled(editable && input_.CanUndo());
  QAction* redo = menu.addAction(tr("&Redo"));
  redo->setEnabled(editable && input_.CanRedo());
  menu.addSeparator();
  QAction* cut = menu.addAction(tr("Cu&t"));
  cut->setEnabled(editable && selected);
  QAction* copy = menu.addAction(tr("&Copy"));
  copy->setEnabled(selected);
  QAction* paste = menu.addAction(tr("&Paste"));
  paste->setEnabled(editable && TRichClipboard().HasText());
  connect(undo, &QAction::triggered, this, [this] { MenuCommand(TKey::Z, kCtrl, true); });
  connect(redo, &QAction::triggered, this, [this] { MenuCommand(TKey::Y, kCtrl, true); });
  connect(cut, &QAction::triggered, this, [this] { MenuCommand(TKey::Delete, kShift, true); });
  connect(copy, &QAction::triggered, this, [this] { MenuCommand(TKey::Insert, kCtrl, false); });
  connect(paste, &QAction::triggered, this, [this] { MenuCommand(TKey::Insert, kShift, true); });
  menu.exec(e->globalPos());
}

QVariant TRichText::inputMethodQuery(Qt::InputMethodQuery query) const {
  auto* self = const_cast<TRichText*>(this);
  switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: return self->CaretRect().translated(viewport()->pos());
    case Qt::ImHints: return int(Qt::ImhMultiLine);
    default: return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void TRichText::paintEvent(QPaintEvent* e) {
  QPainter painter(viewport());
  const QRect r = e->rect();
  painter.fillRect(r, QtColorOf(files_.backgroundColor));
  if (Locked() || paint_.InLayout()) return;
  TPainterCanvas canvas(painter, fonts_, pictures_);
  TSelectionRange selection;
  const TSelectionRange* shown = nullptr;
  if (input_.HasSelection()) {
    const TTextPos a = input_.SelectionStart(), b = input_.SelectionEnd();
    selection = {a.paragraph, a.position, b.paragraph, b.position};
    shown = &selection;
  }
  const int top = verticalScrollBar()->value();
  const int left = horizontalScrollBar()->value();
  paint_.DrawLines(canvas, -left, -top, r.top() + top, r.bottom() + 1 + top, shown);
  DrawSpellingMarks(painter, spellingMarks_, doc_, paint_, -left, -top, r.top() + top, r.bottom() + 1 + top);
  if (hasFocus() && caretShown_) {
    const QRect caret = CaretRect();
    if (caret.intersects(r)) painter.fillRect(caret, Qt::black);
  }
}

void TRichText::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateWindowWidth();
}

void TRichText::showEvent(QShowEvent* e) {
  QAbstractScrollArea::showEvent(e);
  UpdateResolution();
  UpdateWindowWidth();
}

void TRichText::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  RestartCaretBlink();
  viewport()->update(CaretRect());
}

void TRichText::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  caretTimer_.stop();
  caretShown_ = false;
  selecting_ = false;
  viewport()->update(CaretRect());
}

void TRichText::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton && !hasFocus()) setFocus(Qt::MouseFocusReason);
  if (e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const ViewState before = Snapshot();
  bool atLineEnd = false;
  const TTextPos pos = PositionAt(e->position().toPoint(), &atLineEnd);
  if (e->modifiers() & Qt::ShiftModifier) {
    // Shift+click extends from the selection's fixed end, or the caret.
    TTextPos anchor = input_.CursorPos();
    if (input_.HasSelection())
      anchor = anchor == input_.SelectionEnd() ? input_.SelectionStart() : input_.SelectionEnd();
    input_.SetSelection(anchor, pos);
    mouseAnchor_ = anchor;
  } else {
    input_.SetCursor(pos, atLineEnd);
    mouseAnchor_ = pos;
  }
  selecting_ = true;
  AfterCommand(before, false);
}

void TRichText::mouseMoveEvent(QMouseEvent* e) {
  if (!selecting_ || !(e->buttons() & Qt::LeftButton)) return;
  const ViewState before = Snapshot();
  QPoint point = e->position().toPoint();
  // Dragging past the window's edge scrolls the text under the mouse.
  QScrollBar* v = verticalScrollBar();
  if (point.y() < 0) v->setValue(v->value() - v->singleStep());
  if (point.y() >= viewport()->height()) v->setValue(v->value() + v->singleStep());
  bool atLineEnd = false;
  const TTextPos pos = PositionAt(point, &atLineEnd);
  if (pos == mouseAnchor_) {
    input_.SetCursor(pos, atLineEnd);
  } else {
    input_.SetSelection(mouseAnchor_, pos);
  }
  AfterCommand(before, false);
}

void TRichText::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) selecting_ = false;
}

void TRichText::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  SelectWordAt(PositionAt(e->position().toPoint()));
  selecting_ = false;
}

void TRichText::SelectWordAt(const TTextPos& pos) {
  if (!pos.paragraph) return;
  const std::string text = ParagraphCharacters(pos.paragraph);
  const int n = int(text.size());
  auto alnum = [&](int i) { return i >= 0 && i < n && IsAlphaNumeric1252(uint8_t(text[size_t(i)])); };
  int start = pos.position, end = pos.position;
  if (!alnum(start) && alnum(start - 1)) --start;  // just after a word's end
  if (!alnum(start)) return;
  while (alnum(start - 1)) --start;
  while (alnum(end)) ++end;
  const ViewState before = Snapshot();
  input_.SetSelection({pos.paragraph, start}, {pos.paragraph, end});
  AfterCommand(before, false);
}

void TRichText::scrollContentsBy(int, int) {
  SyncViewToInput();
  viewport()->update();
}

}  // namespace quill
