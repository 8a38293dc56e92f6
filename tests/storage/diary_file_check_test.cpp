// The independent file checker: it must read a correct diary exactly and
// name each kind of damage.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/storage/check_fuzz_input.h"
#include "storage/diary_file_check.h"
#include "tests/storage/temp_folder.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::Slurp;

namespace fs = std::filesystem;

std::string FixtureFolder() { return std::string(QUILL_FIXTURES) + "/storage/notes-example/"; }

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool HasProblem(const DiaryCheckReport& r, const std::string& part) {
    for (const auto& p : r.problems)
        if (p.find(part) != std::string::npos) return true;
    return false;
}

TEST(DiaryFileCheck, ReadsTheReferenceFilesExactly) {
    const auto r = CheckDiaryFiles(FixtureFolder());
    ASSERT_TRUE(r.ok()) << test::Problems(r);
    ASSERT_EQ(r.records.size(), 3u);
    EXPECT_EQ(r.records[0].key, "20240101");
    EXPECT_EQ(r.records[0].memo, "Happy new year.");
    EXPECT_EQ(r.records[1].memoBlock, 0u);
    EXPECT_EQ(r.records[2].memo, std::string(60, 'x'));
    ASSERT_EQ(r.indexKeys.size(), 3u);
    EXPECT_EQ(r.indexKeys[2].key, "20240315");
    EXPECT_EQ(r.indexKeys[2].recNo, 3u);
}

TEST(DiaryFileCheck, FindsFilesWhateverTheirCase) {
    TempFolder dir;
    fs::copy_file(FixtureFolder() + "QUILLBK.DBF", dir.path() + "quillbk.dbf");
    fs::copy_file(FixtureFolder() + "QUILLBK.FPT", dir.path() + "Quillbk.fpt");
    fs::copy_file(FixtureFolder() + "QUILLBK.CDX", dir.path() + "Quillbk.cdx");
    EXPECT_TRUE(CheckDiaryFiles(dir.path()).ok());
}

// Each case damages one copy of the reference files and names the problem
// the checker must report.
struct Damage {
    const char* name;
    const char* file;
    size_t offset;        // byte to overwrite, or npos to truncate to `size`
    std::string bytes;
    size_t size;
    const char* expect;   // part of the expected problem text
};

TEST(DiaryFileCheck, NamesEachKindOfDamage) {
    const size_t npos = std::string::npos;
    const Damage cases[] = {
        {"record count beyond the data", "QUILLBK.DBF", 4, std::string("\x09", 1), 0, "records but the file holds only"},
        {"memo pointer past the memo file", "QUILLBK.DBF", 97 + 9, "        99", 0, "outside the memo file"},
        {"memo pointer not a number", "QUILLBK.DBF", 97 + 9, "       x 8", 0, "not a number"},
        {"memo length past the end", "QUILLBK.FPT", 512 + 4, std::string("\0\0\x10\0", 4), 0, "runs past the end"},
        {"memo file cut short", "QUILLBK.FPT", npos, "", 600, "runs past the end"},
        {"memo file cut to its header", "QUILLBK.FPT", npos, "", 520, "outside the memo file"},
        {"index key differs from DATE", "QUILLBK.CDX", 0xbf4, "316", 0, "whose DATE is"},
        {"index points beyond the table", "QUILLBK.CDX", 0xa1e, std::string("\x09", 1), 0, "beyond the table"},
        {"index free count wrong", "QUILLBK.CDX", 0xa0c, std::string("\x10", 1), 0, "free-space count"},
        {"index root outside the file", "QUILLBK.CDX", 0x601, std::string("\x7f", 1), 0, "root page offset"},
        {"index without tag DATE", "QUILLBK.CDX", 0x5fc, "DATA", 0, "no tag DATE"},
        {"bad deletion flag", "QUILLBK.DBF", 97, "?", 0, "bad deletion flag"},
        {"DATE that is no date", "QUILLBK.DBF", 98, "2024-1-1", 0, "not a date key"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        for (const char* f : {"QUILLBK.DBF", "QUILLBK.FPT", "QUILLBK.CDX"})
            fs::copy_file(FixtureFolder() + f, dir.path() + f);
        std::string bytes = Slurp(dir.path() + c.file);
        if (c.offset == npos) bytes.resize(c.size);
        else bytes.replace(c.offset, c.bytes.size(), c.bytes);
        Spit(dir.path() + c.file, bytes);
        const auto r = CheckDiaryFiles(dir.path());
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_TRUE(HasProblem(r, c.expect)) << c.name << ":\n" << test::Problems(r);
    }
}

TEST(DiaryFileCheck, MissingIndexOrTableIsAProblem) {
    TempFolder dir;
    EXPECT_FALSE(CheckDiaryFiles(dir.path()).tableFound);
    fs::copy_file(FixtureFolder() + "QUILLBK.DBF", dir.path() + "QUILLBK.DBF");
    fs::copy_file(FixtureFolder() + "QUILLBK.FPT", dir.path() + "QUILLBK.FPT");
    const auto r = CheckDiaryFiles(dir.path());
    EXPECT_TRUE(r.tableFound);
    EXPECT_TRUE(HasProblem(r, "QUILLBK.CDX is missing"));
}

// The saved fuzzing inputs of the checker (seeds, and inputs that once made
// it read outside its buffers) under the normal build: each is read without
// harm, and the damaged ones are reported.
TEST(DiaryFileCheck, SavedFuzzingInputsAreReportedWithoutHarm) {
    const std::string folder = std::string(QUILL_FIXTURES) + "/storage/check_corpus/";
    int replayed = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        const std::string bytes = Slurp(e.path().string());
        const auto r = xb::fuzz::RunCheckInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_TRUE(r.tableFound) << name;
        if (name.rfind("seed-", 0) != 0) {
            EXPECT_FALSE(r.ok()) << name;
        }
        ++replayed;
    }
    EXPECT_GE(replayed, 7);
}

}  // namespace
}  // namespace quill
