#include <gtest/gtest.h>

#include <string>

#include "storage/entry_text.h"

namespace quill {
namespace {

struct LineBreakCase {
    const char* in;
    const char* out;
};

TEST(EntryText, LineBreaksBecomeCrLf) {
    const LineBreakCase cases[] = {
        {"a\nb", "a\r\nb"},     {"a\rb", "a\r\nb"},          {"a\r\nb", "a\r\nb"},
        {"a\n\rb", "a\r\n\r\nb"}, {"\r\r\n\n", "\r\n\r\n\r\n"}, {"", ""},
        {"no break", "no break"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormaliseLineBreaks(c.in), c.out) << c.in;
}

TEST(EntryText, LengthRuleAvoidsMultiplesOfFour) {
    struct Case {
        std::string in, out;
    };
    const std::string body(398, 'x');
    const Case cases[] = {
        {std::string(400, 'x'), std::string(400, 'x') + " "},   // 400 -> 401
        {std::string(401, 'x'), std::string(401, 'x')},         // unchanged
        {std::string(402, 'x'), std::string(402, 'x')},
        {std::string(403, 'x'), std::string(403, 'x')},
        {body + "\r\n", body + " \r\n"},                        // blank goes before the final break
        {"ab\r\ncd\r\n", "ab\r\ncd \r\n"},
        {"abcd", "abcd "},
        {"", ""},                                               // empty text stays empty
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        PadMemoLength(s);
        EXPECT_EQ(s, c.out) << "length " << c.in.size();
        EXPECT_TRUE(s.empty() || s.size() % 4 != 0);
    }
}

TEST(EntryText, StoredTextNormalisesBeforePadding) {
    // "a\nb\n" is 4 bytes but 6 once the breaks are CR LF, so no blank.
    EXPECT_EQ(StoredEntryText("a\nb\n"), "a\r\nb\r\n");
    // "ab\n" becomes "ab\r\n" (4 bytes): the blank goes before the break.
    EXPECT_EQ(StoredEntryText("ab\n"), "ab \r\n");
}

}  // namespace
}  // namespace quill
