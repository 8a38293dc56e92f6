// User dictionaries: the new file, word insertion byte by byte, growth past
// the preallocated nodes, sharing one file between two engines.

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "spell/engine/main_dictionary_writer.h"
#include "spell/engine/user_dictionary_journal.h"
#include "spell/engine/zelvo_spell.h"
#include "tests/spell/spell_test_files.h"

namespace quill {
namespace {

using spelltest::TempFolder;
using Bytes = std::vector<uint8_t>;

// Every word stored in section `s`, read through the engine's node access;
// also checks that no group holds a letter code twice.
std::multiset<std::string> StoredWords(TZelvoSpell& engine, int s) {
    std::multiset<std::string> words;
    std::function<void(uint32_t, std::string, int)> walk = [&](uint32_t first, std::string prefix,
                                                                int depth) {
        ASSERT_LT(depth, 40) << "trie deeper than any added word";
        std::set<uint8_t> codes;
        for (uint32_t i = first;; ++i) {
            ASSERT_LE(i, uint32_t(engine.SectionHeader(s).NodeCount)) << "group runs past NodeCount";
            spell::TSpellNode n = engine.ReadNode(s, i);
            EXPECT_TRUE(codes.insert(n.LetterCode()).second) << "letter twice in a group of " << prefix;
            std::string word = prefix + char(n.Character());
            if (n.IsWordEnd()) words.insert(word);
            if (n.HasChildren()) walk(n.Link, word, depth + 1);
            if (n.IsLastSibling()) break;
        }
    };
    walk(1, "", 0);
    return words;
}

TEST(SpellUserDictionary, NewFileHoldsTheWordAAndFreeNodes) {
    TempFolder dir;
    TZelvoSpell engine;
    EXPECT_EQ(engine.CreateUserDictionary(dir / "u.dct", {}), 2);
    EXPECT_EQ(engine.CreateUserDictionary(dir / "v.dct", {}), 3);
    const Bytes f = spelltest::ReadBytes(dir / "u.dct");
    const size_t h = spelltest::BannerEnd(f);
    ASSERT_NE(h, std::string::npos);
    const std::string banner(f.begin(), f.begin() + h);
    EXPECT_EQ(banner.rfind("USER DICTIONARY\r\n", 0), 0u);
    EXPECT_EQ(banner.substr(banner.size() - 3), "\r\n\x1A");
    EXPECT_EQ(std::count(banner.begin(), banner.end(), '\n'), 2);
    auto hdr = spelltest::HeaderAt(f, h);
    EXPECT_EQ(hdr.NodeCount, 1);
    EXPECT_EQ(hdr.NodeCapacity, 500);
    EXPECT_EQ(hdr.WordCount, 1);
    EXPECT_EQ(hdr.IsMain, 0);
    EXPECT_EQ(hdr.HeaderPos, int32_t(h));
    ASSERT_EQ(f.size(), h + 17 + 3 * 500);
    EXPECT_EQ(spelltest::UserNode(f, 1), (Bytes{0x00, 0x00, 0xC0}));
    for (int i = 2; i <= 500; ++i) ASSERT_EQ(spelltest::UserNode(f, i), (Bytes{0xE8, 0xFD, 0xC0})) << i;
    EXPECT_EQ(StoredWords(engine, 0), (std::multiset<std::string>{"A"}));
}

TEST(SpellUserDictionary, AddingCatGivesTheseExactNodes) {
    TempFolder dir;
    TZelvoSpell engine;
    engine.DictionaryName = dir / "none.dct";
    const int16_t id = engine.CreateUserDictionary(dir / "u.dct", {});
    EXPECT_TRUE(engine.AddWord("cat", id));
    const Bytes f = spelltest::ReadBytes(dir / "u.dct");
    EXPECT_EQ(spelltest::UserNode(f, 1), (Bytes{0x03, 0x00, 0x02}));
    EXPECT_EQ(spelltest::UserNode(f, 2), (Bytes{0x00, 0x00, 0xC0}));
    EXPECT_EQ(spelltest::UserNode(f, 3), (Bytes{0x04, 0x00, 0x40}));
    EXPECT_EQ(spelltest::UserNode(f, 4), (Bytes{0x00, 0x00, 0xD3}));
    EXPECT_EQ(spelltest::UserNode(f, 5), (Bytes{0xE8, 0xFD, 0xC0}));
    auto hdr = spelltest::HeaderAt(f, spelltest::BannerEnd(f));
    EXPECT_EQ(hdr.NodeCount, 4);
    EXPECT_EQ(hdr.WordCount, 2);
    EXPECT_TRUE(engine.IsWordCorrect("Cat"));
    EXPECT_FALSE(engine.IsWordCorrect("ca"));
}

TEST(SpellUserDictionary, PrefixRepeatAndTooLongWords) {
    TempFolder dir;
    TZelvoSpell engine;
    engine.DictionaryName = dir / "none.dct";
    const std::string path = dir / "u.dct";
    const int16_t id = engine.CreateUserDictionary(path, {});
    ASSERT_TRUE(engine.AddWord("cats", id));
    const Bytes before = spelltest::ReadBytes(path);
    const size_t h = spelltest::BannerEnd(before);

    // A prefix of an entry only marks an existing node as a word end.
    ASSERT_TRUE(engine.AddWord("CAT", id));
    Bytes after = spelltest::ReadBytes(path);
    size_t changedNodeBytes = 0;
    for (size_t i = h + 17; i < after.size(); ++i) changedNodeBytes += before[i] != after[i];
    EXPECT_EQ(changedNodeBytes, 1u);
    EXPECT_EQ(spelltest::HeaderAt(after, h).NodeCount, spelltest::HeaderAt(before, h).NodeCount);
    EXPECT_EQ(spelltest::HeaderAt(after, h).WordCount, 3);
    EXPECT_TRUE(engine.IsWordCorrect("cat"));

    // Again: no node changes, the count still goes up.
    ASSERT_TRUE(engine.AddWord("cat", id));
    Bytes again = spelltest::ReadBytes(path);
    EXPECT_TRUE(std::equal(after.begin() + h + 17, after.end(), again.begin() + h + 17));
    EXPECT_EQ(spelltest::HeaderAt(again, h).WordCount, 4);

    // 26 characters are refused (still "true"); 25 go in.
    EXPECT_TRUE(engine.AddWord(std::string(26, 'q'), id));
    EXPECT_EQ(spelltest::ReadBytes(path), again);
    EXPECT_FALSE(engine.IsWordCorrect(std::string(26, 'q')));
    EXPECT_TRUE(engine.AddWord(std::string(25, 'q'), id));
    EXPECT_TRUE(engine.IsWordCorrect(std::string(25, 'q')));
    EXPECT_TRUE(engine.AddWord("", id));  // nothing to add
    EXPECT_EQ(spelltest::HeaderAt(spelltest::ReadBytes(path), h).WordCount, 5);

    // No such dictionary: false. -1, the id of a failed open, names none even
    // though the main dictionary's sections carry it.
    EXPECT_FALSE(engine.AddWord("dog", 99));
    TZelvoSpell withMain;
    ASSERT_TRUE(withMain.OpenDictionary(
        (spell::BuildMainDictionary({"cat"}, dir / "m.dct"), dir / "m.dct")));
    EXPECT_FALSE(withMain.AddWord("dog", -1));
}

TEST(SpellUserDictionary, CharactersOutsideTheAlphabetShareTheNodeOfA) {
    TempFolder dir;
    TZelvoSpell engine;
    engine.DictionaryName = dir / "none.dct";
    const int16_t id = engine.CreateUserDictionary(dir / "u.dct", {});
    ASSERT_TRUE(engine.AddWord("x1y", id));
    ASSERT_TRUE(engine.AddWord("xay", id));
    ASSERT_TRUE(engine.AddWord("x\xF7z", id));  // division sign
    EXPECT_TRUE(engine.IsWordCorrect("x1y"));
    EXPECT_TRUE(engine.IsWordCorrect("xay"));
    EXPECT_TRUE(engine.IsWordCorrect("xaz"));
    EXPECT_EQ(StoredWords(engine, 0), (std::multiset<std::string>{"A", "XAY", "XAZ"}));
    EXPECT_EQ(engine.SectionHeader(0).WordCount, 4);
}

std::vector<std::string> SomeWords(size_t n, unsigned seed, size_t minLength = 2) {
    std::mt19937 rng(seed);
    std::set<std::string> words;
    const std::string letters = "abcdefghijklmnopqrstuvwxyz'\xE9\xFC";
    while (words.size() < n) {
        std::string w;
        size_t len = minLength + rng() % 11;
        for (size_t i = 0; i < len; ++i) w += letters[rng() % (i == 0 ? 26 : letters.size())];
        words.insert(w);
    }
    return {words.begin(), words.end()};
}

std::multiset<std::string> UpperSet(const std::vector<std::string>& words) {
    std::multiset<std::string> out{"A"};
    for (auto w : words) {
        for (auto& c : w) c = char(spell::kUpperCase[uint8_t(c)]);
        out.insert(w);
    }
    return out;
}

TEST(SpellUserDictionary, GrowsPastItsPreallocatedNodesAndReopensIntact) {
    TempFolder dir;
    const std::string path = dir / "u.dct";
    // Long words, so that few additions (each one synced to disk) pass 500 nodes.
    std::vector<std::string> words = SomeWords(80, 7, 10);
    std::shuffle(words.begin(), words.end(), std::mt19937(3));
    {
        TZelvoSpell engine;
        engine.DictionaryName = dir / "none.dct";
        const int16_t id = engine.CreateUserDictionary(path, {});
        for (const auto& w : words) ASSERT_TRUE(engine.AddWord(w, id));
        EXPECT_GT(engine.SectionHeader(0).NodeCount, 800);
    }
    const Bytes f = spelltest::ReadBytes(path);
    const auto hdr = spelltest::HeaderAt(f, spelltest::BannerEnd(f));
    EXPECT_EQ(hdr.NodeCapacity, 500);
    EXPECT_EQ(hdr.WordCount, 81);
    EXPECT_GE(f.size(), spelltest::BannerEnd(f) + 17 + 3 * size_t(hdr.NodeCount));
    EXPECT_FALSE(std::filesystem::exists(spell::JournalPathOf(path)));

    TZelvoSpell reopened;
    reopened.DictionaryName = dir / "none.dct";
    ASSERT_EQ(reopened.OpenUserDictionary(path), 2);
    for (const auto& w : words) EXPECT_TRUE(reopened.IsWordCorrect(w)) << w;
    std::vector<std::string> sorted = words;
    std::sort(sorted.begin(), sorted.end());
    for (const auto& w : SomeWords(50, 99)) {
        const bool possessive = w.size() > 2 && w.compare(w.size() - 2, 2, "'s") == 0;
        if (!possessive && !std::binary_search(sorted.begin(), sorted.end(), w)) {
            EXPECT_FALSE(reopened.IsWordCorrect(w)) << w;
        }
    }
    EXPECT_EQ(StoredWords(reopened, 0), UpperSet(words));
}

TEST(SpellUserDictionary, CreateWithAWordList) {
    TempFolder dir;
    TZelvoSpell engine;
    engine.DictionaryName = dir / "none.dct";
    const std::vector<std::string> words = {"zebra", "apple", "mango", "app",
                                            "twenty-five-letters-longg"};
    std::vector<std::string> given = words;
    given.push_back("twenty-six-letters-long-xy");  // refused
    ASSERT_GE(engine.CreateUserDictionary(dir / "u.dct", given), 0);
    EXPECT_EQ(StoredWords(engine, 0), UpperSet(words));
    EXPECT_EQ(engine.SectionHeader(0).WordCount, 6);
    EXPECT_FALSE(std::filesystem::exists(spell::JournalPathOf(dir / "u.dct")));
}

TEST(SpellUserDictionary, RefusesWordsThatWouldPassTheNodeLimit) {
    TempFolder dir;
    const std::string path = dir / "u.dct";
    {
        TZelvoSpell maker;
        ASSERT_GE(maker.CreateUserDictionary(path, {}), 0);
    }
    // Claim 63,990 nodes in use: node 1 is the word A, the rest unreachable.
    Bytes f = spelltest::ReadBytes(path);
    const size_t h = spelltest::BannerEnd(f);
    const int32_t count = 63990;
    for (int i = 0; i < 4; ++i) f[h + i] = uint8_t(uint32_t(count) >> (8 * i));
    f.resize(h + 17 + 3 * size_t(count), 0);
    for (size_t i = 2; i <= size_t(count); ++i) {
        f[h + 17 + 3 * (i - 1) + 2] = 0xC0;
    }
    spelltest::WriteBytes(path, f);

    TZelvoSpell engine;
    engine.DictionaryName = dir / "none.dct";
    const int16_t id = engine.OpenUserDictionary(path);
    ASSERT_GE(id, 0);
    EXPECT_TRUE(engine.AddWord("abcdefghij", id));  // 63,990 + 10 > 63,999
    EXPECT_EQ(spelltest::ReadBytes(path), f);
    EXPECT_TRUE(engine.AddWord("bcdefghij", id));   // exactly 63,999
    EXPECT_TRUE(engine.IsWordCorrect("bcdefghij"));
    EXPECT_EQ(engine.SectionHeader(0).NodeCount, 63999);
}

TEST(SpellUserDictionary, TwoEnginesShareOneFile) {
    TempFolder dir;
    const std::string path = dir / "u.dct";
    TZelvoSpell a, b;
    a.DictionaryName = b.DictionaryName = dir / "none.dct";
    const int16_t ida = a.CreateUserDictionary(path, {});
    const int16_t idb = b.OpenUserDictionary(path);
    ASSERT_GE(ida, 0);
    ASSERT_GE(idb, 0);
    EXPECT_FALSE(b.IsWordCorrect("quill"));
    ASSERT_TRUE(a.AddWord("quill", ida));
    EXPECT_TRUE(b.IsWordCorrect("quill"));  // b re-reads the header and sees the change
    ASSERT_TRUE(b.AddWord("zelvo", idb));   // and inserts on top of a's word
    EXPECT_TRUE(a.IsWordCorrect("zelvo"));
    EXPECT_TRUE(a.IsWordCorrect("quill"));
    EXPECT_EQ(StoredWords(a, 0), (std::multiset<std::string>{"A", "QUILL", "ZELVO"}));
    EXPECT_EQ(a.SectionHeader(0).WordCount, 3);
}

TEST(SpellUserDictionary, InterruptedChangeIsCompletedOrDroppedOnOpen) {
    TempFolder dir;
    const std::string path = dir / "u.dct";
    {
        TZelvoSpell maker;
        ASSERT_GE(maker.CreateUserDictionary(path, {"first"}), 0);
    }
    const Bytes before = spelltest::ReadBytes(path);
    Bytes after;
    {
        TZelvoSpell e;
        e.DictionaryName = dir / "none.dct";
        const int16_t id = e.OpenUserDictionary(path);
        ASSERT_TRUE(e.AddWord("second", id));
        after = spelltest::ReadBytes(path);
    }
    // The change as a journal whose application never happened: writing it
    // through a read-only handle fails after the journal is on disk.
    std::vector<spell::TFileChange> changes;
    spell::TFileChange c;
    c.Offset = 0;
    c.Bytes = after;
    changes.push_back(c);
    spelltest::WriteBytes(path, before);
    {
        int ro = open(path.c_str(), O_RDONLY);
        ASSERT_FALSE(spell::ApplyChangesDurably(path, ro, changes));
        close(ro);
    }
    const std::string journal = spell::JournalPathOf(path);
    ASSERT_TRUE(std::filesystem::exists(journal));
    const Bytes journalBytes = spelltest::ReadBytes(journal);
    EXPECT_EQ(spelltest::ReadBytes(path), before);
    {
        TZelvoSpell e;
        e.DictionaryName = dir / "none.dct";
        ASSERT_GE(e.OpenUserDictionary(path), 0);
        EXPECT_TRUE(e.IsWordCorrect("second"));
    }
    EXPECT_EQ(spelltest::ReadBytes(path), after);
    EXPECT_FALSE(std::filesystem::exists(journal));

    // A journal cut short (the crash came while writing it) is dropped.
    spelltest::WriteBytes(path, before);
    spelltest::WriteBytes(journal, Bytes(journalBytes.begin(), journalBytes.end() - 5));
    {
        TZelvoSpell e;
        e.DictionaryName = dir / "none.dct";
        ASSERT_GE(e.OpenUserDictionary(path), 0);
        EXPECT_TRUE(e.IsWordCorrect("first"));
        EXPECT_FALSE(e.IsWordCorrect("second"));
    }
    EXPECT_EQ(spelltest::ReadBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(journal));
}

}  // namespace
}  // namespace quill
