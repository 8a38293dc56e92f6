// quillbook-tool's diary commands, run as the built program on a temporary
// diary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/diary_backups.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "storage/entry_text.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

namespace fs = std::filesystem;
using test::D;
using test::RunCommand;
using test::Slurp;

class StorageTool : public ::testing::Test {
protected:
    void SetUp() override {
        // The program creates the diary; the tool only works on one.
        auto s = test::OpenDiary(dir_.path());
    }
    int Tool(const std::string& args, std::string* out = nullptr, bool withStderr = true) {
        return RunCommand(std::string(QUILL_TOOL) + " --dir " + dir_.path() + " " + args +
                              (withStderr ? " 2>&1" : " 2>/dev/null"),
                          out);
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = files_.path() + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    TempFolder dir_, files_;
};

TEST_F(StorageTool, PutListShowRoundTrip) {
    // LF line breaks, 12 bytes once they are CR LF: stored with a blank added.
    const std::string rtf = "{\\rtf1 \n}\n";
    const std::string stored = StoredEntryText(rtf);
    ASSERT_EQ(stored, "{\\rtf1 \r\n} \r\n");
    std::string out;
    ASSERT_EQ(Tool("put 20240105 " + WriteFile("a.rtf", rtf), &out), 0) << out;
    EXPECT_NE(out.find("added 20240105"), std::string::npos) << out;
    ASSERT_EQ(Tool("put 20231231 " + WriteFile("b.rtf", "{\\rtf1 older}"), &out), 0) << out;
    ASSERT_EQ(Tool("put 20240229 " + WriteFile("c.rtf", "{\\rtf1 leap caf\xe9}"), &out), 0) << out;
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(out, "20231231\t13\n20240105\t" + std::to_string(stored.size()) + "\n20240229\t17\n");
    ASSERT_EQ(Tool("show 20240105", &out, false), 0);
    EXPECT_EQ(out, stored);
    ASSERT_EQ(Tool("show 20240229", &out, false), 0);
    EXPECT_EQ(out, "{\\rtf1 leap caf\xe9}");
    // The program sees what the tool stored.
    auto s = test::OpenDiary(dir_.path());
    ASSERT_TRUE(s->FindDateRecord(D(2024, 1, 5)));
    EXPECT_EQ(s->CurrentEntryText(), stored);
}

TEST_F(StorageTool, PutUpdatesAndAnEmptyFileRemoves) {
    std::string out;
    ASSERT_EQ(Tool("put 20240105 " + WriteFile("a.rtf", "{\\rtf1 one}"), &out), 0) << out;
    ASSERT_EQ(Tool("put 20240105 " + WriteFile("b.rtf", "{\\rtf1 two!}"), &out), 0) << out;
    EXPECT_NE(out.find("updated 20240105"), std::string::npos) << out;
    ASSERT_EQ(Tool("show 20240105", &out, false), 0);
    EXPECT_EQ(out, "{\\rtf1 two!} ");  // 12 bytes: the length rule adds a blank
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(out, "20240105\t13\n");
    ASSERT_EQ(Tool("put 20240105 " + WriteFile("empty.rtf", ""), &out), 0) << out;
    EXPECT_NE(out.find("removed"), std::string::npos) << out;
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Tool("show 20240105", &out), 1);
    EXPECT_NE(out.find("no entry for 20240105"), std::string::npos) << out;
    ASSERT_EQ(Tool("check", &out), 0) << out;
    EXPECT_NE(out.find("1 removed"), std::string::npos) << out;
    // Removing a day that has no entry is not an error and writes nothing.
    ASSERT_EQ(Tool("put 20240106 " + WriteFile("empty2.rtf", ""), &out), 0) << out;
    EXPECT_NE(out.find("no entry to remove"), std::string::npos) << out;
}

