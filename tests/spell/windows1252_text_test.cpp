#include <gtest/gtest.h>

#include "spell/engine/windows1252_text.h"

namespace quill::spell {
namespace {

TEST(Windows1252Text, ConvertsBothWays) {
    struct Case {
        const char* Utf8;
        const char* Cp1252;
    } cases[] = {
        {"plain", "plain"},
        {"\xC3\x9C" "ber", "\xDC" "ber"},            // Über
        {"\xE2\x82\xAC", "\x80"},                   // euro sign
        {"\xC5\x93uvre", "\x9C" "uvre"},             // œuvre
        {"\xC5\xB8", "\x9F"},                        // Ÿ
        {"don\xE2\x80\x99t", "don\x92t"},            // right single quote
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_TRUE(Utf8ToWindows1252(c.Utf8, out)) << c.Utf8;
        EXPECT_EQ(out, c.Cp1252);
        EXPECT_EQ(Windows1252ToUtf8(c.Cp1252), c.Utf8);
    }
}

TEST(Windows1252Text, ReplacesWhatTheCodePageLacks) {
    std::string out;
    EXPECT_FALSE(Utf8ToWindows1252("a\xE2\x88\x9E" "b", out));  // infinity sign
    EXPECT_EQ(out, "a?b");
    EXPECT_FALSE(Utf8ToWindows1252("\xC3", out));  // cut sequence
    EXPECT_EQ(out, "?");
    EXPECT_FALSE(Utf8ToWindows1252("\xC0\xAF", out));  // overlong slash
    EXPECT_EQ(out, "??");
    EXPECT_FALSE(Utf8ToWindows1252("\xF0\x9F\x98\x80x", out));  // emoji
    EXPECT_EQ(out, "?x");
}

}  // namespace
}  // namespace quill::spell
