#pragma once
// Spelling marks while typing: which words of a page no open dictionary
// holds, kept per paragraph and brought up to date incrementally. A
// paragraph's marks are recomputed only when its text differs from the text
// they were made for, and then only for the words around the difference.
//
// Words follow the spell check's word walk: runs of letters, an apostrophe
// inside a word when a letter follows it; digits and hyphens separate words.

#include <QPainter>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "richtext/model/rtf_text.h"

namespace quill {

class TRTFTextPaint;

// What the marks need of a spell checker; the application supplies one over
// the spell engine and the user's dictionaries.
class TSpellingChecker {
 public:
  virtual ~TSpellingChecker() = default;
  virtual bool IsWordCorrect(std::string_view word) = 0;
  // At most `most` replacements, best first.
  virtual std::vector<std::string> Suggestions(std::string_view word, int most) = 0;
  // Whether a user dictionary is open to take new words.
  virtual bool CanAddWords() = 0;
  virtual bool AddWord(std::string_view word) = 0;
};

struct TWordRange {
  int start = 0;   // offset in the paragraph
  int length = 0;
  int End() const { return start + length; }
  bool operator==(const TWordRange&) const = default;
};

// The words of TEXT that start in FROM..TO (TO must lie on a word boundary).
std::vector<TWordRange> WordsOf(std::string_view text, int from, int to);

// A paragraph's characters across its lines.
std::string ParagraphCharacters(const TParagraph* paragraph);

class TSpellingMarks {
 public:
  // No checker: nothing is marked.
  void SetChecker(TSpellingChecker* checker);
  TSpellingChecker* Checker() const { return checker_; }
  bool Active() const { return checker_ != nullptr; }

  // The marked words of a paragraph, brought up to date with its text.
  const std::vector<TWordRange>& MarksOf(const TParagraph* paragraph);
  // The marked word covering OFFSET (or ending right at it); length 0 when none.
  TWordRange MarkAt(const TParagraph* paragraph, int offset);
  // Brings every paragraph up to date; returns the number of marked words.
  int MarkDocument(const TRTFText& document);

  // A word to leave unmarked on this page (any letter case).
  void Ignore(std::string_view word);
  // The dictionaries changed: every word is looked up again.
  void Recheck();
  // A new page: drops the marks and the ignored words.
  void Forget();
  // Drops the marks of paragraphs no longer in the document.
  void Prune(const TRTFText& document);

  // Words handed to the checker since the count was last reset (the
  // results of earlier lookups are remembered).
  int WordsExamined() const { return examined_; }
  void ResetWordsExamined() { examined_ = 0; }

 private:
  struct Entry {
    std::string text;
    std::vector<TWordRange> marks;
  };
  bool IsMarked(std::string_view word);
  void Update(Entry& entry, std::string&& text);

  TSpellingChecker* checker_ = nullptr;
  std::unordered_map<const TParagraph*, Entry> paragraphs_;
  std::unordered_map<std::string, bool> correct_;  // words looked up
  std::unordered_set<std::string> ignored_;        // folded to lower case
  uint64_t generation_ = 0;
  int examined_ = 0;
  std::vector<TWordRange> none_;
};

// Draws a red wavy underline under every marked word on the lines that
// reach into document heights FROMY..TOY (screen painting only).
void DrawSpellingMarks(QPainter& painter, TSpellingMarks& marks, const TRTFText& document,
                       const TRTFTextPaint& layout, int left, int originY, int fromY, int toY);

}  // namespace quill
