#include "spell/engine/zelvo_spell.h"

#include "spell/engine/main_dictionary_writer.h"

#include "spell/engine/sound_key.h"
#include "spell/engine/first_letters.h"
#include "spell/engine/ranked_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace quill {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "quill-suggest-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (fs::path(path_) / name).string(); }
    bool Ok() const { return !path_.empty(); }

private:
    std::string path_;
};

// An engine whose only dictionary is a new user dictionary holding the given
// words (and the word A every new user dictionary starts with). The main
// dictionary name points at a file that does not exist, so nothing else
// takes part.
class UserDictionaryEngine {
public:
    explicit UserDictionaryEngine(const Words& words) {
        engine.DictionaryName = folder.File("no-main.dct");
        id = engine.CreateUserDictionary(folder.File("user.dct"), {});
        for (const auto& w : words) engine.AddWord(w, id);
    }
    TempFolder folder;
    TZelvoSpell engine;
    int16_t id = -1;
};

Words Suggest(TZelvoSpell& engine, const std::string& word) {
    const auto& list = engine.GetSuggestions(word);
    return Words(list.begin(), list.end());
}

TEST(Suggestions, TehFindsWordsUnderEachAlternativeLetterInTurn) {
    UserDictionaryEngine d({"the", "then", "tech", "yes", "yeh", "red", "wet"});
    ASSERT_GE(d.id, 0);
    // TEH is searched under Y, R, T. TECH is cut off by its key (T2 against
    // T000) and WET starts with a letter not tried. YEH and THE score 66 each;
    // YEH was found first and stays ahead, as YES stays ahead of RED (33).
    // The user dictionary's own A is reached once per letter, score 0.
    EXPECT_EQ(Suggest(d.engine, "teh"),
              (Words{"yeh", "the", "then", "yes", "red", "a", "a", "a"}));
    EXPECT_EQ(Suggest(d.engine, "Teh"),
              (Words{"Yeh", "The", "Then", "Yes", "Red", "A", "A", "A"}));
    EXPECT_EQ(Suggest(d.engine, "TEH"),
              (Words{"YEH", "THE", "THEN", "YES", "RED", "A", "A", "A"}));
    EXPECT_EQ(Suggest(d.engine, "tEH"),
              (Words{"yEH", "tHE", "tHEn", "yES", "rED", "a", "a", "a"}));
}

TEST(Suggestions, ListHoldsAtMostMaxSuggestions) {
    UserDictionaryEngine d({"the", "then", "yes", "yeh", "red"});
    d.engine.SetMaxSuggestions(2);
    EXPECT_EQ(Suggest(d.engine, "teh"), (Words{"yeh", "the"}));
    d.engine.SetMaxSuggestions(0);
    EXPECT_TRUE(Suggest(d.engine, "teh").empty());
    d.engine.SetMaxSuggestions(250);  // stored as 220
    EXPECT_EQ(Suggest(d.engine, "teh").size(), 8u);
}

TEST(Suggestions, FirstLetterAlternativesReachOtherInitials) {
    UserDictionaryEngine d({"cat", "bat", "kit"});
    // K tries C L J K: CAT is found; BAT is not, B being no alternative of K.
    Words k = Suggest(d.engine, "kat");
    EXPECT_NE(std::find(k.begin(), k.end(), "cat"), k.end());
    EXPECT_NE(std::find(k.begin(), k.end(), "kit"), k.end());
    EXPECT_EQ(std::find(k.begin(), k.end(), "bat"), k.end());
    // V tries B C V: both.
    Words v = Suggest(d.engine, "vat");
    EXPECT_NE(std::find(v.begin(), v.end(), "cat"), v.end());
    EXPECT_NE(std::find(v.begin(), v.end(), "bat"), v.end());
}

TEST(Suggestions, CompoundSplits) {
    UserDictionaryEngine d({"lot", "the", "cat", "in", "fact"});
    Words alot = Suggest(d.engine, "alot");
    EXPECT_NE(std::find(alot.begin(), alot.end(), "a lot"), alot.end());
    Words thecat = Suggest(d.engine, "Thecat");
    EXPECT_NE(std::find(thecat.begin(), thecat.end(), "The cat"), thecat.end());
    Words infact = Suggest(d.engine, "infact");
    EXPECT_NE(std::find(infact.begin(), infact.end(), "in fact"), infact.end());
    // A one-letter part is offered only for A or I at that end: "thec at"
    // and "t hecat" are never tried, "cat" + "s" would need an S word.
    Words cats = Suggest(d.engine, "thecats");
    for (const auto& s : cats) EXPECT_EQ(s.find(' '), std::string::npos) << s;
}

