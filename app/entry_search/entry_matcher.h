#pragma once
// Whether a text occurs in a day's entry as the editor holds it: the stored
// text is read into a document as a load would read it, and the editor's
// text search runs over it (each paragraph on its own, letter case ignored,
// "*" standing for any text within a paragraph, formatting ignored).

#include <string>
#include <string_view>

#include "richtext/io/rtf_text_io.h"
#include "richtext/model/rtf_text.h"

namespace quill {

class EntryMatcher {
public:
    EntryMatcher();
    EntryMatcher(const EntryMatcher&) = delete;
    EntryMatcher& operator=(const EntryMatcher&) = delete;

    // TEXT is Windows-1252, like the document. An empty TEXT is never found.
    bool Contains(std::string_view storedEntry, std::string_view text);

    // The document of the last entry looked at (empty for an empty entry).
    const TRTFText& Document() const { return doc_; }

private:
    // Whether the part of TEXT that every match starts with (all of it, or
    // what stands before the first "*") occurs within one paragraph, case
    // ignored: a quick look that rules most entries out before the finder,
    // which has the last word, runs.
    bool AnchorInSomeParagraph(std::string_view text);

    TRTFText doc_;  // reused: one document for the whole walk
    TRTFTextIo io_;
    std::string paragraph_;  // one paragraph's text in lower case
    std::string anchorText_, anchor_;  // the text the anchor was made for, and the anchor
};

}  // namespace quill
