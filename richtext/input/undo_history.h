#pragma once
// Undo and redo for the editor: each step keeps the document's paragraphs
// (properties, text, attributes) and the cursor as they were before it.
// A diary page is small, so a copy of the page per step is cheap and cannot
// get out of step with the edit it undoes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "richtext/model/rtf_text.h"

namespace quill {

// Kinds of edits; consecutive edits of one kind at the cursor form one step.
enum class TEditKind : uint8_t { None, Typing, Deleting, Other };

struct TDocSnapshot {
  struct Paragraph {
    int32_t firstIndent = 0, leftIndent = 0, rightIndent = 0;
    int32_t spaceBefore = 0, spaceAfter = 0, lineSpacing = 0;
    uint8_t alignment = 0, flags = 0;
    uint8_t borderFlags = 0, borderStyle = 0, borderWidth = 0, borderSpacingColor = 0;
    uint8_t reserved[2] = {0, 0};
    uint32_t tabMask = 0;
    std::string text;
    std::vector<TCharAttr> attribs;  // empty in fmPlainText
    TCharAttr emptyFormat{};         // slot 0 of an empty paragraph's line
  };
  std::vector<Paragraph> paragraphs;
  std::array<int32_t, kTabCount> tabPositions{};
  std::array<uint8_t, kTabCount> tabKinds{};
  int cursorParagraph = 0;
  int cursorOffset = 0;

  static TDocSnapshot Take(const TRTFText& doc, const TParagraph* cursorParagraph, int cursorOffset);
  // Puts the paragraphs back into the document (frees its own); returns
  // the cursor's paragraph.
  TParagraph* Restore(TRTFText& doc) const;
  size_t Bytes() const;
};

class TUndoHistory {
 public:
  // Called before an edit: starts a new step unless the edit continues the
  // current one (same kind, at the place where the last one ended).
  // `wordStart` ends a typing step when a new word begins.
  void BeforeEdit(const TRTFText& doc, TEditKind kind, const TParagraph* paragraph, int offset, bool wordStart);
  // Called after the edit with the cursor's place.
  void AfterEdit(const TParagraph* paragraph, int offset);
  // Ends the current step, so that the next edit starts a new one.
  void Break() { lastKind_ = TEditKind::None; }

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // Restore the state before the last step (after it, for Redo); return
  // the cursor's paragraph and set offset, or null when there is none.
  TParagraph* Undo(TRTFText& doc, const TParagraph* cursorParagraph, int cursorOffset, int& offset);
  TParagraph* Redo(TRTFText& doc, const TParagraph* cursorParagraph, int cursorOffset, int& offset);
  void Clear();

  // Older steps are dropped beyond these.
  size_t maxSteps = 200;
  size_t maxBytes = size_t(32) << 20;

 private:
  void Trim();
  // Restores the last state of FROM and keeps the present one in TO.
  TParagraph* Step(std::vector<TDocSnapshot>& from, std::vector<TDocSnapshot>& to, TRTFText& doc,
                   const TParagraph* cursorParagraph, int cursorOffset, int& offset);
  std::vector<TDocSnapshot> undo_, redo_;
  TEditKind lastKind_ = TEditKind::None;
  const TParagraph* lastParagraph_ = nullptr;
  int lastOffset_ = -1;
};

}  // namespace quill