TEST_F(StorageTool, BadArgumentsAreRefused) {
    const std::string file = WriteFile("a.rtf", "{\\rtf1 x}");
    const struct {
        std::string args;
        int status;
        const char* says;
    } cases[] = {
        {"show 2024-01-05", 2, "not a date key"},
        {"show 20230229", 2, "not a date key"},
        {"show 2024010", 2, "not a date key"},
        {"put 20241301 " + file, 2, "not a date key"},
        {"put 20240101", 2, "usage"},
        {"show", 2, "usage"},
        {"list extra", 2, "usage"},
        {"put 20240101 " + files_.path() + "missing.rtf", 1, "cannot open file"},
        {"put 20240101 " + WriteFile("nul.rtf", std::string("{\\rtf1\0}", 8)), 1, "NUL"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Tool(c.args, &out), c.status) << c.args;
        EXPECT_NE(out.find(c.says), std::string::npos) << c.args << ": " << out;
    }
    std::string out;
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(out, "") << "a refused put wrote something";
}

TEST_F(StorageTool, MissingDiaryIsAnErrorAndNothingIsCreated) {
    TempFolder empty;
    for (const std::string args : {"list", "show 20240101", "check", "repair", "rebuild", "search text"}) {
        std::string out;
        EXPECT_EQ(RunCommand(std::string(QUILL_TOOL) + " --dir " + empty.path() + " " + args + " 2>&1", &out), 1)
            << args;
        EXPECT_NE(out.find("no diary"), std::string::npos) << args << ": " << out;
    }
    EXPECT_TRUE(fs::is_empty(empty.path()));
    std::string out;
    EXPECT_EQ(RunCommand(std::string(QUILL_TOOL) + " --dir " + empty.path() + "nowhere list 2>&1", &out), 1);
}

TEST_F(StorageTool, PutIntoAFolderWithoutADiaryCreatesItAsTheFirstStartDoes) {
    TempFolder base;
    const std::string folder = base.path() + "new/diary/";
    std::string out;
    ASSERT_EQ(RunCommand(std::string(QUILL_TOOL) + " put 20240105 " + WriteFile("a.rtf", "{\\rtf1 first day}") +
                             " --dir " + folder + " 2>&1",
                         &out),
              0)
        << out;
    EXPECT_NE(out.find("created a new diary in " + folder), std::string::npos) << out;
    EXPECT_NE(out.find("added 20240105"), std::string::npos) << out;
    for (const char* file : {kDiaryTableName, kDiaryIndexName, kDiaryMemoName})
        EXPECT_TRUE(fs::exists(folder + file)) << file;
    // The folders made are the user's alone, like the program's own.
    for (const std::string& made : {base.path() + "new", folder})
        EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;
    // The program opens what the tool made, with the entry in it.
    {
        auto s = test::OpenDiary(folder);
        EXPECT_TRUE(s->OpenNotes().empty());
        ASSERT_TRUE(s->FindDateRecord(D(2024, 1, 5)));
        EXPECT_EQ(s->CurrentEntryText(), "{\\rtf1 first day}");
    }
    // A second put finds the diary there.
    ASSERT_EQ(RunCommand(std::string(QUILL_TOOL) + " --dir=" + folder + " put 20240106 " +
                             WriteFile("b.rtf", "{\\rtf1 second}") + " 2>&1",
                         &out),
              0);
    EXPECT_EQ(out.find("created"), std::string::npos) << out;

    // Nothing to store creates nothing.
    TempFolder empty;
    ASSERT_EQ(RunCommand(std::string(QUILL_TOOL) + " --dir " + empty.path() + " put 20240101 " +
                             WriteFile("e.rtf", "") + " 2>&1",
                         &out),
              0);
    EXPECT_NE(out.find("no entry to remove"), std::string::npos) << out;
    EXPECT_TRUE(fs::is_empty(empty.path()));
}

