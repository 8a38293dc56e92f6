// Daily backups of the diary's files: made before the first change of each
// day, kept for the last 7 days and the first of each of the last 12 months.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/diary_backups.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

namespace fs = std::filesystem;
using test::D;
using test::EntryFor;
using test::SaveDay;
using test::Slurp;

std::vector<std::string> DailyNames(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& b : ListBackups(folder))
        if (b.daily) out.push_back(b.name);
    return out;
}

TEST(DailyBackups, KeepsTheLastSevenDaysAndTheFirstOfEachOfTwelveMonths) {
    struct Case {
        const char* name;
        std::vector<std::string> have;
        std::vector<std::string> keep;
    };
    const Date today = D(2024, 6, 15);
    const Case cases[] = {
        {"a week of days", {"20240607", "20240608", "20240609", "20240610", "20240614", "20240615"},
         // 20240607 is the first of June as well.
         {"20240607", "20240609", "20240610", "20240614", "20240615"}},
        {"first of each month",
         {"20230601", "20230615", "20230702", "20230710", "20240101", "20240102", "20240531", "20240601"},
         {"20230702", "20240101", "20240531", "20240601"}},
        {"older than twelve months go", {"20220101", "20230531", "20230615", "20230720"}, {"20230720"}},
        {"other names are not daily backups", {"before-repair-20240101-101010", "2024061", "20241301"}, {}},
        {"a backup dated after today is not kept by the month rule", {"20240701"}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(DailyBackupsToKeep(c.have, today), c.keep) << c.name;
}

TEST(DailyBackups, FirstChangeOfEachDayKeepsTheFilesAsTheyWere) {
    TempFolder dir;
    Date today = D(2024, 6, 1);
    auto open = [&] {
        auto s = std::make_unique<DiaryStorage>(dir.path());
        s->TodayForBackups = [&] { return today; };
        EXPECT_TRUE(s->OpenDiaryFile()) << s->LastError();
        return s;
    };
    // Old daily backups, some of which the policy drops.
    for (const char* old : {"20230101", "20230702", "20230703", "20240520", "20240527"}) {
        fs::create_directories(dir.path() + "backups/" + old);
        std::ofstream(dir.path() + "backups/" + old + "/QUILLBK.DBF") << "old";
    }
    auto s = open();
    const std::string fresh = Slurp(dir.path() + "QUILLBK.DBF");
    SaveDay(*s, D(2024, 6, 1), EntryFor(D(2024, 6, 1)));
    EXPECT_EQ(s->LastBackupError(), "");
    EXPECT_EQ(Slurp(dir.path() + "backups/20240601/QUILLBK.DBF"), fresh) << "the copy is from before the change";
    EXPECT_TRUE(fs::exists(dir.path() + "backups/20240601/QUILLBK.FPT"));
    EXPECT_TRUE(fs::exists(dir.path() + "backups/20240601/QUILLBK.CDX"));
    EXPECT_EQ(DailyNames(dir.path()), (std::vector<std::string>{"20230702", "20240520", "20240527", "20240601"}));
    // Later changes the same day leave the day's copy alone.
    SaveDay(*s, D(2024, 6, 2), EntryFor(D(2024, 6, 2)));
    SaveDay(*s, D(2024, 6, 1), "");
    EXPECT_EQ(Slurp(dir.path() + "backups/20240601/QUILLBK.DBF"), fresh);
    const std::string endOfFirstDay = Slurp(dir.path() + "QUILLBK.DBF");
    const std::string memoEndOfFirstDay = Slurp(dir.path() + "QUILLBK.FPT");
    // The next day's first change (the program left running overnight).
    today = D(2024, 6, 2);
    SaveDay(*s, D(2024, 6, 3), EntryFor(D(2024, 6, 3)));
    EXPECT_EQ(Slurp(dir.path() + "backups/20240602/QUILLBK.DBF"), endOfFirstDay);
    EXPECT_EQ(Slurp(dir.path() + "backups/20240602/QUILLBK.FPT"), memoEndOfFirstDay);
    // A rebuild is a change too.
    today = D(2024, 6, 3);
    s->RebuildDiary();
    EXPECT_TRUE(fs::exists(dir.path() + "backups/20240603/QUILLBK.DBF"));
    // Opening and reading change nothing and so copy nothing.
    s.reset();
    today = D(2024, 6, 4);
    s = open();
    ASSERT_TRUE(s->FindDateRecord(D(2024, 6, 3)));
    EXPECT_FALSE(fs::exists(dir.path() + "backups/20240604"));
    // A backup's copy opens as a diary of its own.
    s.reset();
    DiaryStorage copy(dir.path() + "backups/20240602/");
    copy.DailyBackups = false;
    ASSERT_TRUE(copy.OpenDiaryFile()) << copy.LastError();
    EXPECT_TRUE(copy.FindDateRecord(D(2024, 6, 2)));
    EXPECT_FALSE(copy.FindDateRecord(D(2024, 6, 1)));
}

TEST(DailyBackups, AFailedBackupDoesNotStopTheSave) {
    TempFolder dir;
    auto s = test::OpenDiary(dir.path());
    std::ofstream(dir.path() + "backups") << "a file where the folder belongs";
    SaveDay(*s, D(2024, 2, 2), EntryFor(D(2024, 2, 2)));
    EXPECT_NE(s->LastBackupError().find("daily backup could not be made"), std::string::npos) << s->LastBackupError();
    ASSERT_TRUE(s->FindDateRecord(D(2024, 2, 2)));
    EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2024, 2, 2)));
}

TEST(DailyBackups, CopiesKeepThePermissionsOfTheDiary) {
    TempFolder dir;
    fs::permissions(dir.path(), fs::perms::owner_all);
    {
        auto s = test::OpenDiary(dir.path());
        SaveDay(*s, D(2024, 2, 2), EntryFor(D(2024, 2, 2)));
    }
    fs::permissions(dir.path() + "QUILLBK.FPT", fs::perms::owner_read | fs::perms::owner_write);
    {
        auto s = test::OpenDiary(dir.path());
        s->TodayForBackups = [] { return D(2030, 1, 1); };
        SaveDay(*s, D(2024, 2, 3), EntryFor(D(2024, 2, 3)));
    }
    EXPECT_EQ(fs::status(dir.path() + "backups").permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(dir.path() + "backups/20300101/QUILLBK.FPT").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace quill
