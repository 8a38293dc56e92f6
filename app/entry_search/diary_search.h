#pragma once
// The search across entries behind "Find entry containing..." and "Find
// Next Entry": a walk over the diary in date order that stops at the first
// entry holding the text. The window saves a pending edit first, asks for
// the text, shows the returned day (or the message) and enables "Find Next
// Entry" exactly when SearchFound() is true.

#include <string>
#include <vector>

#include "app/entry_search/entry_matcher.h"
#include "dates/date_keys.h"
#include "storage/diary_storage.h"

namespace quill {

inline constexpr const char* kNoMatchesText = "No matches";
inline constexpr const char* kNoMoreMatchesText = "No more matches";

struct SearchStep {
    bool walked = false;   // false: an empty text; nothing was searched or changed
    bool found = false;
    Date day;              // the day to show: the match, else the day shown before
    std::string message;   // "No matches" / "No more matches" when nothing was found
    // Days whose stored text could not be read; the walk passed over them.
    std::vector<std::string> unreadable;
};

class DiarySearch {
public:
    explicit DiarySearch(DiaryStorage& storage) : storage_(storage) {}

    // From the first entry in date order. An empty TEXT (or a cancelled
    // question) changes nothing. SHOWNDAY is the day the window shows.
    SearchStep FindEntryContaining(const std::string& text, Date shownDay);
    // From the entry after the one shown; when the day shown has no entry
    // there is nothing after it ("No more matches").
    SearchStep FindNextEntry(Date shownDay);

    // The text of the last confirmed search (Windows-1252).
    const std::string& SearchText() const { return searchText_; }
    // Whether the last search or step stopped on a match; "Find Next Entry"
    // is enabled exactly then.
    bool SearchFound() const { return searchFound_; }

    // Every day whose entry holds TEXT, in date order (quillbook-tool).
    // Leaves the search state alone.
    std::vector<std::string> AllMatchingDays(const std::string& text, std::vector<std::string>* unreadable = nullptr);

private:
    // Walks on from the data set's current record; true on a match, with
    // the data set on it.
    bool Walk(SearchStep& step);
    // Puts the data set on the record of the last match when SHOWNDAY is
    // still that day, else on SHOWNDAY's record (at the end when it has none).
    void StandOnShownDay(Date shownDay);
    void Finish(SearchStep& step, Date shownDay, const char* noneText);

    DiaryStorage& storage_;
    EntryMatcher matcher_;
    std::string searchText_;
    bool searchFound_ = false;
    std::string matchKey_;  // key and record of the last match
    long matchRecNo_ = 0;
};

}  // namespace quill
