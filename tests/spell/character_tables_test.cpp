// The character tables decide what a dictionary file means; a wrong entry
// silently makes words unfindable in files written by other copies.

#include <gtest/gtest.h>

#include "spell/engine/spell_tables.h"

namespace quill::spell {
namespace {

struct CharCase {
    uint8_t Byte;
    uint8_t Code;
    uint8_t Upper;
    uint8_t Lower;
};

TEST(SpellCharacterTables, MapsEveryKindOfByte) {
    const CharCase cases[] = {
        {'A', 0, 'A', 'a'},    {'z', 25, 'Z', 'z'},    {'\'', 26, '\'', '\''},
        {'-', 27, '-', '-'},   {0x8A, 28, 0x8A, 0x9A}, {0x9A, 28, 0x8A, 0x9A},
        {0x8C, 29, 0x8C, 0x9C}, {0x9C, 29, 0x8C, 0x9C}, {0x9F, 30, 0x9F, 0xFF},
        {0xFF, 30, 0x9F, 0xFF}, {0xC0, 31, 0xC0, 0xE0}, {0xD6, 53, 0xD6, 0xF6},
        {0xE0, 31, 0xC0, 0xE0}, {0xEF, 46, 0xCF, 0xEF}, {0xF1, 48, 0xD1, 0xF1},
        {0xF6, 53, 0xD6, 0xF6}, {0xD8, 54, 0xD8, 0xF8}, {0xF8, 54, 0xD8, 0xF8},
        {0xFE, 60, 0xDE, 0xFE}, {0xDE, 60, 0xDE, 0xFE}, {0xDF, 61, 0xDF, 0xDF},
        {0xF0, 62, 0xF0, 0xF0},  // eth has no capital here
        {0xD0, 47, 0xD0, 0xD0},  // capital eth keeps its own case
        {0x60, 63, 0x60, 0x60},  {'7', 0, '7', '7'},    {' ', 0, ' ', ' '},
        {0xD7, 0, 0xD7, 0xD7},   // multiplication sign
        {0xF7, 0, 0xF7, 0xF7},   // division sign
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int(c.Byte));
        EXPECT_EQ(kLetterCode[c.Byte], c.Code);
        EXPECT_EQ(kUpperCase[c.Byte], c.Upper);
        EXPECT_EQ(kLowerCase[c.Byte], c.Lower);
    }
}

TEST(SpellCharacterTables, AlphabetAndLetterCodesAgree) {
    for (int code = 0; code < 64; ++code) {
        EXPECT_EQ(kLetterCode[kAlphabet[code]], code) << code;
        EXPECT_TRUE(InAlphabet(kAlphabet[code])) << code;
    }
    // Every small letter that upper-cases into the alphabet has its capital's code.
    for (int c = 0; c < 256; ++c) {
        if (InAlphabet(uint8_t(c))) {
            EXPECT_EQ(kLetterCode[c], kLetterCode[kUpperCase[c]]) << c;
        }
    }
    EXPECT_FALSE(InAlphabet('4'));
    EXPECT_FALSE(InAlphabet(0xD7));
    EXPECT_FALSE(InAlphabet(0xF7));
}

}  // namespace
}  // namespace quill::spell
