#include "app/entry_search/entry_matcher.h"

#include "richtext/find/text_finder.h"

namespace quill {

EntryMatcher::EntryMatcher() : io_(doc_) {}

bool EntryMatcher::Contains(std::string_view storedEntry, std::string_view text) {
    doc_.ClearDocument();
    if (storedEntry.empty() || text.empty()) return false;
    // A load that fails half-way keeps what it read, as the editor does; that
    // part is searched.
    io_.LoadFromBytes(storedEntry, AutomaticFormat);
    // A fresh finder has the options the hidden editor always keeps: case
    // ignored, no whole-word rule.
    TTextFinder finder(&doc_);
    return finder.FindText(text, false);
}

}  // namespace quill
