#pragma once
// What the Find and Replace dialogs need from the editor that opened them:
// its dialog finder, its cursor and selection as finder positions, and the
// few reactions to a match or a replacement. The editor control implements
// it; TDocumentFindTarget does so over a document and its keyboard input.
//
// Finder positions count the characters of every paragraph plus one for its
// end (see TTextFinder).

#include <functional>

#include "richtext/find/text_finder.h"
#include "richtext/input/rtf_text_input.h"
#include "richtext/model/rtf_text.h"

namespace quill {

struct TFindRange {
  int start = 0;
  int length = 0;  // 0: nothing selected, start is the cursor
};

class TFindTarget {
 public:
  TFindTarget() = default;
  TFindTarget(const TFindTarget&) = delete;
  TFindTarget& operator=(const TFindTarget&) = delete;
  // Detaches the Find and Replace dialogs from this editor, so that their
  // buttons never reach a destroyed one.
  virtual ~TFindTarget();

  // The finder that serves the dialogs and FindText (not the word walk's).
  virtual TTextFinder& DialogFinder() = 0;
  virtual int CursorPosition() = 0;
  virtual TFindRange Selection() = 0;
  // Selects length characters from start and puts the cursor at the end of
  // them (cursorAtEnd) or at their start; length 0 only places the cursor.
  virtual void Select(int start, int length, bool cursorAtEnd) = 0;
  virtual void ScrollCursorIntoView() = 0;
  // False when read only or the document is not ready for editing.
  virtual bool CanEdit() = 0;
  // Called before the finder changes the document (one undo step). Until
  // RefreshAfterReplace the paragraphs are being changed without layout, and
  // a replace-all lets paint events through while it polls for Escape, so
  // the window should not paint from its old lines meanwhile.
  virtual void BeforeReplace() = 0;
  // Called after the finder changed the document (also when a replacement
  // failed): re-lay out and repaint.
  virtual void RefreshAfterReplace() = 0;
  // The change notification.
  virtual void Changed() = 0;
  // Asked between the batches of a replace-all: true stops it.
  virtual bool EscapeHeld() = 0;
};

// Finder position of a paragraph offset, and back. A position past the
// document's end gives the end of the last paragraph.
int FinderPosition(const TRTFText& doc, TTextPos pos);
TTextPos TextPosition(const TRTFText& doc, int position);

// The cursor and selection of keyboard input over doc in finder positions,
// and selecting by them (see TFindTarget::Select).
int InputCursorPosition(const TRTFText& doc, TRTFTextInput& input);
TFindRange InputSelection(const TRTFText& doc, TRTFTextInput& input);
void SelectInInput(const TRTFText& doc, TRTFTextInput& input, int start, int length, bool cursorAtEnd);

// Delivers the keyboard and mouse input waiting for the application,
// swallowing it, and tells whether Escape was pressed in it. A long run on
// the user-interface thread calls this now and then so that Escape can stop
// it while nothing else the user does reaches the windows meanwhile.
bool EscapePressedMeanwhile();

// The find target of a document edited through its keyboard input: the
// selection and cursor are the input's. The reactions a window adds
// (scrolling, repainting, the notification) are hooks.
class TDocumentFindTarget : public TFindTarget {
 public:
  TDocumentFindTarget(TRTFText& document, TRTFTextInput& input);

  std::function<void()> onScrollCursorIntoView;
  std::function<void()> onRefresh;
  std::function<void()> onChange;
  // Unset: EscapePressedMeanwhile.
  std::function<bool()> escapeHeld;

  TTextFinder& DialogFinder() override { return finder_; }
  int CursorPosition() override;
  TFindRange Selection() override;
  void Select(int start, int length, bool cursorAtEnd) override;
  void ScrollCursorIntoView() override;
  bool CanEdit() override;
  void BeforeReplace() override;
  void RefreshAfterReplace() override;
  void Changed() override;
  bool EscapeHeld() override;

 private:
  TRTFText& doc_;
  TRTFTextInput& input_;
  TTextFinder finder_;
};

}  // namespace quill
