#include "app/entry_search/entry_matcher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "richtext/find/text_finder.h"

namespace quill {
namespace {

std::string Rtf(const std::string& body) {
    return "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}\r\n"
           "\\pard\\plain\\f0\\fs16 " +
           body + "\\par }\r\n";
}

TEST(EntryMatcher, MatchesTheTextAsTheEditorHoldsIt) {
    const std::string longText(255, 'q');
    const struct {
        const char* why;
        std::string entry;
        std::string text;
        bool found;
    } cases[] = {
        {"case ignored", Rtf("Hello World"), "hello", true},
        {"case ignored, pattern in capitals", Rtf("hello world"), "WORLD", true},
        {"start of a longer word", Rtf("We went walking."), "walk", true},
        {"inside a word", Rtf("unbelievable"), "lie", true},
        {"absent", Rtf("Hello World"), "goodbye", false},
        {"split by formatting", Rtf("{\\b bo}ld and {\\i it}{\\ul alic}"), "bold and italic", true},
        {"escaped letter", Rtf("caf\\'e9 au lait"), "caf\xe9 au", true},
        {"escaped letter, other case", Rtf("caf\\'e9"), "CAF\xc9", true},
        {"control words are not text", Rtf("hello"), "fonttbl", false},
        {"font names are not text", Rtf("hello"), "Arial", false},
        {"paragraph mark is not text", Rtf("hello"), "par", false},
        {"no match across a paragraph end", Rtf("the end\\par start here"), "end start", false},
        {"second paragraph", Rtf("first\\par second one"), "second", true},
        {"wildcard within a paragraph", Rtf("a big red car"), "big*car", true},
        {"wildcard does not cross paragraphs", Rtf("a big\\par red car"), "big*car", false},
        {"trailing wildcard", Rtf("rock and roll"), "rock*", true},
        {"leading wildcard never matches", Rtf("rock and roll"), "*roll", false},
        {"line break inside a paragraph", Rtf("one\\line two"), "two", true},
        {"plain text entry", "just plain words", "PLAIN", true},
        {"empty entry", "", "x", false},
        {"empty text", Rtf("anything"), "", false},
        {"pattern cut to 255 characters", Rtf(longText + " end"), longText + "zzzz", true},
        {"255 characters must all match", Rtf(std::string(254, 'q') + " end"), longText, false},
    };
    EntryMatcher m;
    for (const auto& c : cases) EXPECT_EQ(m.Contains(c.entry, c.text), c.found) << c.why;
}

TEST(EntryMatcher, OneMatcherServesEveryEntryOfAWalk) {
    // The document is reused: nothing of an earlier entry may be found in a
    // later one.
    EntryMatcher m;
    EXPECT_TRUE(m.Contains(Rtf("first entry with zebra"), "zebra"));
    EXPECT_FALSE(m.Contains(Rtf("second entry"), "zebra"));
    EXPECT_FALSE(m.Contains("", "zebra"));
    EXPECT_TRUE(m.Contains(Rtf("third {\\b ZEBRA}"), "zebra"));
}

TEST(EntryMatcher, DamagedRtfIsSearchedAsFarAsItReads) {
    EntryMatcher m;
    // Unbalanced groups and an unknown destination: what the editor shows is
    // what is searched.
    EXPECT_TRUE(m.Contains("{\\rtf1\\ansi {\\b visible text", "visible"));
    EXPECT_FALSE(m.Contains("{\\rtf1\\ansi {\\*\\mystery hidden}shown\\par}", "hidden"));
    EXPECT_TRUE(m.Contains("{\\rtf1\\ansi {\\*\\mystery hidden}shown\\par}", "shown"));
}

// The quick look before the finder must never rule out an entry the finder
// would find: random entries and patterns, compared with the finder alone.
TEST(EntryMatcher, AgreesWithTheFinderOnRandomEntries) {
    std::mt19937 rng(7);
    // Letters in both cases (a few of them accented), a space, a "*" and a
    // character outside the letters.
    const std::string alphabet = "aAbBc \xe9\xc9*-";
    const std::string rtfPieces[] = {"a", "A", "b", "B", "c", " ", "\\'e9", "\\'c9", "*", "-", "{\\b ab}", "\\par ", "\\line "};
    int found = 0;
    EntryMatcher m;
    for (int round = 0; round < 3000; ++round) {
        std::string body;
        for (int i = std::uniform_int_distribution<int>(0, 40)(rng); i > 0; --i)
            body += rtfPieces[std::uniform_int_distribution<size_t>(0, std::size(rtfPieces) - 1)(rng)];
        std::string pattern;
        for (int i = std::uniform_int_distribution<int>(1, 5)(rng); i > 0; --i)
            pattern += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
        const std::string entry = Rtf(body);
        TRTFText doc;
        TRTFTextIo io(doc);
        io.LoadFromBytes(entry);
        TTextFinder finder(&doc);
        const bool expected = finder.FindText(pattern, false);
        EXPECT_EQ(m.Contains(entry, pattern), expected) << "entry " << entry << " pattern '" << pattern << "'";
        found += expected;
    }
    EXPECT_GT(found, 300) << "the cases must include matches";
    EXPECT_LT(found, 2700) << "and misses";
}

}  // namespace
}  // namespace quill
