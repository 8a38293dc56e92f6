// The main dictionary builder: every word it keeps can be looked up, words
// the alphabet cannot hold are left out, sections stay within their limit,
// tiers keep their order, and the filters drop only what they name.

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "spell/engine/main_dictionary_writer.h"
#include "spell/engine/word_list_file.h"
#include "spell/engine/zelvo_spell.h"
#include "tests/spell/spell_test_files.h"

namespace quill {
namespace {

using spelltest::TempFolder;

TEST(SpellDictionaryBuilder, KeepsAlphabetWordsAndSkipsTheRest) {
    TempFolder dir;
    const std::vector<std::string> kept = {"cat", "Cat", "caterpillar", "na\xEFve", "\xC6on",
                                           "o'clock", "x-ray", "\xF0" "e", "\x9C" "uvre"};
    const std::vector<std::string> skipped = {"4th", "a\xD7" "b", "half\xBD", "", "co.op"};
    std::vector<std::string> words = kept;
    words.insert(words.end(), skipped.begin(), skipped.end());
    spell::TDictionaryBuildStats st;
    ASSERT_TRUE(spell::BuildMainDictionary(words, dir / "m.dct", &st));
    EXPECT_EQ(st.WordsGiven, words.size());
    EXPECT_EQ(st.WordsSkipped, skipped.size());
    EXPECT_EQ(st.Duplicates, 1u);  // cat, Cat
    EXPECT_EQ(st.WordsStored, kept.size() - 1);
    EXPECT_EQ(st.Sections, 1u);
    EXPECT_EQ(st.FileBytes, spelltest::ReadBytes(dir / "m.dct").size());

    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(dir / "m.dct"));
    EXPECT_EQ(engine.SectionHeader(0).WordCount, int32_t(st.WordsStored));
    EXPECT_EQ(engine.SectionHeader(0).NodeCount, int32_t(st.Nodes));
    for (const auto& w : kept) EXPECT_TRUE(engine.IsWordCorrect(w)) << w;
    for (const char* w : {"4th", "co.op", "cate", "caterpillars", "xray"}) {
        EXPECT_FALSE(engine.IsWordCorrect(w)) << w;
    }
}

TEST(SpellDictionaryBuilder, SplitsIntoSectionsWithinTheNodeLimit) {
    TempFolder dir;
    std::vector<std::string> words;
    for (const char* a : {"b", "c", "d", "f", "g"}) {
        for (const char* b : {"ar", "ell", "ill", "olt", "unk"}) words.push_back(std::string(a) + b);
    }
    words.push_back("yyyyyyyyy");  // a section of its own, full
    words.push_back("z");          // alone in the last section: one node
    spell::TDictionaryBuildStats st;
    ASSERT_TRUE(spell::BuildMainDictionary(words, dir / "m.dct", &st, 9));
    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(dir / "m.dct"));
    ASSERT_EQ(size_t(engine.SectionCount()), st.Sections);
    ASSERT_GT(st.Sections, 5u);
    int32_t nodes = 0;
    for (int s = 0; s < engine.SectionCount(); ++s) {
        EXPECT_LE(engine.SectionHeader(s).NodeCount, 9);
        EXPECT_GE(engine.SectionHeader(s).NodeCapacity, engine.SectionHeader(s).NodeCount);
        nodes += engine.SectionHeader(s).NodeCount;
    }
    EXPECT_EQ(size_t(nodes), st.Nodes);
    // The one-node section is still read, not taken for trailing slack.
    const int last = engine.SectionCount() - 1;
    EXPECT_EQ(engine.SectionHeader(last).NodeCount, 1);
    EXPECT_EQ(engine.ReadNode(last, 1).Character(), 'Z');
    for (const auto& w : words) EXPECT_TRUE(engine.IsWordCorrect(w)) << w;
    EXPECT_FALSE(engine.IsWordCorrect("bolts"));
}

