// quillbook-tool spell, run as a program beside a small main dictionary of
// the test's own, with a temporary diary folder.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "spell/engine/main_dictionary_writer.h"
#include "tests/spell/spell_test_files.h"

namespace quill {
namespace {

class SpellPipe : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir_ / "bin");
        std::filesystem::copy_file(QUILLBOOK_TOOL_PATH, dir_ / "bin/quillbook-tool");
        // über, don't and the cat; nothing starts with X or Z.
        ASSERT_TRUE(spell::BuildMainDictionary({"the", "cat", "\xFC" "ber", "don't", "help", "hello"},
                                               dir_ / "bin/quillbk.dct"));
    }

    // Runs the pipe on `input`; returns stdout, sets status.
    std::string Run(const std::string& input, const std::string& options = "") {
        {
            std::ofstream in(dir_ / "in.txt", std::ios::binary);
            in << input;
        }
        const std::string cmd = "'" + (dir_ / "bin/quillbook-tool") + "' --dir '" + (dir_ / "diary") +
                                "' spell " + options + " < '" + (dir_ / "in.txt") + "' > '" +
                                (dir_ / "out.txt") + "' 2> '" + (dir_ / "err.txt") + "'";
        int rc = std::system(cmd.c_str());
        status_ = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        std::ifstream out(dir_ / "out.txt", std::ios::binary);
        std::stringstream s;
        s << out.rdbuf();
        return s.str();
    }

    static std::string Body(const std::string& out) { return out.substr(out.find('\n') + 1); }

    spelltest::TempFolder dir_;
    int status_ = -1;
};

TEST_F(SpellPipe, AnswersEachWordAndEndsEachLine) {
    const std::string out = Run("The cat zzxq\n\nDon't 42 \xC3\x9C" "ber-zq, cat's\n^*cat\n");
    EXPECT_EQ(status_, 0);
    EXPECT_EQ(out.rfind("@(#) ", 0), 0u) << out;
    EXPECT_EQ(Body(out),
              "*\n*\n# zzxq 8\n\n"
              "\n"
              "*\n*\n# zq 14\n*\n\n"  // offsets count characters: Ü is one
              "*\n\n");
    // Nothing was added, so no user dictionary appears in the diary folder.
    EXPECT_FALSE(std::filesystem::exists(dir_ / "diary/quillbku.dct"));
}

TEST_F(SpellPipe, SuggestionsAreListedWithTheirCount) {
    const std::string out = Body(Run("helo\n"));
    ASSERT_EQ(out.rfind("& helo ", 0), 0u) << out;
    std::istringstream line(out.substr(0, out.find('\n')));
    std::string amp, word, offset;
    size_t count = 0;
    line >> amp >> word >> count >> offset;
    EXPECT_EQ(offset, "0:");
    std::string rest;
    std::getline(line, rest);
    EXPECT_EQ(size_t(std::count(rest.begin(), rest.end(), ',')) + 1, count) << rest;
    EXPECT_NE(rest.find("hello"), std::string::npos) << rest;
}

// The answer line for an unknown word: "& WORD N OFFSET: ..." or "# WORD OFFSET".
// A user dictionary always holds the word A, which may come up as a suggestion.
bool IsMissLine(const std::string& line, const std::string& word, int offset) {
    std::istringstream in(line);
    std::string mark, w, third, fourth;
    in >> mark >> w >> third;
    if (w != word) return false;
    if (mark == "#") return third == std::to_string(offset);
    in >> fourth;
    return mark == "&" && fourth == std::to_string(offset) + ":";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

TEST_F(SpellPipe, AddedWordsGoToTheUserDictionaryInTheDiaryFolder) {
    auto lines = Lines(Body(Run("*Zelvoquill\nzelvoquill zzxq\n")));
    EXPECT_EQ(status_, 0);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "*");
    EXPECT_TRUE(IsMissLine(lines[1], "zzxq", 11)) << lines[1];
    EXPECT_EQ(lines[2], "");
    ASSERT_TRUE(std::filesystem::exists(dir_ / "diary/quillbku.dct"));
    // A later run finds the word without being told where the file is.
    EXPECT_EQ(Body(Run("ZELVOQUILL\n")), "*\n\n");

    // --user names another file; it is created on the first addition.
    lines = Lines(Body(Run("*\xC5\x93uvrezz\n\xC5\x92UVREZZ zelvoquill\n",
                           "--user '" + (dir_ / "mine.dct") + "'")));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "*");
    EXPECT_TRUE(IsMissLine(lines[1], "zelvoquill", 8)) << lines[1];
    EXPECT_TRUE(std::filesystem::exists(dir_ / "mine.dct"));
}

TEST_F(SpellPipe, RefusedAdditionsAndBadFilesAreReported) {
    Run("*" + std::string(26, 'q') + "\n*\xE2\x98\xBA\n");
    EXPECT_EQ(status_, 1);
    std::ifstream err(dir_ / "err.txt");
    std::string line1, line2;
    std::getline(err, line1);
    std::getline(err, line2);
    EXPECT_NE(line1.find("was not added"), std::string::npos) << line1;
    EXPECT_NE(line2.find("cannot add"), std::string::npos) << line2;

    // A file that is not a user dictionary is never replaced.
    {
        std::ofstream junk(dir_ / "junk.dct");
        junk << "not a dictionary";
    }
    Run("*word\n", "--user '" + (dir_ / "junk.dct") + "'");
    EXPECT_EQ(status_, 1);
    std::ifstream junk(dir_ / "junk.dct");
    std::string kept;
    std::getline(junk, kept);
    EXPECT_EQ(kept, "not a dictionary");

    std::filesystem::remove(dir_ / "bin/quillbk.dct");
    EXPECT_EQ(Run("cat\n"), "");
    EXPECT_EQ(status_, 1);
}

}  // namespace
}  // namespace quill
