// Opening main dictionaries (sections, trailing bytes, damaged files) and
// looking words up.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "spell/engine/main_dictionary_writer.h"
#include "spell/engine/zelvo_spell.h"
#include "tests/spell/spell_test_files.h"

namespace quill {
namespace {

using spelltest::TempFolder;

std::string MakeMain(const TempFolder& dir, const std::vector<std::string>& words,
                     const std::string& name = "main.dct", int nodeLimit = 64999) {
    std::string path = dir / name;
    EXPECT_TRUE(spell::BuildMainDictionary(words, path, nullptr, nodeLimit));
    return path;
}

TEST(SpellLookup, CaseRulesPossessivesAndOutsideCharacters) {
    TempFolder dir;
    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(
        MakeMain(dir, {"dog", "\xFC" "ber", "cat", "\xF0" "e", "o'clock", "dogma"})));
    struct Case {
        const char* Word;
        bool Correct;
    } cases[] = {
        {"", true}, {"q", true}, {"Z", true},              // 0 or 1 characters
        {"dog", true}, {"DOG", true}, {"dOg", true},
        {"do", false},                                      // prefix of entries, not a word
        {"dogm", false}, {"dogs", false}, {"dogmas", false},
        {"dog's", true}, {"DOG'S'S", true}, {"dogma's", true},
        {"dogs'", false}, {"dog'", false}, {"'s", true},
        {"\xDC" "ber", true}, {"\xDC" "BER", true}, {"\xFC" "ber", true},  // Über ÜBER über
        {"\xF0" "e", true}, {"\xF0" "E", true},            // ð is kept as stored
        {"\xD0" "e", false},                               // Ð is another letter
        {"c4t", true}, {"c.t", true},                      // outside the alphabet reads as A
        {"O'CLOCK", true}, {"oclock", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine.IsWordCorrect(c.Word), c.Correct) << '"' << c.Word << '"';
    }
}

TEST(SpellLookup, WordsInEveryFurtherSectionAreFound) {
    TempFolder dir;
    std::vector<std::string> words = {"apple", "apricot", "banana", "blueberry", "cherry",
                                      "damson", "elderberry", "fig", "grape", "guava",
                                      "kiwi", "lemon", "lime", "mango", "melon", "peach"};
    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(MakeMain(dir, words, "main.dct", 12)));
    ASSERT_GT(engine.SectionCount(), 4);
    EXPECT_EQ(engine.SectionKind(0), spell::TSectionKind::MainFirst);
    int32_t totalWords = 0;
    for (int s = 0; s < engine.SectionCount(); ++s) {
        if (s > 0) {
            EXPECT_EQ(engine.SectionKind(s), spell::TSectionKind::MainFurther);
        }
        EXPECT_LE(engine.SectionHeader(s).NodeCount, 12);
        EXPECT_NE(engine.SectionHeader(s).IsMain, 0);
        totalWords += engine.SectionHeader(s).WordCount;
    }
    EXPECT_EQ(totalWords, static_cast<int32_t>(words.size()));
    for (const auto& w : words) EXPECT_TRUE(engine.IsWordCorrect(w)) << w;
    for (const char* w : {"appl", "bananas", "grap", "peaches", "zebra"}) {
        EXPECT_FALSE(engine.IsWordCorrect(w)) << w;
    }
}

// Appends a section by hand: its header and the nodes of the word "QX".
std::vector<uint8_t> QxSection(int32_t headerPos) {
    std::vector<uint8_t> s(17);
    auto put = [&](size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<uint8_t>(uint32_t(v) >> (8 * i));
    };
    put(0, 2);
    put(4, 2);
    put(8, 1);
    s[12] = 1;
    put(13, headerPos);
    const uint8_t nodes[] = {2, 0, 16 | 0x40, 0, 0, 23 | 0xC0};  // Q -> X (word end)
    s.insert(s.end(), nodes, nodes + sizeof nodes);
    return s;
}

