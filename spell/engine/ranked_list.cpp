#include "spell/engine/ranked_list.h"

#include "spell/engine/similarity.h"

#include <algorithm>
#include <cstring>

namespace quill {

TRankedList::TRankedList(int capacity) : capacity_(std::clamp(capacity, 0, kRoom)) {}

int CandidateScore(std::string_view candidate, std::string_view word) {
    char copy[TRankedList::kMaxCandidate];
    int n = 0;
    for (char c : candidate.substr(0, TRankedList::kMaxCandidate)) {
        if (c != '\'') copy[n++] = c;
    }
    return SimilarityScore(std::string_view(copy, n), word);
}

bool TRankedList::Rank(std::string_view candidate, std::string_view word) {
    // A longer word cannot be stored whole, and a cut-off word offered as a
    // replacement would put a misspelling into the text.
    if (candidate.size() > static_cast<std::size_t>(kMaxCandidate)) return false;
    if (capacity_ == 0) return false;
    return Insert(candidate, CandidateScore(candidate, word));
}

bool TRankedList::Insert(std::string_view candidate, int score) {
    if (candidate.size() > static_cast<std::size_t>(kMaxCandidate)) return false;
    int pos = 0;
    while (pos < count_ && entries_[pos].score >= score) ++pos;
    if (pos >= capacity_) return false;  // full, and nothing scores lower
    int last = std::min(count_, capacity_ - 1);  // the last entry falls off when full
    for (int k = last; k > pos; --k) entries_[k] = entries_[k - 1];
    Entry& e = entries_[pos];
    e.length = static_cast<std::uint8_t>(candidate.size());
    std::memcpy(e.text, candidate.data(), candidate.size());
    e.score = static_cast<std::uint16_t>(score);
    if (count_ < capacity_) ++count_;
    return true;
}

}  // namespace quill