TEST(Suggestions, ApostropheKeptButNotScored) {
    // SHOULDNT keys as S435; the apostrophe of SHOULDN'T comes after the key
    // is full, so the word is reached, and without its apostrophe it is the
    // typed word itself.
    UserDictionaryEngine d({"shoulder", "shouldn't", "should"});
    Words s = Suggest(d.engine, "shouldnt");
    ASSERT_GE(s.size(), 2u);
    EXPECT_EQ(s[0], "shouldn't");
    EXPECT_EQ(CandidateScore("SHOULDN'T", "SHOULDNT"), 100);
    // An apostrophe is a key character too (class 7): DONT keys as D53, so
    // DON'T (D57) is cut off at DON' and DONE wins.
    UserDictionaryEngine e({"don't", "done"});
    Words dont = Suggest(e.engine, "dont");
    ASSERT_FALSE(dont.empty());
    EXPECT_EQ(dont[0], "done");
    EXPECT_EQ(std::find(dont.begin(), dont.end(), "don't"), dont.end());
}

TEST(Suggestions, EmptyAndOverlongWords) {
    const std::string long25 = "internationalizationsxyzq";  // 25 letters
    ASSERT_EQ(long25.size(), 25u);
    UserDictionaryEngine d({long25, "the"});
    EXPECT_TRUE(Suggest(d.engine, "").empty());
    // 30 characters: searched as the first 25, which are a dictionary word.
    Words s = Suggest(d.engine, long25 + "abcde");
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[0], long25);
    // Case follows the 25 characters typed.
    std::string typed = long25 + "ABCDE";
    typed[0] = 'I';
    s = Suggest(d.engine, typed);
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[0], "I" + long25.substr(1));
}

TEST(Suggestions, ResultListIsRefilledByEveryCall) {
    UserDictionaryEngine d({"the", "cat"});
    const auto& first = d.engine.GetSuggestions("teh");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0], "the");
    const auto& second = d.engine.GetSuggestions("cta");
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(std::find(second.begin(), second.end(), "the"), second.end());
}

TEST(Suggestions, WordsAddedByAnotherCopyAreSeen) {
    UserDictionaryEngine d({"the"});
    TZelvoSpell other;
    other.DictionaryName = d.folder.File("no-main.dct");
    int16_t otherId = other.OpenUserDictionary(d.folder.File("user.dct"));
    ASSERT_GE(otherId, 0);
    EXPECT_EQ(Suggest(d.engine, "cta"), (Words{"a", "a", "a", "a", "a", "a"}));
    other.AddWord("cat", otherId);
    Words s = Suggest(d.engine, "cta");
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[0], "cat");
}

// Main dictionary of several sections plus a user dictionary: every section
// is walked for each letter in turn, main sections before the user's.
TEST(Suggestions, WalksEverySectionInListOrderForEachLetter) {
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    Words mainWords = {"tea", "the", "rot"};
    // Fillers sort before the T words and fill the first small sections.
    for (const char* w : {"able", "about", "above", "bacon", "badge", "baker", "cabin", "cable",
                          "camel", "dance", "daily", "dairy"}) {
        mainWords.push_back(w);
    }
    const std::string mainPath = folder.File("main.dct");
    spell::TDictionaryBuildStats stats;
    ASSERT_TRUE(spell::BuildMainDictionary(mainWords, mainPath, &stats, 24));
    ASSERT_GE(stats.Sections, 2u);

    {
        // Opened from DictionaryName on first use.
        TZelvoSpell onDemand;
        onDemand.DictionaryName = mainPath;
        Words s = Suggest(onDemand, "teh");
        EXPECT_TRUE(onDemand.MainDictionaryOpen());
        EXPECT_NE(std::find(s.begin(), s.end(), "tea"), s.end());
    }

    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(mainPath));
    const int16_t id = engine.CreateUserDictionary(folder.File("user.dct"), {});
    ASSERT_GE(id, 0);
    engine.AddWord("ten", id);
    engine.AddWord("yeh", id);
    engine.SetMaxSuggestions(20);

    Words s = Suggest(engine, "teh");
    ASSERT_GE(engine.SectionCount(), 3);
    auto at = [&](const char* w) {
        auto it = std::find(s.begin(), s.end(), w);
        EXPECT_NE(it, s.end()) << w;
        return it - s.begin();
    };
    // All four score 66 against TEH: Y is walked first (user section), then
    // T through the main sections and then the user section.
    EXPECT_EQ(at("yeh"), 0);
    EXPECT_LT(at("tea"), at("ten"));
    EXPECT_LT(at("the"), at("ten"));
    EXPECT_GT(at("rot"), at("ten"));  // 33
    for (const auto& w : s) EXPECT_EQ(std::find(mainWords.begin() + 3, mainWords.end(), w), mainWords.end()) << w;
}

