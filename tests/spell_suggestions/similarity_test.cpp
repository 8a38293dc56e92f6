#include "spell/engine/similarity.h"

#include <gtest/gtest.h>

#include <string>

namespace quill {
namespace {

TEST(Similarity, Scores) {
    struct Case {
        const char* candidate;
        const char* word;
        int score;
    } cases[] = {
        {"HELLO", "HELO", 66},
        {"THE", "TEH", 66},
        {"RECEIVE", "RECIEVE", 85},
        {"RECIEVE", "RECEIVE", 71},  // the order of the two words matters
        {"WORD", "WORD", 100},
        {"ABC", "XYZ", 0},
        {"A", "A", 0},     // a one-character candidate never scores
        {"A", "AB", 0},
        {"AB", "A", 0},    // nor a one-character word
        {"AB", "AB", 100},
        {"", "", 0},
        {"", "WORD", 0},
        {"WORD", "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SimilarityScore(c.candidate, c.word), c.score) << c.candidate << " / " << c.word;
    }
}

TEST(Similarity, StaysWithinRangeForAllShortPairs) {
    // Every pair over a tiny alphabet: the score is 0..100 and a word always
    // scores 100 against itself once it has two characters.
    const char letters[] = "AB";
    std::string words[40];
    int n = 0;
    for (int len = 1; len <= 3; ++len) {
        int combos = 1;
        for (int i = 0; i < len; ++i) combos *= 2;
        for (int m = 0; m < combos; ++m) {
            std::string w;
            for (int i = 0; i < len; ++i) w += letters[(m >> i) & 1];
            words[n++] = w;
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            int s = SimilarityScore(words[i], words[j]);
            EXPECT_GE(s, 0);
            EXPECT_LE(s, 100);
        }
        if (words[i].size() >= 2) {
            EXPECT_EQ(SimilarityScore(words[i], words[i]), 100) << words[i];
        }
    }
}

TEST(Similarity, LongTextsComparedOnFirstThirtyCharacters) {
    const std::string a(30, 'Q');
    EXPECT_EQ(SimilarityScore(a + "XYZ", a), 100);
    EXPECT_EQ(SimilarityScore(std::string(40, 'K'), std::string(45, 'K')), 100);
}

}  // namespace
}  // namespace quill
