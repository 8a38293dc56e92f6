#include "spell/engine/case_transfer.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(CaseTransfer, FollowsTheTypedWord) {
    struct Case {
        const char* suggestion;
        const char* typed;
        const char* result;
    } cases[] = {
        {"THE", "Teh", "The"},
        {"THE", "TEH", "THE"},
        {"THE", "tEH", "tHE"},
        {"THE", "teh", "the"},
        {"THE CAT", "Thecat", "The cat"},    // the space is skipped
        {"THE CAT", "theCat", "the Cat"},    // letters pair up once spaces are skipped
        {"A LOT", "alot", "a lot"},
        {"A LOT", "ALOT", "A LOT"},
        {"DON'T", "Dont", "Don't"},          // the apostrophe counts as a letter
        {"THERE", "Th", "There"},            // a shorter typed word leaves the rest small
        {"AT", "Atxyz", "At"},
        {"THE", "12", "THE"},                // no small letter typed: capitals stay
        {"THE", "", "THE"},
        {"THE", "1a", "the"},                // a leading non-letter is skipped over
        {"\xC9T\xC9", "\xe9t\xc9", "\xe9t\xc9"},  // ÉTÉ typed étÉ
        {"STRA\xDF" "E", "Strase", "Stra\xDF" "e"},  // ß stays as it is
        {"\xD0OR", "\xF0or", "\xD0or"},      // ð counts as a capital; Ð has no small form
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TransferCase(c.suggestion, c.typed), c.result) << c.suggestion << " / " << c.typed;
    }
}

TEST(CaseTransfer, CharacterClasses) {
    EXPECT_TRUE(IsCaseLowerLetter(0xFF));   // ÿ
    EXPECT_FALSE(IsCaseLowerLetter(0xF0));  // ð
    EXPECT_FALSE(IsCaseLowerLetter(0xF7));  // ÷
    EXPECT_TRUE(IsCaseUpperLetter(0xF0));   // ð has no capital and counts as one
    EXPECT_TRUE(IsCaseUpperLetter(0xDF));   // ß
    EXPECT_FALSE(IsCaseUpperLetter(0xD7));  // ×
    EXPECT_TRUE(IsCaseLetter('\''));
    EXPECT_FALSE(IsCaseLetter(' '));
    EXPECT_FALSE(IsCaseLetter('-'));
    EXPECT_FALSE(IsCaseLetter(0xD7));
    EXPECT_TRUE(IsCaseLetter(0x9F));
}

}  // namespace
}  // namespace quill