TEST(SpellDictionaryBuilder, ProgramReadsUtf8ListsAndDropsListedPossessives) {
    TempFolder dir;
    {
        std::ofstream list(dir / "words.txt", std::ios::binary);
        list << "cat\ncat's\ndog's\nna\xC3\xAFve\r\n\xC3\x9C" "ber\nsmile\xE2\x98\xBA\n4th\n\n";
    }
    std::vector<std::string> words;
    spell::TWordListStats st;
    ASSERT_TRUE(spell::ReadWordListFile(dir / "words.txt", words, &st));
    EXPECT_EQ(st.Lines, 7u);
    EXPECT_EQ(st.NotWindows1252, 1u);  // the smiley
    EXPECT_EQ(st.Possessives, 1u);     // cat's; dog's stays, dog is not listed
    EXPECT_EQ(words, (std::vector<std::string>{"cat", "dog's", "na\xEFve", "\xDC" "ber", "4th"}));
    EXPECT_FALSE(spell::ReadWordListFile(dir / "missing.txt", words));

    const std::string cmd = std::string(QUILLBOOK_DICTIONARY_BUILDER_PATH) + " '" + (dir / "m.dct") +
                            "' '" + (dir / "words.txt") + "' > '" + (dir / "out.txt") + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(dir / "m.dct"));
    for (const char* w : {"cat", "cat's", "dog's", "NA\xCFVE", "\xFC" "ber"}) {
        EXPECT_TRUE(engine.IsWordCorrect(w)) << w;
    }
    EXPECT_FALSE(engine.IsWordCorrect("dog"));
    EXPECT_FALSE(engine.IsWordCorrect("4th"));
    const std::string bad = std::string(QUILLBOOK_DICTIONARY_BUILDER_PATH) + " '" + (dir / "x.dct") +
                            "' '" + (dir / "missing.txt") + "' 2>/dev/null";
    EXPECT_NE(std::system(bad.c_str()), 0);
}


// Between suggestions of equal score the word of the earlier tier comes
// first, whichever way the letters sort; a word of an earlier tier is not
// stored again.
TEST(SpellDictionaryBuilder, EarlierTiersWinTiesAndKeepTheirWordsOnce) {
    TempFolder dir;
    struct Case {
        std::vector<std::vector<std::string>> tiers;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {{{"cat", "hat"}, {"cot", "hot", "CAT"}}, "cat", "cot"},
        {{{"cot", "hot"}, {"cat", "hat", "Cot"}}, "cot", "cat"},
    };
    for (const auto& c : cases) {
        spell::TDictionaryBuildStats st;
        ASSERT_TRUE(spell::BuildMainDictionaryInTiers(c.tiers, dir / "m.dct", &st));
        EXPECT_EQ(st.WordsStored, 4u);
        EXPECT_EQ(st.Duplicates, 1u);
        EXPECT_EQ(st.Sections, 2u);

        TZelvoSpell engine;
        ASSERT_TRUE(engine.OpenDictionary(dir / "m.dct"));
        ASSERT_EQ(engine.SectionCount(), 2);
        EXPECT_EQ(engine.SectionHeader(0).WordCount, 2);
        EXPECT_EQ(engine.SectionHeader(1).WordCount, 2);
        // "cxt" scores the same against cat and cot.
        const std::vector<std::string> s = engine.GetSuggestions("cxt");
        const auto first = std::find(s.begin(), s.end(), c.first);
        const auto second = std::find(s.begin(), s.end(), c.second);
        ASSERT_NE(first, s.end()) << c.first;
        ASSERT_NE(second, s.end()) << c.second;
        EXPECT_LT(first, second) << c.first;
        EXPECT_EQ(std::count(s.begin(), s.end(), "cat"), 1);
        EXPECT_EQ(std::count(s.begin(), s.end(), "cot"), 1);
    }
    // An empty tier makes no section; an empty list still makes a file.
    spell::TDictionaryBuildStats st;
    ASSERT_TRUE(spell::BuildMainDictionaryInTiers({{}, {"cat"}, {}}, dir / "m.dct", &st));
    EXPECT_EQ(st.Sections, 1u);
    ASSERT_TRUE(spell::BuildMainDictionaryInTiers({}, dir / "e.dct", &st));
    TZelvoSpell engine;
    EXPECT_TRUE(engine.OpenDictionary(dir / "e.dct"));
}

