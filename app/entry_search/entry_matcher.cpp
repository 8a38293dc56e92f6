#include "app/entry_search/entry_matcher.h"

#include <algorithm>
#include <functional>

#include "richtext/find/text_finder.h"
#include "richtext/find/win1252_case.h"

namespace quill {

namespace {

// The finder's own limits: it keeps 256 characters of a pattern and splits
// it at a "*" among its first 255; each part, or the whole pattern when it
// does not split, keeps 255.
constexpr size_t kPatternKept = 256;
constexpr size_t kPartKept = 255;

std::string AnchorOf(std::string_view text) {
    text = text.substr(0, kPatternKept);
    const size_t star = text.find('*');
    std::string anchor(star != std::string_view::npos && star + 1 <= kPartKept ? text.substr(0, star)
                                                                               : text.substr(0, kPartKept));
    for (char& c : anchor) c = char(LowerCase1252(uint8_t(c)));
    return anchor;
}

}  // namespace

EntryMatcher::EntryMatcher() : io_(doc_) {}

bool EntryMatcher::AnchorInSomeParagraph(std::string_view text) {
    if (text != anchorText_) {
        anchorText_.assign(text);
        anchor_ = AnchorOf(text);
    }
    // A pattern that starts with "*" has no anchor: the finder decides alone.
    if (anchor_.empty()) return true;
    const std::boyer_moore_horspool_searcher searcher(anchor_.begin(), anchor_.end());
    for (const TParagraph* p = doc_.firstParagraph; p; p = p->next) {
        paragraph_.clear();
        for (const TLine* l = p->firstLine; l; l = l->next)
            for (uint16_t i = 0; i < l->length; ++i) paragraph_.push_back(char(LowerCase1252(l->text[i])));
        if (paragraph_.size() < anchor_.size()) continue;
        if (std::search(paragraph_.begin(), paragraph_.end(), searcher) != paragraph_.end()) return true;
    }
    return false;
}

bool EntryMatcher::Contains(std::string_view storedEntry, std::string_view text) {
    doc_.ClearDocument();
    if (storedEntry.empty() || text.empty()) return false;
    // A load that fails half-way keeps what it read, as the editor does; that
    // part is searched.
    io_.LoadFromBytes(storedEntry, AutomaticFormat);
    if (!AnchorInSomeParagraph(text)) return false;
    // A fresh finder has the options the hidden editor always keeps: case
    // ignored, no whole-word rule.
    TTextFinder finder(&doc_);
    return finder.FindText(text, false);
}

}  // namespace quill