// The words the walk must reach, from the rule itself: a word is reached
// under an alternative first letter when the sound key of every proper
// prefix agrees with the target key carrying that letter. One-letter words
// are reached under every letter.
std::multiset<std::string> ReachedByRule(const std::set<std::string>& dictionary,
                                         const std::string& m) {
    std::multiset<std::string> out;
    SoundKey key = SoundKeyZeroFill(m);
    for (char alt : FirstLetterAlternatives(static_cast<unsigned char>(m[0]))) {
        key[0] = static_cast<uint8_t>(alt);
        for (const auto& w : dictionary) {
            bool reached = true;
            for (size_t p = 1; p < w.size() && reached; ++p) {
                reached = SoundKeyCompleted(std::string_view(w).substr(0, p), key) == key;
            }
            if (reached) out.insert(w);
        }
    }
    return out;
}

TEST(Suggestions, WalkReachesExactlyTheWordsWhosePrefixesKeepTheKey) {
    // A few hundred made-up words over letters that mix vowels (ignored by
    // the key) with consonants of different classes, so that many branches
    // are cut and many are kept.
    std::mt19937 rng(7);
    const std::string letters = "ABDEIKLMNORTUY";
    std::set<std::string> dictionary{"A"};
    while (dictionary.size() < 260) {
        std::string w;
        int len = 2 + static_cast<int>(rng() % 6);
        w += "TRBDKY"[rng() % 6];
        for (int i = 1; i < len; ++i) w += letters[rng() % letters.size()];
        dictionary.insert(w);
    }
    // Built as a main dictionary in small sections, so that the walk also
    // crosses from section to section.
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::string path = folder.File("main.dct");
    spell::TDictionaryBuildStats stats;
    ASSERT_TRUE(spell::BuildMainDictionary(Words(dictionary.begin(), dictionary.end()), path,
                                           &stats, 300));
    ASSERT_GE(stats.Sections, 3u);
    TZelvoSpell engine;
    ASSERT_TRUE(engine.OpenDictionary(path));
    engine.SetMaxSuggestions(220);

    auto correct = [&](const std::string& part) {
        if (part.size() <= 1) return true;
        return dictionary.count(part) > 0;
    };
    int checked = 0;
    for (const std::string m : {"TRE", "TOBY", "BAKED", "YOLK", "KATE", "DIRT", "RODEO", "BYTE"}) {
        std::multiset<std::string> expected = ReachedByRule(dictionary, m);
        const int length = static_cast<int>(m.size());
        const int first = (m.front() == 'A' || m.front() == 'I') ? 1 : 2;
        const int last = (m.back() == 'A' || m.back() == 'I') ? length - 1 : length - 2;
        for (int s = first; s <= last; ++s) {
            if (correct(m.substr(0, s)) && correct(m.substr(s))) {
                expected.insert(m.substr(0, s) + " " + m.substr(s));
            }
        }
        if (expected.size() > 220) continue;  // list would be cut; not this check
        ++checked;
        Words got = Suggest(engine, m);
        EXPECT_EQ(std::multiset<std::string>(got.begin(), got.end()), expected) << m;
        // Best first.
        for (size_t i = 1; i < got.size(); ++i) {
            EXPECT_GE(CandidateScore(got[i - 1], m), CandidateScore(got[i], m)) << m << " " << i;
        }
    }
    EXPECT_GE(checked, 6);
}

// A damaged user dictionary whose groups link back to the root: the walk
// must end (depth and read limits) and report what it found.
TEST(Suggestions, CyclicDictionaryEnds) {
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::string path = folder.File("loop.dct");
    {
        std::ofstream f(path, std::ios::binary);
        f << "USER DICTIONARY\r\nloop\r\n\x1A";
        const int32_t headerPos = static_cast<int32_t>(f.tellp());
        auto put32 = [&](int32_t v) {
            for (int i = 0; i < 4; ++i) f.put(static_cast<char>((v >> (8 * i)) & 0xFF));
        };
        const int nodes = 8;  // A E I O U H W Y: all ignored by the key
        put32(nodes);
        put32(nodes);
        put32(nodes);
        f.put(0);
        put32(headerPos);
        const char* vowels = "AEIOUHWY";
        for (int i = 0; i < nodes; ++i) {
            uint8_t code = static_cast<uint8_t>(vowels[i] - 'A');
            uint8_t flags = code | 0x80 | (i == nodes - 1 ? 0x40 : 0);
            f.put(1);  // every node's children are the root group again
            f.put(0);
            f.put(static_cast<char>(flags));
        }
    }
    TZelvoSpell engine;
    engine.DictionaryName = folder.File("no-main.dct");
    ASSERT_GE(engine.OpenUserDictionary(path), 0);
    const auto start = std::chrono::steady_clock::now();
    Words s = Suggest(engine, "aeiou");
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(s.size(), 10u);
    EXPECT_LT(seconds, 20.0);
}

}  // namespace
}  // namespace quill
