#include "privacy/password_scramble.h"

#include <gtest/gtest.h>

#include <random>

namespace quill {
namespace {

TEST(PasswordScramble, UnscramblingGivesBackEveryTextOfEveryLength) {
    std::mt19937 random(7);
    for (std::size_t length = 0; length <= 300; ++length) {
        std::string text(length, '\0');
        for (char& c : text) c = static_cast<char>(random() % 256);
        const std::string stored = EncryptString(text);
        ASSERT_EQ(stored.size(), length);
        ASSERT_EQ(Decryptstring(stored), text) << "length " << length;
        ASSERT_EQ(EncryptString(Decryptstring(text)), text) << "length " << length;
    }
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(Decryptstring(EncryptString(all)), all);
}

TEST(PasswordScramble, ThreeCharactersShiftBy97AtOddAnd103AtEvenPositions) {
    const std::string stored = EncryptString("ab\xFE");
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(stored[0]), 'a' + 97);
    EXPECT_EQ(static_cast<unsigned char>(stored[1]), 'b' + 103);
    EXPECT_EQ(static_cast<unsigned char>(stored[2]), (0xFE + 97) % 256);  // wraps
}

TEST(PasswordScramble, TheSameCharacterScramblesByPositionParityAndTextLength) {
    const std::string two = EncryptString("xx");
    EXPECT_NE(two[0], two[1]);
    EXPECT_NE(EncryptString("x")[0], EncryptString("xxx")[0]);
    EXPECT_NE(EncryptString("xxxx")[1], EncryptString("xx")[1]);
    // Shifts that meet at multiples of 256 wrap in both directions.
    EXPECT_EQ(static_cast<unsigned char>(EncryptString(std::string(100, '\0'))[0]), 0);
    EXPECT_EQ(static_cast<unsigned char>(Decryptstring(std::string(1, '\x63'))[0]), 0);
}

TEST(PasswordScramble, PasswordsOfTheAcceptedSetStoreOnlyCodes124To230) {
    for (std::size_t length = 1; length <= 8; ++length) {
        for (int code = 32; code <= 122; ++code) {
            const std::string stored = EncryptString(std::string(length, static_cast<char>(code)));
            for (char s : stored) {
                const int v = static_cast<unsigned char>(s);
                ASSERT_GE(v, 124) << length << " " << code;
                ASSERT_LE(v, 230) << length << " " << code;
            }
        }
    }
}

}  // namespace
}  // namespace quill
