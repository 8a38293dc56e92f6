#include "privacy/password_verifier.h"

#include <gtest/gtest.h>

#include "privacy/password_scramble.h"

namespace quill {
namespace {

TEST(PasswordVerifier, IsASaltedArgon2idValueThatHoldsNoPassword) {
    const std::string a = MakePasswordVerifier("Secret");
    const std::string b = MakePasswordVerifier("Secret");
    EXPECT_EQ(a.rfind("$argon2id$", 0), 0u) << a;
    EXPECT_TRUE(IsPasswordVerifier(a));
    EXPECT_NE(a, b);  // a new salt each time
    EXPECT_EQ(a.find("Secret"), std::string::npos);
}

TEST(PasswordVerifier, AcceptsExactlyThePasswordItWasMadeFrom) {
    const std::string stored = MakePasswordVerifier("Secret");
    struct Case {
        const char* typed;
        bool accepted;
    } cases[] = {{"Secret", true}, {"secret", false}, {"SECRET", false}, {"", false},
                 {"Secret ", false}, {"Secre", false}};
    for (const Case& c : cases)
        EXPECT_EQ(StoredPasswordAccepts(stored, c.typed), c.accepted) << "'" << c.typed << "'";
}

TEST(PasswordVerifier, OlderScrambledValuesAreComparedExactly) {
    const std::string stored = EncryptString("abc");
    EXPECT_FALSE(IsPasswordVerifier(stored));
    EXPECT_TRUE(StoredPasswordAccepts(stored, "abc"));
    EXPECT_FALSE(StoredPasswordAccepts(stored, "ABC"));
    EXPECT_FALSE(StoredPasswordAccepts(stored, "ab"));
    EXPECT_FALSE(StoredPasswordAccepts(stored, ""));
}

TEST(PasswordVerifier, NoStoredValueMeansNoPassword) {
    EXPECT_TRUE(StoredPasswordAccepts("", ""));
    EXPECT_FALSE(StoredPasswordAccepts("", "x"));
}

TEST(PasswordVerifier, ADamagedVerifierAcceptsNothing) {
    EXPECT_FALSE(StoredPasswordAccepts("$argon2id$garbage", "garbage"));
    EXPECT_FALSE(StoredPasswordAccepts("$argon2id$", ""));
    std::string cut = MakePasswordVerifier("pw");
    cut.resize(cut.size() - 5);
    EXPECT_FALSE(StoredPasswordAccepts(cut, "pw"));
    EXPECT_FALSE(StoredPasswordAccepts(std::string(200, '$').insert(0, "$argon2id$"), "pw"));
}

TEST(PasswordVerifier, BytesOutsideAsciiAndNulAreHashedWhole) {
    const std::string withNul("a\0b", 3);
    const std::string stored = MakePasswordVerifier(withNul);
    EXPECT_TRUE(StoredPasswordAccepts(stored, withNul));
    EXPECT_FALSE(StoredPasswordAccepts(stored, "a"));
    const std::string high = MakePasswordVerifier("caf\xE9");
    EXPECT_TRUE(StoredPasswordAccepts(high, "caf\xE9"));
    EXPECT_FALSE(StoredPasswordAccepts(high, "cafe"));
}

}  // namespace
}  // namespace quill
