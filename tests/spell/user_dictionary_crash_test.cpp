// A user dictionary survives a kill at any moment of adding words: a child
// process adds words and reports each one that AddWord finished; it is
// killed at a random moment, and the dictionary must then open with every
// reported word and a sound trie.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "spell/engine/zelvo_spell.h"
#include "tests/spell/spell_test_files.h"

namespace quill {
namespace {

std::string WordNumber(int i) {
    // Distinct words with shared prefixes, so insertions shift and renumber.
    std::string w = "w";
    for (int n = i; n > 0; n /= 7) w += char('a' + n % 7);
    return w + "q";
}

[[noreturn]] void AddWordsForever(const std::string& path, int from, int reportFd) {
    TZelvoSpell engine;
    engine.DictionaryName = "/nonexistent/main.dct";
    const int16_t id = engine.OpenUserDictionary(path);
    if (id < 0) _exit(3);
    for (int i = from;; ++i) {
        engine.AddWord(WordNumber(i), id);
        if (write(reportFd, &i, sizeof i) != sizeof i) _exit(4);
    }
}

TEST(SpellUserDictionaryCrash, KilledWhileAddingLosesNoFinishedWord) {
    spelltest::TempFolder dir;
    const std::string path = dir / "u.dct";
    {
        TZelvoSpell maker;
        ASSERT_GE(maker.CreateUserDictionary(path, {}), 0);
    }
    std::mt19937 rng(2024);
    int next = 1;
    std::set<int> confirmed;
    for (int round = 0; round < 12; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            AddWordsForever(path, next, fds[1]);
        }
        close(fds[1]);
        // Let it run for a random while, collecting what it finished.
        const auto stop = std::chrono::steady_clock::now() + std::chrono::milliseconds(20 + rng() % 180);
        int last = next - 1;
        while (std::chrono::steady_clock::now() < stop) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 2) > 0) {
                int i;
                if (read(fds[0], &i, sizeof i) != sizeof i) break;
                confirmed.insert(i);
                last = i;
            }
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        int i;
        while (read(fds[0], &i, sizeof i) == sizeof i) confirmed.insert(i);  // reported before the kill
        close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself, status " << status;
        next = std::max(last, confirmed.empty() ? 0 : *confirmed.rbegin()) + 2;

        TZelvoSpell check;
        check.DictionaryName = "/nonexistent/main.dct";
        ASSERT_GE(check.OpenUserDictionary(path), 0) << "round " << round;
        for (int w : confirmed) ASSERT_TRUE(check.IsWordCorrect(WordNumber(w))) << WordNumber(w);
        // The trie holds nothing but A and words the child tried to add.
        std::function<void(uint32_t, std::string, int)> walk = [&](uint32_t first,
                                                                    std::string prefix, int depth) {
            ASSERT_LT(depth, 30);
            std::set<uint8_t> codes;
            for (uint32_t n = first;; ++n) {
                ASSERT_LE(n, uint32_t(check.SectionHeader(0).NodeCount));
                spell::TSpellNode node = check.ReadNode(0, n);
                ASSERT_TRUE(codes.insert(node.LetterCode()).second);
                std::string word = prefix + char(node.Character());
                if (node.IsWordEnd()) {
                    ASSERT_TRUE(word == "A" || (word.front() == 'W' && word.back() == 'Q')) << word;
                }
                if (node.HasChildren()) walk(node.Link, word, depth + 1);
                if (node.IsLastSibling()) break;
            }
        };
        walk(1, "", 0);
    }
    EXPECT_GT(confirmed.size(), 12u) << "the child hardly added anything";
}

}  // namespace
}  // namespace quill
