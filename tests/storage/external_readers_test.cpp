// Outside xBase readers must see in our files exactly what we stored:
// python3-dbfread and pgdbf for the table and memos, Perl XBase::Index for
// the compound index.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::D;
using test::EntryFor;
using test::RunCommand;

bool HaveProgram(const std::string& check) { return RunCommand(check + " >/dev/null 2>&1") == 0; }

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) out += digits[c >> 4], out += digits[c & 15];
    return out;
}

// A diary with the shapes that matter to readers: several memo blocks,
// Windows-1252 text, an empty-keyed removed entry, entries out of date order.
class ExternalReaders : public ::testing::Test {
protected:
    void SetUp() override {
        auto s = test::OpenDiary(dir_.path());
        const std::pair<Date, size_t> days[] = {
            {D(2024, 3, 15), 0}, {D(2023, 12, 31), 200}, {D(2024, 1, 1), 5000}, {D(2024, 2, 29), 1}, {D(1999, 1, 2), 63},
        };
        for (const auto& [day, extra] : days) {
            test::SaveDay(*s, day, EntryFor(day, extra));
            expected_[DateToKey(day)] = EntryFor(day, extra);
        }
        test::SaveDay(*s, D(2024, 2, 29), "");  // removed: readers must not show it
        expected_.erase("20240229");
        // An updated entry: the reader must see the new text, not the old.
        test::SaveDay(*s, D(2024, 3, 15), EntryFor(D(2024, 3, 15), 77));
        expected_["20240315"] = EntryFor(D(2024, 3, 15), 77);
    }
    TempFolder dir_;
    std::map<std::string, std::string> expected_;
};

TEST_F(ExternalReaders, DbfreadReadsKeysAndMemos) {
    if (!HaveProgram("/usr/bin/python3 -c 'import dbfread'")) GTEST_SKIP() << "python3-dbfread is not installed";
    const std::string script =
        "import dbfread, sys\n"
        "t = dbfread.DBF(sys.argv[1], char_decode_errors='strict')\n"
        "for r in t:\n"
        "    e = r['ENTRY']\n"
        "    print(r['DATE'], (e or '').encode(t.encoding).hex())\n"
        "print('deleted', len(t.deleted))\n";
    std::string out;
    ASSERT_EQ(RunCommand("/usr/bin/python3 -c \"" + script + "\" " + dir_.path() + "QUILLBK.DBF 2>&1", &out), 0) << out;
    std::istringstream in(out);
    std::map<std::string, std::string> seen;
    std::string key, hex;
    int deleted = -1;
    while (in >> key >> hex) {
        if (key == "deleted") {
            deleted = std::atoi(hex.c_str());
            continue;
        }
        seen[key] = hex;
    }
    EXPECT_EQ(deleted, 1);
    ASSERT_EQ(seen.size(), expected_.size()) << out;
    for (const auto& [k, text] : expected_) EXPECT_EQ(seen[k], Hex(text)) << k;
}

// pgdbf writes PostgreSQL COPY data: fields separated by tabs, with
// backslash escapes for backslash, tab, CR and LF.
std::string UnescapeCopy(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char c = field[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

TEST_F(ExternalReaders, PgdbfReadsTableAndMemoFile) {
    if (!HaveProgram("command -v pgdbf")) GTEST_SKIP() << "pgdbf is not installed";
    std::string out;
    ASSERT_EQ(RunCommand("pgdbf -m " + dir_.path() + "QUILLBK.FPT " + dir_.path() + "QUILLBK.DBF 2>&1", &out), 0)
        << out;
    const size_t copy = out.find("FROM STDIN");
    ASSERT_NE(copy, std::string::npos) << out;
    std::istringstream in(out.substr(out.find('\n', copy) + 1));
    std::map<std::string, std::string> seen;
    std::string line;
    while (std::getline(in, line) && line != "\\.") {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        seen[line.substr(0, tab)] = UnescapeCopy(line.substr(tab + 1));
    }
    ASSERT_EQ(seen.size(), expected_.size()) << out.substr(0, 2000);
    for (const auto& [k, text] : expected_) EXPECT_EQ(seen[k], text) << k;
}

TEST_F(ExternalReaders, PerlXBaseIndexListsTheDateTagInOrder) {
    if (!HaveProgram("perl -MXBase -MXBase::Index -e 1")) GTEST_SKIP() << "libdbd-xbase-perl is not installed";
    const std::string script = dir_.path() + "list_keys.pl";
    std::ofstream(script) << "use XBase; use XBase::Index;\n"
                             "my $t = XBase->new($ARGV[0] . 'QUILLBK.DBF') or die XBase->errstr;\n"
                             "my $i = XBase::Index->new($ARGV[0] . 'QUILLBK.CDX', dbf => $t, type => 'char', tag => 'DATE')\n"
                             "  or die XBase::Index->errstr;\n"
                             "$i->prepare_select;\n"
                             "while (my ($k, $r) = $i->fetch) { print \"[$k] $r\\n\" }\n"
                             "die $i->errstr if $i->errstr;\n";
    std::string out;
    ASSERT_EQ(RunCommand("perl " + script + " " + dir_.path() + " 2>&1", &out), 0) << out;
    // Expected: every record, the removed one included (its key is blank),
    // by key and then record number.
    const auto files = CheckDiaryFiles(dir_.path());
    ASSERT_TRUE(files.ok());
    std::vector<std::pair<std::string, uint32_t>> want;
    for (const auto& rec : files.records) want.emplace_back(rec.key, rec.recNo);
    std::sort(want.begin(), want.end());
    std::string expect;
    for (const auto& [k, r] : want) expect += "[" + k + "] " + std::to_string(r) + "\n";
    EXPECT_EQ(out, expect);
    // And the removed entry's record is the blank key.
    EXPECT_EQ(out.rfind("[] ", 0), 0u) << out;
}

}  // namespace
}  // namespace quill
