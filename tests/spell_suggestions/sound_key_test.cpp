#include "spell/engine/sound_key.h"

#include "spell/engine/first_letters.h"

#include <gtest/gtest.h>

#include <string>

namespace quill {
namespace {

std::string Show(const SoundKey& k) {
    std::string s;
    for (auto b : k) {
        if (b < 32) s += "<" + std::to_string(b) + ">";
        else s += static_cast<char>(b);
    }
    return s;
}

TEST(SoundKey, ZeroFillExamples) {
    struct Case {
        const char* text;
        SoundKey key;
    } cases[] = {
        {"PHONETIC", {'P', 5, 3, 2}},
        {"TEH", {'T', 0, 0, 0}},
        {"BOBBY", {'B', 1, 0, 0}},        // the first letter takes no part in the repeat rule
        {"DON'T", {'D', 5, 7, 3}},
        {"ABRACADABRA", {'A', 1, 6, 2}},  // repeats removed even when not adjacent
        {"A", {'A', 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"EAIOUHWY", {'E', 0, 0, 0}},     // every later vowel and H W Y ignored
        {"STRENGTHS", {'S', 3, 6, 5}},    // S at position 1 does not remove the later S class
        {"X-RAY", {'X', 7, 6, 0}},
        {"A1B", {'A', 'I', 1, 0}},        // 1 and 7 read as I, not ignored
        {"A0Q", {'A', 'O', 2, 0}},
        {"A.B", {'A', '.', 1, 0}},        // a character in no class stays itself
        {"Z\xDF\xDE\xD0\xD1\xC7\x8A", {'Z', 1, 3, 5}},  // ß Þ class 1, Ð 3, Ñ 5
        {"B\xC0\xC9\xD6\xD8\xDC\xF0\x9F" "D", {'B', 3, 0, 0}},  // accented vowels, ð, Ÿ ignored
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(SoundKeyZeroFill(c.text)), Show(c.key)) << c.text;
    }
}

TEST(SoundKey, CompletionFillsFromReference) {
    const SoundKey ref{'P', 5, 3, 2};
    EXPECT_EQ(SoundKeyCompleted("P", ref), ref);
    EXPECT_EQ(SoundKeyCompleted("PHO", ref), ref);
    EXPECT_EQ(SoundKeyCompleted("PHON", ref), ref);
    EXPECT_EQ(Show(SoundKeyCompleted("PHOT", ref)), Show({'P', 3, 3, 2}));
    EXPECT_EQ(Show(SoundKeyCompleted("PHONETICAL", ref)), Show({'P', 5, 3, 2}));
    EXPECT_EQ(Show(SoundKeyCompleted("Q", ref)), Show({'Q', 5, 3, 2}));
}

TEST(FirstLetters, AlternativesInTableOrder) {
    struct Case {
        unsigned char first;
        const char* letters;
    } cases[] = {
        {'T', "YRT"},
        {'A', "EDA\xC0\xC1\xC2\xC3\xC4\xC5\xC6"},
        {0xC4, "EDA\xC0\xC1\xC2\xC3\xC4\xC5\xC6"},  // Ä
        {'B', "PVNB\xDF"},
        {0xDF, "PVNB\xDF"},
        {'C', "SXVC\xC7\x8C"},
        {0x8C, "SXVC\xC7\x8C"},
        {0xC7, "SXVC\xC7\x8C"},
        {0xD0, "FD\xD0"},
        {0xCB, "IWRE\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"},  // Ë is an E
        {0xCC, "EOUI\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"},  // Ì is an I
        {'K', "CLJK"},
        {'M', "NM\xD1"},
        {0xD1, "MBN\xD1"},
        {0xD6, "PIO\xD2\xD3\xD4\xD5\xD6\xCC\xCD\xCE\xCF"},
        {0xDE, "BOP\xDE"},
        {'S', "ACDS\x8A\x8C"},
        {0xDC, "YIU\xD9\xDA\xDB\xDC"},
        {'V', "BCV\xC7\x8C"},
        {0x9F, "TUY\x9F\xDD"},
        {0xDD, "TUY\x9F\xDD"},
        {'Z', "XZ"},
        {'H', "JGH"},
        {'W', "QEW"},
        {0x8A, "\x8A"},  // Š has no row of its own
        {0xD8, "\xD8"},
        {'\'', "'"},
        {'7', "7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstLetterAlternatives(c.first), c.letters) << int(c.first);
    }
}

}  // namespace
}  // namespace quill