TEST(SpellLookup, TwentyTrailingBytesAreSlackMoreAreASection) {
    TempFolder dir;
    const std::string base = MakeMain(dir, {"cat"});
    const std::vector<uint8_t> file = spelltest::ReadBytes(base);
    const std::vector<uint8_t> section = QxSection(static_cast<int32_t>(file.size()));
    ASSERT_EQ(section.size(), 23u);
    struct Case {
        size_t Trailing;
        int Sections;
        bool QxFound;
    } cases[] = {{0, 1, false}, {20, 1, false}, {21, 2, false}, {23, 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Trailing);
        std::vector<uint8_t> f = file;
        f.insert(f.end(), section.begin(), section.begin() + c.Trailing);
        spelltest::WriteBytes(dir / "t.dct", f);
        TZelvoSpell engine;
        ASSERT_TRUE(engine.OpenDictionary(dir / "t.dct"));
        EXPECT_EQ(engine.SectionCount(), c.Sections);
        EXPECT_TRUE(engine.IsWordCorrect("cat"));
        EXPECT_EQ(engine.IsWordCorrect("qx"), c.QxFound);
    }
}

TEST(SpellLookup, SecondMainDictionaryIsRefusedAndFirstStays) {
    TempFolder dir;
    const std::string first = MakeMain(dir, {"cat"}, "first.dct");
    const std::string second = MakeMain(dir, {"dog"}, "second.dct");
    TZelvoSpell engine;
    EXPECT_EQ(engine.DictionaryName, "zelvo.dct");
    ASSERT_TRUE(engine.OpenDictionary(first));
    EXPECT_EQ(engine.DictionaryName, first);
    EXPECT_FALSE(engine.OpenDictionary(second));
    EXPECT_EQ(engine.DictionaryName, first);
    EXPECT_EQ(engine.SectionCount(), 1);
    EXPECT_TRUE(engine.IsWordCorrect("cat"));
    EXPECT_FALSE(engine.IsWordCorrect("dog"));
}

TEST(SpellLookup, MainDictionaryOpensOnFirstUseAndUserSectionsKeepTheirPlace) {
    TempFolder dir;
    TZelvoSpell engine;
    engine.DictionaryName = MakeMain(dir, {"apple", "banana", "cherry"}, "main.dct", 6);
    const int16_t id = engine.CreateUserDictionary(dir / "user.dct", {});
    ASSERT_EQ(id, 2);
    EXPECT_FALSE(engine.MainDictionaryOpen());
    EXPECT_TRUE(engine.IsWordCorrect("cherry"));
    EXPECT_TRUE(engine.MainDictionaryOpen());
    // The first main section goes to the front, further ones after the user section.
    ASSERT_EQ(engine.SectionCount(), 4);
    EXPECT_EQ(engine.SectionKind(0), spell::TSectionKind::MainFirst);
    EXPECT_EQ(engine.SectionKind(1), spell::TSectionKind::User);
    EXPECT_EQ(engine.SectionId(1), id);
    EXPECT_EQ(engine.SectionKind(2), spell::TSectionKind::MainFurther);
    engine.CloseDictionaries();
    EXPECT_EQ(engine.SectionCount(), 0);
    EXPECT_FALSE(engine.MainDictionaryOpen());
}

TEST(SpellLookup, CloseDoesNothingWithoutMainDictionary) {
    TempFolder dir;
    TZelvoSpell engine;
    engine.DictionaryName = dir / "missing.dct";
    const int16_t id = engine.CreateUserDictionary(dir / "user.dct", {});
    ASSERT_GE(id, 0);
    ASSERT_TRUE(engine.AddWord("quillbook", id));
    engine.CloseDictionaries();
    EXPECT_EQ(engine.SectionCount(), 1);
    EXPECT_TRUE(engine.IsWordCorrect("quillbook"));  // the user dictionary alone answers
}

