// The main dictionary builder: every word it keeps can be looked up, words
// the alphabet cannot hold are left out, sections stay within their limit.

#include <cstdio>
#include <cstdlib>
#include <fstream>

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

}  // namespace
}  // namespace quill
