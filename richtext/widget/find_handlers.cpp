#include "richtext/widget/find_handlers.h"

#include <utility>

namespace quill {

namespace {

constexpr uint8_t kWildcard = '*';

void SetOptions(TTextFinder& finder, const TFindOptions& options) {
  finder.wildcard = kWildcard;
  finder.wholeWord = options.wholeWord;
  finder.matchCase = options.matchCase ? 1 : 0;
  finder.wordMode = false;
  finder.wordDelimiter = 0;
}

void SelectFound(TFindTarget& target, const TTextFinder& finder, bool cursorAtEnd) {
  target.Select(finder.FoundStart(), finder.FoundLength(), cursorAtEnd);
  target.ScrollCursorIntoView();
}

// Restores the finder's stop check when a replace-all ends, also by an
// exception.
class TStopCheck {
 public:
  TStopCheck(TTextFinder& finder, std::function<bool()> check)
      : finder_(finder), saved_(std::exchange(finder.stopRequested, std::move(check))) {}
  ~TStopCheck() { finder_.stopRequested = std::move(saved_); }

 private:
  TTextFinder& finder_;
  std::function<bool()> saved_;
};

// Whether the selection is a match of the text: as a search down from its
// start or up from its end finds it (with a wildcard the two may differ).
bool IsMatch(TTextFinder& finder, const TFindRange& sel, std::string_view text) {
  if (sel.length <= 0) return false;
  finder.SetPosition(sel.start);
  if (finder.FindNext(text) && finder.FoundStart() == sel.start && finder.FoundLength() == sel.length) return true;
  finder.SetPosition(sel.start + sel.length);
  return finder.FindPrevious(text) && finder.FoundStart() == sel.start && finder.FoundLength() == sel.length;
}

}  // namespace

bool FindHandler(TFindTarget& target, const TFindOptions& options) {
  TTextFinder& finder = target.DialogFinder();
  SetOptions(finder, options);
  // Searching from the selection's far end keeps a selected match from
  // being found again when the direction changes.
  const TFindRange sel = target.Selection();
  const int from = options.up ? sel.start : sel.start + sel.length;
  finder.SetPosition(from);
  const bool found = options.up ? finder.FindPrevious(options.text) : finder.FindNext(options.text);
  if (found) SelectFound(target, finder, !options.up);
  return found;
}

TReplaceResult ReplaceHandler(TFindTarget& target, const TFindOptions& options) {
  if (!target.CanEdit()) return TReplaceResult::ReadOnly;
  TTextFinder& finder = target.DialogFinder();
  SetOptions(finder, options);
  // Only a selection that still is a match gets replaced: the cursor may
  // have moved, or the text changed, since the last Find Next.
  if (IsMatch(finder, target.Selection(), options.text)) {
    target.BeforeReplace();
    const bool replaced = finder.ReplaceFound(options.replacement);
    target.RefreshAfterReplace();
    if (!replaced) return TReplaceResult::Failed;
    SelectFound(target, finder, !options.up);
    target.Changed();
    return TReplaceResult::Replaced;
  }
  return FindHandler(target, options) ? TReplaceResult::FoundNext : TReplaceResult::NotFound;
}

TReplaceAllResult ReplaceAllHandler(TFindTarget& target, const TFindOptions& options) {
  TReplaceAllResult result;
  if (!target.CanEdit()) {
    result.readOnly = true;
    return result;
  }
  TTextFinder& finder = target.DialogFinder();
  SetOptions(finder, options);
  // A selected match is replaced too.
  const TFindRange sel = target.Selection();
  finder.SetPosition(sel.start);
  // A run without a match records no undo step and changes nothing.
  if (finder.FindNext(options.text)) {
    target.BeforeReplace();
    finder.SetPosition(sel.start);
    {
      TStopCheck stop(finder, [&target] { return target.EscapeHeld(); });
      finder.ReplaceAll(options.text, options.replacement);
    }
    result.count = finder.ReplaceCount();
    result.stopped = finder.Found();
    target.RefreshAfterReplace();
  }
  // After a full run the last search failed and the cursor goes to the
  // document's start; after a stop it stays at the last replacement.
  const int cursor = options.up ? finder.FoundStart() : finder.FoundStart() + finder.FoundLength();
  target.Select(cursor, 0, true);
  target.ScrollCursorIntoView();
  if (result.count > 0) target.Changed();
  return result;
}

bool FindText(TFindTarget& target, std::string_view text, bool backward) {
  TTextFinder& finder = target.DialogFinder();
  finder.wordMode = false;
  finder.wordDelimiter = 0;
  const bool found = finder.FindText(text, backward);
  if (found) SelectFound(target, finder, !backward);
  return found;
}

}  // namespace quill
