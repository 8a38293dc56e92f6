#include "richtext/widget/find_target.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <algorithm>

#include "richtext/widget/find_dialogs.h"

namespace quill {

TFindTarget::~TFindTarget() { DetachFindDialogs(*this); }

int FinderPosition(const TRTFText& doc, TTextPos pos) {
  int start = 0;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    if (p == pos.paragraph) return start + std::clamp(pos.position, 0, p->TextLength());
    start += p->TextLength() + 1;
  }
  return 0;
}

TTextPos TextPosition(const TRTFText& doc, int position) {
  int start = 0;
  TParagraph* p = doc.firstParagraph;
  if (!p) return {};
  position = std::max(position, 0);
  for (; p->next; p = p->next) {
    const int len = p->TextLength();
    if (position <= start + len) break;
    start += len + 1;
  }
  return {p, std::min(position - start, p->TextLength())};
}

// ---- Escape poll ---------------------------------------------------------------

namespace {

class TInputSwallower : public QObject {
 public:
  bool escapePressed = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::ShortcutOverride:
        // Accepted, so that no shortcut fires; the key press then comes
        // here and is dropped as well.
        event->accept();
        return true;
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) escapePressed = true;
        return true;
      case QEvent::KeyRelease:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::Close:
        // The run is changing the document: nothing may edit it, close its
        // window or start another command until the run is over.
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

bool EscapePressedMeanwhile() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  TInputSwallower swallower;
  app->installEventFilter(&swallower);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  app->removeEventFilter(&swallower);
  return swallower.escapePressed;
}

int InputCursorPosition(const TRTFText& doc, TRTFTextInput& input) { return FinderPosition(doc, input.CursorPos()); }

TFindRange InputSelection(const TRTFText& doc, TRTFTextInput& input) {
  if (!input.HasSelection()) return {InputCursorPosition(doc, input), 0};
  const int start = FinderPosition(doc, input.SelectionStart());
  const int end = FinderPosition(doc, input.SelectionEnd());
  return {start, end - start};
}

void SelectInInput(const TRTFText& doc, TRTFTextInput& input, int start, int length, bool cursorAtEnd) {
  const TTextPos from = TextPosition(doc, start);
  if (length <= 0) {
    input.SetCursor(from);
    return;
  }
  const TTextPos to = TextPosition(doc, start + length);
  if (cursorAtEnd) {
    input.SetSelection(from, to);
  } else {
    input.SetSelection(to, from);
  }
}

// ---- document target -----------------------------------------------------------

TDocumentFindTarget::TDocumentFindTarget(TRTFText& document, TRTFTextInput& input)
    : doc_(document), input_(input), finder_(&document) {}

int TDocumentFindTarget::CursorPosition() { return InputCursorPosition(doc_, input_); }

TFindRange TDocumentFindTarget::Selection() { return InputSelection(doc_, input_); }

void TDocumentFindTarget::Select(int start, int length, bool cursorAtEnd) {
  SelectInInput(doc_, input_, start, length, cursorAtEnd);
}

void TDocumentFindTarget::ScrollCursorIntoView() {
  if (onScrollCursorIntoView) onScrollCursorIntoView();
}

bool TDocumentFindTarget::CanEdit() { return !input_.readOnly && !doc_.busy; }

void TDocumentFindTarget::BeforeReplace() { input_.BeforeExternalEdit(); }

void TDocumentFindTarget::RefreshAfterReplace() {
  if (onRefresh) onRefresh();
}

void TDocumentFindTarget::Changed() {
  if (onChange) onChange();
}

bool TDocumentFindTarget::EscapeHeld() { return escapeHeld ? escapeHeld() : EscapePressedMeanwhile(); }

}  // namespace quill
