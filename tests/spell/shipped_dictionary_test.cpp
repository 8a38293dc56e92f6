// The main dictionary the program ships (built from the word lists at build
// time): the words a diary needs are in it, the junk that made false
// suggestions and let misspellings pass is not.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "spell/engine/zelvo_spell.h"

namespace quill {
namespace {

class ShippedDictionary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine_.OpenDictionary(QUILLBOOK_MAIN_DICTIONARY_PATH))
            << QUILLBOOK_MAIN_DICTIONARY_PATH;
    }
    TZelvoSpell engine_;
};

TEST_F(ShippedDictionary, HoldsEverydayWordsAndTheAbbreviationsOfADiary) {
    for (const char* w : {"the", "don't", "I'm", "tomorrow", "Wednesday", "January", "Jan", "Dec",
                          "Mon", "Thu", "Dr", "Mrs", "St", "TV", "OK", "DVD", "USA", "UK", "www",
                          "html", "org", "bulleted", "website", "email", "licensee", "ii", "vii",
                          "acknowledgement", "oversized"}) {
        EXPECT_TRUE(engine_.IsWordCorrect(w)) << w;
    }
}

TEST_F(ShippedDictionary, LeavesOutMisspellingsAndShortNamesThatLookLikeWords) {
    for (const char* w : {"teh", "calender", "wether", "recieve", "ian", "NY", "Ty", "mither"}) {
        EXPECT_FALSE(engine_.IsWordCorrect(w)) << w;
    }
}

TEST_F(ShippedDictionary, SuggestsTheWordBeforeFalseSplits) {
    struct Case {
        const char* wrong;
        const char* right;
        const char* falseSplit;  // made of a short name or abbreviation
    };
    const Case cases[] = {
        {"mountian", "mountain", "mount ian"},
        {"rainny", "rainy", "rain ny"},
        {"nineth", "ninth", "nine th"},
        {"doller", "dollar", "doll er"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> s = engine_.GetSuggestions(c.wrong);
        EXPECT_NE(std::find(s.begin(), s.end(), c.right), s.end()) << c.wrong;
        EXPECT_EQ(std::find(s.begin(), s.end(), c.falseSplit), s.end()) << c.wrong;
    }
    // Splits into real words are still offered.
    for (const auto& [wrong, split] : {std::pair{"thecat", "the cat"}, {"alot", "a lot"}}) {
        const std::vector<std::string> s = engine_.GetSuggestions(wrong);
        EXPECT_NE(std::find(s.begin(), s.end(), split), s.end()) << wrong;
    }
}

}  // namespace
}  // namespace quill