TEST_F(StorageTool, PutDoesNotCreateATableBesideAnOrphanedMemoFile) {
    // The table is gone but the entries' texts are still there: damage, not
    // a first start. Nothing may be created over the memo file.
    TempFolder damaged;
    std::ofstream(damaged.path() + kDiaryMemoName, std::ios::binary) << std::string(1024, 'x');
    std::string out;
    EXPECT_EQ(RunCommand(std::string(QUILL_TOOL) + " --dir " + damaged.path() + " put 20240101 " +
                             WriteFile("a.rtf", "{\\rtf1 x}") + " 2>&1",
                         &out),
              1);
    EXPECT_NE(out.find("cannot open the diary"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(damaged.path() + kDiaryTableName));
    EXPECT_EQ(fs::file_size(damaged.path() + kDiaryMemoName), 1024u);
}

TEST_F(StorageTool, DirMayStandBeforeOrAfterTheCommand) {
    std::string out;
    ASSERT_EQ(Tool("put 20240105 " + WriteFile("a.rtf", "{\\rtf1 one}"), &out), 0) << out;
    for (const std::string& line : {"--dir " + dir_.path() + " list", "list --dir " + dir_.path(),
                                    "--dir=" + dir_.path() + " list", "list --dir=" + dir_.path()}) {
        ASSERT_EQ(RunCommand(std::string(QUILL_TOOL) + " " + line + " 2>&1", &out), 0) << line << ": " << out;
        EXPECT_EQ(out, "20240105\t11\n") << line;
    }
    EXPECT_EQ(RunCommand(std::string(QUILL_TOOL) + " list --dir 2>&1", &out), 2);
    EXPECT_NE(out.find("--dir needs a folder"), std::string::npos) << out;
    EXPECT_EQ(RunCommand(std::string(QUILL_TOOL) + " --dir= list 2>&1", &out), 2) << "an empty folder is not /";
}

TEST_F(StorageTool, SearchListsTheMatchingDaysInDateOrder) {
    const struct {
        const char* key;
        std::string rtf;
    } entries[] = {
        {"20240301", "{\\rtf1\\ansi Walked the {\\b Dog}\\par }"},
        {"20231231", "{\\rtf1\\ansi no pets today\\par }"},
        {"20240115", "{\\rtf1\\ansi the dogs barked\\par caf\\'e9 au lait\\par }"},
        {"20250101", "{\\rtf1\\ansi DOGGEDLY\\par }"},
        {"20240116", "{\\rtf1\\ansi d\\par og\\par }"},
    };
    std::string out;
    for (const auto& e : entries)
        ASSERT_EQ(Tool(std::string("put ") + e.key + " " + WriteFile(std::string(e.key) + ".rtf", e.rtf), &out), 0) << out;
    const struct {
        std::string args;
        int status;
        std::string listed;
    } cases[] = {
        {"search dog", 0, "20240115\n20240301\n20250101\n"},
        {"search --dir " + dir_.path() + " DOG", 0, "20240115\n20240301\n20250101\n"},
        {"search walked the dog", 0, "20240301\n"},
        {"search 'w*dog'", 0, "20240301\n"},
        {"search 'CAF\xc3\x89'", 0, "20240115\n"},  // UTF-8 on the command line
        {"search cat", 1, ""},
        {"search '\xe2\x98\x83'", 1, ""},  // a snowman: no entry can hold one
        {"search -- --dir", 1, ""},
        {"search", 2, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Tool(c.args, &out, false), c.status) << c.args;
        EXPECT_EQ(out, c.listed) << c.args;
    }
    Tool("search cat", &out);
    EXPECT_NE(out.find("No matches"), std::string::npos) << out;
    // Without the index the table's own order is walked; the days still come
    // out in date order.
    fs::remove(dir_.path() + kDiaryIndexName);
    EXPECT_EQ(Tool("search dog", &out, false), 0);
    EXPECT_EQ(out, "20240115\n20240301\n20250101\n");
    EXPECT_FALSE(fs::exists(dir_.path() + kDiaryIndexName)) << "the search changed nothing";
}

TEST_F(StorageTool, DiaryLockedByARunningProgram) {
    std::string out;
    ASSERT_EQ(Tool("put 20240105 " + WriteFile("a.rtf", "{\\rtf1 one}"), &out), 0) << out;
    auto running = test::OpenDiary(dir_.path());  // the program holds the table exclusively
    for (const std::string& args : std::vector<std::string>{"list", "show 20240105", "search one", "put 20240105 " + WriteFile("b.rtf", "{\\rtf1 two}"),
                                                            "repair", "rebuild", "restore " + DateToKey(Today())}) {
        EXPECT_EQ(Tool(args, &out), 1) << args;
        EXPECT_NE(out.find("in use by a running program"), std::string::npos) << args << ": " << out;
    }
    running.reset();
    ASSERT_EQ(Tool("show 20240105", &out, false), 0);
    EXPECT_EQ(out, "{\\rtf1 one}");
}

TEST_F(StorageTool, CheckFindsDamage) {
    std::string out;
    for (int d = 1; d <= 9; ++d)
        ASSERT_EQ(Tool("put 2024010" + std::to_string(d) + " " +
                           WriteFile("e" + std::to_string(d) + ".rtf", "{\\rtf1 day " + std::to_string(d) + "}"),
                       &out),
                  0)
            << out;
    ASSERT_EQ(Tool("check", &out), 0) << out;
    EXPECT_NE(out.find("ok: 9 entries"), std::string::npos) << out;
    // Cut the memo file short: the last memos are gone.
    const std::string fpt = dir_.path() + "QUILLBK.FPT";
    ASSERT_TRUE(fs::exists(fpt));
    fs::resize_file(fpt, fs::file_size(fpt) - 100);
    EXPECT_EQ(Tool("check", &out), 1) << out;
    EXPECT_NE(out.find("problem: "), std::string::npos) << out;
}

TEST_F(StorageTool, ListReportsADamagedDayAndListsTheOthers) {
    std::string out;
    for (int d = 1; d <= 3; ++d)
        ASSERT_EQ(Tool("put 2024010" + std::to_string(d) + " " + WriteFile("e.rtf", "{\\rtf1 day " + std::to_string(d) + "}"), &out), 0);
    // Record 2's memo pointer names a block far past the memo file's end.
    const std::string dbf = dir_.path() + "QUILLBK.DBF";
    std::fstream f(dbf, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(97 + 19 + 9);
    f.write("    999999", 10);
    f.close();
    EXPECT_EQ(Tool("list", &out, false), 1);
    EXPECT_EQ(out, "20240101\t13\n20240102\tdamaged\n20240103\t13\n");
    Tool("list", &out);
    EXPECT_NE(out.find("the text of 20240102 cannot be read"), std::string::npos) << out;
    EXPECT_EQ(Tool("check", &out), 1);
    EXPECT_NE(out.find("20240102"), std::string::npos) << out;
}

// Page pointers near 4 GiB in the index must be reported, not followed.
TEST_F(StorageTool, CheckReportsIndexPointersNearFourGigabytes) {
    std::string out;
    ASSERT_EQ(Tool("put 20240101 " + WriteFile("e.rtf", "{\\rtf1 one}"), &out), 0) << out;
    const std::string cdx = dir_.path() + "QUILLBK.CDX";
    struct Case {
        const char* name;
        size_t offset;
        std::string bytes;
    };
    const Case cases[] = {
        {"directory root", 0, std::string("\x00\xfe\xff\xff", 4)},
        {"tag DATE root", 1536, std::string("\x00\xfe\xff\xff", 4)},
    };
    std::ifstream in(cdx, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& c : cases) {
        std::string bytes = good;
        bytes.replace(c.offset, c.bytes.size(), c.bytes);
        std::ofstream(cdx, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_EQ(Tool("check", &out), 1) << c.name << ": " << out;
        EXPECT_NE(out.find("problem: index"), std::string::npos) << c.name << ": " << out;
    }
}

void Patch(const std::string& path, size_t offset, const std::string& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(std::streamoff(offset));
    f.write(bytes.data(), std::streamsize(bytes.size()));
}

TEST_F(StorageTool, RepairOnAHealthyDiaryKeepsACopyAndChangesNoEntry) {
    std::string out;
    for (int d = 1; d <= 3; ++d)
        ASSERT_EQ(Tool("put 2024010" + std::to_string(d) + " " + WriteFile("e.rtf", "{\\rtf1 day " + std::to_string(d) + "}"), &out), 0);
    const std::string dbf = Slurp(dir_.path() + "QUILLBK.DBF"), fpt = Slurp(dir_.path() + "QUILLBK.FPT");
    ASSERT_EQ(Tool("repair", &out), 0) << out;
    EXPECT_NE(out.find("ok: 3 entries"), std::string::npos) << out;
    std::vector<DiaryBackup> copies;
    for (const auto& b : ListBackups(dir_.path()))
        if (b.name.rfind("before-repair-", 0) == 0) copies.push_back(b);
    ASSERT_EQ(copies.size(), 1u) << out;
    EXPECT_EQ(copies[0].files, (std::vector<std::string>{"QUILLBK.CDX", "QUILLBK.DBF", "QUILLBK.FPT"}));
    EXPECT_EQ(Slurp(copies[0].path + "QUILLBK.DBF"), dbf);
    EXPECT_EQ(Slurp(copies[0].path + "QUILLBK.FPT"), fpt);
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(out, "20240101\t13\n20240102\t13\n20240103\t13\n");
    EXPECT_EQ(Tool("check", &out), 0) << out;
}

TEST_F(StorageTool, RebuildPacksWithAProgressLineAndKeepsTheFilesAsTheyWere) {
    {
        auto s = test::OpenDiary(dir_.path());
        for (int d = 1; d <= 9; ++d) test::SaveDay(*s, D(2024, 2, d), test::EntryFor(D(2024, 2, d)));
        for (int d : {2, 5, 6}) test::SaveDay(*s, D(2024, 2, d), "");
    }
    const std::string dbf = Slurp(dir_.path() + "QUILLBK.DBF");
    std::string out;
    ASSERT_EQ(Tool("rebuild", &out), 0) << out;
    // Not a terminal: one line per phase, written when it is over.
    EXPECT_NE(out.find("Permanently removing deleted tasks: 100%\nRebuilding indexes: 100%\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("packed and rebuilt: 6 records, 3 removed record(s) gone"), std::string::npos) << out;
    std::vector<DiaryBackup> kept;
    for (const auto& b : ListBackups(dir_.path()))
        if (b.name.rfind("before-pack-", 0) == 0) kept.push_back(b);
    ASSERT_EQ(kept.size(), 1u) << out;
    EXPECT_NE(out.find("kept in " + kept[0].path), std::string::npos) << out;
    EXPECT_EQ(Slurp(kept[0].path + "QUILLBK.DBF"), dbf);
    EXPECT_EQ(Tool("check", &out), 0) << out;
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 6) << out;
    EXPECT_EQ(out.find("20240205"), std::string::npos) << out;
    // The backups command names the folder.
    ASSERT_EQ(Tool("backups", &out), 0);
    EXPECT_NE(out.find(kept[0].name), std::string::npos) << out;
    EXPECT_EQ(Tool("rebuild now", &out), 2) << out;
}

// Every kind of damage repair salvages at once: a table cut inside its last
// record, a live record without a key, an index with a foreign key.
TEST_F(StorageTool, RepairSalvagesAShortTableKeylessRecordsAndAForeignIndex) {
    std::string out;
    for (int d = 1; d <= 5; ++d)
        ASSERT_EQ(Tool("put 2024010" + std::to_string(d) + " " + WriteFile("e.rtf", "{\\rtf1 day " + std::to_string(d) + "}"), &out), 0);
    const std::string dbf = dir_.path() + "QUILLBK.DBF";
    Patch(dbf, 97 + 1 * 19 + 1, "        ");  // record 2 without its key
    fs::resize_file(dbf, 97 + 4 * 19 + 5);    // record 5 cut
    Patch(dir_.path() + "QUILLBK.CDX", 0x800, "d@te");
    EXPECT_EQ(Tool("check", &out), 1) << out;
    const std::string damaged = Slurp(dbf);
    ASSERT_EQ(Tool("repair", &out), 0) << out;
    EXPECT_NE(out.find("cut short"), std::string::npos) << out;
    EXPECT_NE(out.find("without a date key"), std::string::npos) << out;
    EXPECT_NE(out.find("set aside"), std::string::npos) << out;
    EXPECT_NE(out.find("ok: 3 entries"), std::string::npos) << out;
    EXPECT_EQ(Tool("check", &out), 0) << out;
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(out, "20240101\t13\n20240103\t13\n20240104\t13\n");
    EXPECT_EQ(fs::file_size(dbf), 97u + 3 * 19 + 1) << "written back whole";
    bool copied = false;
    for (const auto& b : ListBackups(dir_.path()))
        copied = copied || (b.name.rfind("before-repair-", 0) == 0 && Slurp(b.path + "QUILLBK.DBF") == damaged);
    EXPECT_TRUE(copied) << "the damaged files are kept as they were";
}

TEST_F(StorageTool, RepairKeepsAndReportsADayWhoseTextCannotBeRead) {
    std::string out;
    for (int d = 1; d <= 3; ++d)
        ASSERT_EQ(Tool("put 2024010" + std::to_string(d) + " " + WriteFile("e.rtf", "{\\rtf1 day " + std::to_string(d) + "}"), &out), 0);
    Patch(dir_.path() + "QUILLBK.DBF", 97 + 19 + 9, "    999999");
    EXPECT_EQ(Tool("repair", &out), 1) << out;
    EXPECT_NE(out.find("kept as found"), std::string::npos) << out;
    EXPECT_NE(out.find("still damaged"), std::string::npos) << out;
    EXPECT_NE(out.find("20240102"), std::string::npos) << out;
    EXPECT_EQ(Tool("list", &out, false), 1);
    EXPECT_EQ(out, "20240101\t13\n20240102\tdamaged\n20240103\t13\n");
    // Repair again: the same day is still reported, nothing else changes.
    EXPECT_EQ(Tool("repair", &out), 1) << out;
    EXPECT_EQ(Tool("show 20240103", &out, false), 0);
    EXPECT_EQ(out, "{\\rtf1 day 3}");
}

TEST_F(StorageTool, BackupsAreListedAndARestorePutsOneBack) {
    std::string out;
    const std::string today = DateToKey(Today());
    ASSERT_EQ(Tool("backups", &out), 0);
    EXPECT_NE(out.find("no backups"), std::string::npos) << out;
    {
        // Yesterday's session: its first change kept yesterday's copy.
        DiaryStorage s(dir_.path());
        s.TodayForBackups = [] { return AddDays(Today(), -1); };
        ASSERT_TRUE(s.OpenDiaryFile());
        test::SaveDay(s, D(2024, 1, 1), test::EntryFor(D(2024, 1, 1)));
        test::SaveDay(s, D(2024, 1, 2), test::EntryFor(D(2024, 1, 2)));
    }
    // Today's first change keeps the diary as yesterday left it.
    ASSERT_EQ(Tool("put 20240103 " + WriteFile("c.rtf", "{\\rtf1 three}"), &out), 0) << out;
    ASSERT_EQ(Tool("backups", &out), 0);
    const std::string yesterday = DateToKey(AddDays(Today(), -1));
    EXPECT_EQ(out.find(yesterday + "\t3 files\t"), 0u) << out;
    EXPECT_NE(out.find("\n" + today + "\t3 files\t"), std::string::npos) << out;
    // The table is wrecked; today's backup brings back what yesterday saved.
    const std::string wrecked(50, 'x');
    std::ofstream(dir_.path() + "QUILLBK.DBF", std::ios::binary | std::ios::trunc) << wrecked;
    EXPECT_EQ(Tool("list", &out), 1);
    ASSERT_EQ(Tool("restore " + today, &out), 0) << out;
    EXPECT_NE(out.find("restored the backup of " + today), std::string::npos) << out;
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_EQ(out, "20240101\t" + std::to_string(test::EntryFor(D(2024, 1, 1)).size()) + "\n20240102\t" +
                       std::to_string(test::EntryFor(D(2024, 1, 2)).size()) + "\n");
    EXPECT_EQ(Tool("check", &out), 0) << out;
    // The files it replaced were kept aside, wrecked table included.
    bool keptAside = false;
    for (const auto& b : ListBackups(dir_.path()))
        keptAside = keptAside || (b.name.rfind("replaced-", 0) == 0 && Slurp(b.path + "QUILLBK.DBF") == wrecked);
    EXPECT_TRUE(keptAside);
    // Unknown days and bad arguments are refused and change nothing.
    EXPECT_EQ(Tool("restore 19990101", &out), 1);
    EXPECT_NE(out.find("no backup of 19990101"), std::string::npos) << out;
    EXPECT_EQ(Tool("restore yesterday", &out), 2);
    ASSERT_EQ(Tool("list", &out, false), 0);
    EXPECT_NE(out.find("20240102"), std::string::npos);
}

}  // namespace
}  // namespace quill
