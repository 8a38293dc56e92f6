// Pack and rebuild: removed entries leave for good, everything else stays.

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

namespace fs = std::filesystem;
using test::D;
using test::EntryFor;
using test::OpenDiary;
using test::Problems;
using test::SaveDay;

TEST(DiaryRebuild, RemovedEntriesLeaveAndTheRestIsFound) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d = 1; d <= 6; ++d) SaveDay(*s, D(2022, 3, d), EntryFor(D(2022, 3, d), size_t(d) * 50));
    SaveDay(*s, D(2022, 3, 2), "");
    SaveDay(*s, D(2022, 3, 5), "");
    s->DiaryEngine.SetFilter("DATE <> \"20220301\"");
    int packReports = 0, indexReports = 0, lastIndex = -1;
    s->RebuildDiary([&](int phase, int percent) {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        (phase == 0 ? packReports : indexReports)++;
        if (phase == 1) lastIndex = percent;
    });
    EXPECT_GT(packReports + indexReports, 0) << "no progress at all";
    (void)lastIndex;
    EXPECT_TRUE(s->XbEnv1.Deleted());
    EXPECT_EQ(s->DiaryEngine.IndexOrd(), 1);
    EXPECT_EQ(s->DiaryEngine.DBFilter(), "DATE <> \"20220301\"");
    s->DiaryEngine.SetFilter("");
    const auto r = CheckDiaryFiles(dir.path());
    ASSERT_TRUE(r.ok()) << Problems(r);
    ASSERT_EQ(r.records.size(), 4u);
    for (const auto& rec : r.records) EXPECT_FALSE(rec.deleted);
    for (int d : {1, 3, 4, 6}) {
        ASSERT_TRUE(s->FindDateRecord(D(2022, 3, d))) << d;
        EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2022, 3, d), size_t(d) * 50));
    }
    EXPECT_FALSE(s->FindDateRecord(D(2022, 3, 2)));
}

TEST(DiaryRebuild, IndexDeletedByHandIsBuiltAgain) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d = 1; d <= 3; ++d) SaveDay(*s, D(2022, 4, d), EntryFor(D(2022, 4, d)));
    fs::remove(dir.path() + "QUILLBK.CDX");
    s->RebuildDiary();
    EXPECT_TRUE(fs::exists(dir.path() + "QUILLBK.CDX"));
    EXPECT_TRUE(CheckDiaryFiles(dir.path()).ok()) << Problems(CheckDiaryFiles(dir.path()));
    EXPECT_TRUE(s->FindDateRecord(D(2022, 4, 2)));
}

TEST(DiaryRebuild, TableWithoutRemovedEntriesKeepsRecordsAndOrder) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d : {9, 2, 7, 4}) SaveDay(*s, D(2022, 5, d), EntryFor(D(2022, 5, d)));
    const auto before = CheckDiaryFiles(dir.path());
    s->RebuildDiary();
    const auto after = CheckDiaryFiles(dir.path());
    ASSERT_TRUE(after.ok()) << Problems(after);
    ASSERT_EQ(after.records.size(), before.records.size());
    for (size_t i = 0; i < before.records.size(); ++i) {
        EXPECT_EQ(after.records[i].key, before.records[i].key);
        EXPECT_EQ(after.records[i].memo, before.records[i].memo);
    }
    // The current date's entry can be found again afterwards.
    EXPECT_TRUE(s->FindDateRecord(D(2022, 5, 7)));
    EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2022, 5, 7)));
}

TEST(DiaryRebuild, SurvivesReopening) {
    TempFolder dir;
    {
        auto s = OpenDiary(dir.path());
        for (int d = 1; d <= 28; ++d) SaveDay(*s, D(2021, 2, d), EntryFor(D(2021, 2, d)));
        for (int d = 1; d <= 28; d += 3) SaveDay(*s, D(2021, 2, d), "");
        s->RebuildDiary();
    }
    auto s = OpenDiary(dir.path());
    int found = 0;
    for (int d = 1; d <= 28; ++d) found += s->FindDateRecord(D(2021, 2, d));
    EXPECT_EQ(found, 28 - 10);
    EXPECT_TRUE(CheckDiaryFiles(dir.path()).ok());
}

}  // namespace
}  // namespace quill