TEST(SpellLookup, DamagedOrWrongFilesAreRefusedWithoutChangingTheList) {
    TempFolder dir;
    const std::string good = MakeMain(dir, {"cat", "dog"});
    std::vector<uint8_t> mainFile = spelltest::ReadBytes(good);
    const size_t headerAt = spelltest::BannerEnd(mainFile);
    TZelvoSpell maker;
    ASSERT_GE(maker.CreateUserDictionary(dir / "user.dct", {}), 0);
    const std::vector<uint8_t> userFile = spelltest::ReadBytes(dir / "user.dct");

    std::vector<uint8_t> noBanner(mainFile.begin() + headerAt, mainFile.end());
    for (auto& b : noBanner) {
        if (b == 0x1A) {
            b = 0;
        }
    }
    std::vector<uint8_t> shortHeader(mainFile.begin(), mainFile.begin() + headerAt + 10);
    std::vector<uint8_t> badCapacity = mainFile;
    badCapacity[headerAt + 7] = 0x80;  // NodeCapacity negative
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
    } mains[] = {{"empty", {}},
                 {"no banner end", noBanner},
                 {"short header", shortHeader},
                 {"negative capacity", badCapacity},
                 {"user dictionary", userFile}};
    for (const auto& c : mains) {
        SCOPED_TRACE(c.Name);
        spelltest::WriteBytes(dir / "bad.dct", c.Bytes);
        TZelvoSpell engine;
        EXPECT_FALSE(engine.OpenDictionary(dir / "bad.dct"));
        EXPECT_FALSE(engine.MainDictionaryOpen());
        EXPECT_EQ(engine.SectionCount(), 0);
        EXPECT_EQ(engine.DictionaryName, "zelvo.dct");
        EXPECT_FALSE(engine.IsWordCorrect("cat"));
    }
    TZelvoSpell engine;
    EXPECT_FALSE(engine.OpenDictionary(dir / "missing.dct"));

    struct UserCase {
        const char* Name;
        std::vector<uint8_t> Bytes;
    } users[] = {{"empty", {}}, {"main dictionary", mainFile}, {"short header", shortHeader}};
    for (const auto& c : users) {
        SCOPED_TRACE(c.Name);
        spelltest::WriteBytes(dir / "baduser.dct", c.Bytes);
        EXPECT_EQ(engine.OpenUserDictionary(dir / "baduser.dct"), -1);
        EXPECT_EQ(engine.SectionCount(), 0);
    }
    EXPECT_EQ(engine.OpenUserDictionary(dir / "missing.dct"), -1);
    EXPECT_EQ(engine.CreateUserDictionary(dir / "no-such-folder/user.dct", {}), -1);
    EXPECT_EQ(engine.SectionCount(), 0);
    // Ids are only spent on dictionaries that opened.
    EXPECT_EQ(engine.OpenUserDictionary(dir / "user.dct"), 2);
}

// Exit code of the read-only checks: 0 when every open or create failed.
int ReadOnlyChecks(const std::string& folder) {
    TZelvoSpell engine;
    engine.DictionaryName = folder + "/none.dct";
    int failures = 0;
    if (engine.OpenUserDictionary(folder + "/user.dct") != -1) failures |= 1;
    if (engine.CreateUserDictionary(folder + "/new.dct", {}) != -1) failures |= 2;
    if (engine.SectionCount() != 0) failures |= 4;
    return failures;
}

TEST(SpellLookup, ReadOnlyPlacesAreRefused) {
    TempFolder dir;
    TZelvoSpell maker;
    ASSERT_GE(maker.CreateUserDictionary(dir / "user.dct", {}), 0);
    const std::vector<uint8_t> before = spelltest::ReadBytes(dir / "user.dct");
    chmod((dir / "user.dct").c_str(), 0444);
    chmod(dir.Path().c_str(), 0555);
    int result;
    if (geteuid() != 0) {
        result = ReadOnlyChecks(dir.Path());
    } else {
        // Permissions do not bind root: run the checks as an ordinary user.
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
            _exit(ReadOnlyChecks(dir.Path()));
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
    }
    chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(spelltest::ReadBytes(dir / "user.dct"), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "new.dct"));
}

}  // namespace
}  // namespace quill