TEST(SpellDictionaryBuilder, FiltersDropShortAbbreviationsNamesAndRareWords) {
    // Windows-1252: \xC9 is E acute, \xE9 e acute.
    const std::vector<std::string> words = {
        "NY",   "NY's", "ASAP", "A",   "I",     "Ian", "Ian's", "Ty",   "Tom's", "Dover",
        "ian",  "ans",  "dag",  "org", "zebra", "TV",  "McDo", "\xC9" "va", "\xC9" "V",
        "x-ray", "o'er", "I'd", "AT&T"};
    struct Case {
        size_t (*filter)(std::vector<std::string>&, size_t);
        size_t letters;
        std::vector<std::string> dropped;
    };
    const Case cases[] = {
        {spell::DropAbbreviationsUpTo, 2, {"NY", "NY's", "TV", "\xC9" "V"}},
        {spell::DropAbbreviationsUpTo, 4, {"NY", "NY's", "ASAP", "TV", "\xC9" "V", "AT&T"}},
        {spell::DropNamesUpTo, 3, {"Ian", "Ian's", "Ty", "Tom's", "\xC9" "va"}},
        {spell::DropNamesUpTo, 0, {}},
        {spell::DropShorterThan, 4,
         {"Ian", "Ian's", "Ty", "Tom's", "ian", "ans", "dag", "org", "\xC9" "va", "I'd"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> kept = words;
        EXPECT_EQ(c.filter(kept, c.letters), c.dropped.size());
        std::vector<std::string> expected;
        for (const auto& w : words) {
            if (std::find(c.dropped.begin(), c.dropped.end(), w) == c.dropped.end()) expected.push_back(w);
        }
        EXPECT_EQ(kept, expected) << c.letters;
    }
}

TEST(SpellDictionaryBuilder, PossessivesGoWhenTheirWordIsInAnyList) {
    std::vector<std::vector<std::string>> lists = {{"cat", "dog's"}, {"cat's", "dog", "emu's"}};
    EXPECT_EQ(spell::DropListedPossessives(lists), 2u);
    EXPECT_EQ(lists, (std::vector<std::vector<std::string>>{{"cat"}, {"dog", "emu's"}}));
}

// The program: "--section" starts a tier, and filters reach only the lists
// after them within their own tier.
TEST(SpellDictionaryBuilder, ProgramBuildsTiersAndScopesItsFilters) {
    TempFolder dir;
    auto write = [&](const char* name, const char* text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    };
    write("a.txt", "NY\nIan\nans\ncat\n");
    write("b.txt", "NV\nAl\nabs\ncot\nIan\n");
    write("c.txt", "NJ\nEd\nads\ncut\n");
    auto run = [&](const std::string& args) {
        const std::string cmd = std::string(QUILLBOOK_DICTIONARY_BUILDER_PATH) + " '" +
                                (dir / "m.dct") + "' " + args + " > '" + (dir / "out.txt") + "' 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string a = "'" + (dir / "a.txt") + "'";
    const std::string b = "'" + (dir / "b.txt") + "'";
    const std::string c = "'" + (dir / "c.txt") + "'";
    ASSERT_EQ(run(a + " --section --drop-abbreviations 2 --drop-names 3 " + b +
                  " --drop-shorter-than 4 " + c + " --section " + c),
              0);
    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(dir / "m.dct"));
    ASSERT_EQ(engine.SectionCount(), 3);
    EXPECT_EQ(engine.SectionHeader(0).WordCount, 4);  // no filter in the first tier
    EXPECT_EQ(engine.SectionHeader(1).WordCount, 2);  // abs, cot: every word of c.txt filtered
    EXPECT_EQ(engine.SectionHeader(2).WordCount, 4);  // c.txt again, without filters
    for (const char* w : {"NY", "Ian", "ans", "cat", "abs", "cot", "NJ", "Ed", "ads", "cut"}) {
        EXPECT_TRUE(engine.IsWordCorrect(w)) << w;
    }
    for (const char* w : {"NV", "Al"}) EXPECT_FALSE(engine.IsWordCorrect(w)) << w;

    ASSERT_EQ(run(a + " --section --drop-names 3 " + c), 0);
    TZelvoSpell second;
    ASSERT_TRUE(second.OpenDictionary(dir / "m.dct"));
    EXPECT_FALSE(second.IsWordCorrect("Ed"));
    EXPECT_TRUE(second.IsWordCorrect("NJ"));

    for (const std::string& bad : {a + " --section", "--section " + a, a + " --drop-names", a + " --drop-names x",
                                   a + " --drop-names -1", a + " --drop-names 3", a + " --frobnicate " + b}) {
        EXPECT_EQ(run(bad), 2) << bad;
    }
    EXPECT_EQ(run("'" + (dir / "missing.txt") + "'"), 1);
}

}  // namespace
}  // namespace quill
