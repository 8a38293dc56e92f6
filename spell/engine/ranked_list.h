#pragma once
// The best-first list of suggestion candidates: fixed room, stable among
// equal scores (the first found stays ahead), no duplicate check.

#include <array>
#include <cstdint>
#include <string_view>

namespace quill {

class TRankedList {
public:
    static constexpr int kRoom = 255;
    static constexpr int kMaxCandidate = 30;

    struct Entry {
        std::uint8_t length = 0;
        char text[kMaxCandidate];
        std::uint16_t score = 0;

        std::string_view Text() const { return {text, length}; }
    };

    // capacity is clamped to kRoom.
    explicit TRankedList(int capacity);

    // Scores the candidate against the upper-case word (apostrophes in the
    // candidate do not count) and files it by score. Returns false when the
    // candidate was not kept.
    bool Rank(std::string_view candidate, std::string_view word);

    // Files an already scored candidate.
    bool Insert(std::string_view candidate, int score);

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    const Entry& operator[](int index) const { return entries_[index]; }
    void Clear() { count_ = 0; }

private:
    int capacity_;
    int count_ = 0;
    std::array<Entry, kRoom> entries_;
};

// The score a candidate is ranked by: its similarity to the word once its
// apostrophes are removed.
int CandidateScore(std::string_view candidate, std::string_view word);

}  // namespace quill
