#pragma once
// Searches a rich text document for a pattern, forward or backward, replaces
// what it found, and walks the document word by word for the spell check.
//
// Positions count the characters of every paragraph plus one for its end. A
// match never spans two paragraphs. The finder keeps its place between calls,
// so repeated FindNext calls step through successive matches.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/model/rtf_text.h"

namespace quill {

class TTextFinder {
 public:
  explicit TTextFinder(TRTFText* document);
  virtual ~TTextFinder() = default;

  // Current paragraph = the first whose end (start + length + 1) is at or
  // after position; returns that paragraph's start. Clears the match.
  virtual int SetPosition(int position);
  virtual void FindForward(std::string_view pattern);
  virtual void FindBackward(std::string_view pattern);
  virtual bool CharsMatch(uint8_t textChar, uint8_t patternChar) const;
  virtual bool IsDelimiter(uint8_t c) const;
  // Searches on just after the current match (or the position set).
  virtual bool FindNext(std::string_view pattern);
  // Replaces every match from the current place to the document's end, in
  // batches of 30 with a stop check between batches.
  virtual void ReplaceAll(std::string_view pattern, std::string_view replacement);
  // Searches back from one character before the current match or position.
  virtual bool FindPrevious(std::string_view pattern);
  // All fields and options 0, then Restart.
  virtual void Clear();

  void Restart();
  // Runs off the end so that a following FindPrevious searches from the
  // document's last character.
  void RestartAtEnd();

  bool Found() const { return found_; }
  int FoundStart() const { return found_ ? foundStart_ : 0; }
  int FoundLength() const { return found_ ? foundLength_ : 0; }
  std::string FoundText() const;
  const TCharAttr& FoundAttribute() const { return foundAttr_; }
  // Replaces the current match by text with the attribute of the match's
  // first character; false when nothing is found (also when paragraphs were
  // freed since the match was found) or memory runs out (the document is
  // then unchanged).
  bool ReplaceFound(std::string_view text);

  // The editor's text search: wildcard '*', the current case and whole-word
  // options; forward from the document's start or backward from its end.
  bool FindText(std::string_view text, bool backward);
  // The spell check's word walk: the next word of the document, or "" at its
  // end. With fromCursor the walk goes on from that position (the caret
  // after the last selected word), so edits in between are taken into
  // account; a walk that ran off the document starts again at its start.
  std::string NextWord(bool fromCursor = false, int cursor = 0);

  // True when the search has run off the document.
  bool RanOff() const { return paragraph_ == nullptr; }
  int ParagraphStart() const { return paragraphStart_; }
  int Index() const { return index_; }
  uint8_t Direction() const { return direction_; }
  const std::string& Pattern() const { return pattern_; }
  const std::string& LastReplacement() const { return lastReplacement_; }
  int ReplaceCount() const { return replaceCount_; }

  // Options; all 0 after Clear.
  uint8_t matchCase = 0;      // 1 = compare exactly, else after lower-casing
  bool wholeWord = false;     // a match must be a whole word
  uint8_t wildcard = 0;       // pattern character standing for any text; 0 none
  uint8_t wordDelimiter = 0;  // a space in word mode
  bool wordMode = false;      // the pattern made of the wildcard alone yields words

  // Asked after every batch of 30 replacements; true stops ReplaceAll (the
  // editor answers whether Escape is held down).
  std::function<bool()> stopRequested;

 private:
  // One paragraph's characters across its lines, read in place.
  class ParaText {
   public:
    void Attach(const TParagraph* p);
    int Length() const { return length_; }
    uint8_t At(int i) const;
    const TCharAttr* AttrAt(int i) const;

   private:
    int LineOf(int i) const;
    std::vector<const TLine*> lines_;
    std::vector<int> starts_;
    int length_ = 0;
    mutable int cached_ = 0;
  };

  struct Match {
    int start = 0;
    int length = 0;
  };
  struct Prepared {
    bool split = false;
    std::string plain, prefix, suffix;
  };

  Prepared Prepare(std::string_view pattern);
  void Seek(int position, bool fromCurrent);
  bool MatchesAt(const ParaText& t, int at, std::string_view pat) const;
  bool WholeWordAt(const ParaText& t, int start, int len) const;
  // First occurrence starting at or after from; -1 when none.
  int ScanForward(const ParaText& t, int from, std::string_view pat) const;
  // Last occurrence ending at or before lastEnd (inclusive); -1 when none.
  int ScanBackward(const ParaText& t, int lastEnd, std::string_view pat) const;
  bool NextWord(const ParaText& t, int from, Match& m) const;
  bool SearchForward(const ParaText& t, int from, const Prepared& p, Match& m) const;
  bool SearchBackward(const ParaText& t, int lastEnd, const Prepared& p, Match& m) const;
  void SetFound(const ParaText& t, const Match& m);
  void ClearFound();
  // Re-finds the current paragraph from the position when the document has
  // freed paragraphs since the finder last looked at it.
  void Sync();

  TRTFText* doc_;
  TParagraph* paragraph_ = nullptr;
  uint64_t generation_ = 0;  // the document's generation paragraph_ belongs to
  int paragraphStart_ = 0;
  int index_ = 0;
  bool found_ = false;
  int foundStart_ = 0;
  int foundLength_ = 0;
  TCharAttr foundAttr_{};
  uint8_t direction_ = 0;
  std::string pattern_;
  std::string lastReplacement_;
  int replaceCount_ = 0;
  ParaText text_;
};

}  // namespace quill
