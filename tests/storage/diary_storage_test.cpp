// The diary table as the main window uses it: first start, opening, finding
// a day, first and last moves, and the editing cycle's writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
#include "storage/folder_files.h"
#include "storage/xb_error.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

namespace fs = std::filesystem;
using test::D;
using test::EntryFor;
using test::OpenDiary;
using test::Problems;
using test::SaveDay;

TEST(DiaryStorage, FirstStartCreatesTableThenIndex) {
    TempFolder dir;
    int captions = 0;
    DiaryStorage s(dir.path());
    s.RefreshDateCaption = [&] { ++captions; };
    ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
    EXPECT_TRUE(fs::exists(dir.path() + "QUILLBK.DBF"));
    EXPECT_TRUE(fs::exists(dir.path() + "QUILLBK.CDX"));
    EXPECT_EQ(s.DiaryEngine.IndexOrd(), 1);
    EXPECT_EQ(s.DiaryEngine.IndexList(), std::vector<std::string>{"DATE"});
    EXPECT_TRUE(s.XbEnv1.Deleted());
    // Exactly the two fields, in this order.
    xb::xb_Select(s.DiaryTable.WorkArea());
    ASSERT_EQ(xb::xb_FieldCount(), 2);
    EXPECT_EQ(xb::xb_FieldName(1), "DATE");
    EXPECT_EQ(xb::xb_FieldType(1), 'C');
    EXPECT_EQ(xb::xb_FieldWidth(1), 8);
    EXPECT_EQ(xb::xb_FieldName(2), "ENTRY");
    EXPECT_EQ(xb::xb_FieldType(2), 'M');
    EXPECT_EQ(xb::xb_FieldWidth(2), 10);
    EXPECT_EQ(xb::xb_IndexKey(1), "date");
    EXPECT_FALSE(s.FindDateRecord(Today()));
    EXPECT_FALSE(s.EntryExists);
    EXPECT_EQ(captions, 1);
    EXPECT_TRUE(CheckDiaryFiles(dir.path()).ok()) << Problems(CheckDiaryFiles(dir.path()));
}

TEST(DiaryStorage, MissingIndexIsBuiltAtOpenWithDateOrder) {
    TempFolder dir;
    {
        auto s = OpenDiary(dir.path());
        for (int d : {3, 1, 2}) SaveDay(*s, D(2024, 5, d), EntryFor(D(2024, 5, d)));
    }
    fs::remove(dir.path() + "QUILLBK.CDX");
    auto s = OpenDiary(dir.path());
    EXPECT_TRUE(fs::exists(dir.path() + "QUILLBK.CDX"));
    EXPECT_EQ(s->DiaryEngine.IndexOrd(), 1);
    for (int d : {1, 2, 3}) {
        EXPECT_TRUE(s->FindDateRecord(D(2024, 5, d))) << d;
        EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2024, 5, d)));
    }
    EXPECT_EQ(s->FirstEntry(), D(2024, 5, 1));
    EXPECT_EQ(s->LastEntry(), D(2024, 5, 3));
}

TEST(DiaryStorage, IndexNameIsMatchedIgnoringCase) {
    TempFolder dir;
    {
        auto s = OpenDiary(dir.path());
        SaveDay(*s, D(2024, 5, 1), EntryFor(D(2024, 5, 1)));
    }
    fs::rename(dir.path() + "QUILLBK.CDX", dir.path() + "Quillbk.cdx");
    auto s = OpenDiary(dir.path());
    EXPECT_FALSE(fs::exists(dir.path() + "QUILLBK.CDX")) << "a second index was built beside the first";
    EXPECT_TRUE(s->FindDateRecord(D(2024, 5, 1)));
}

TEST(DiaryStorage, FailedSeekStandsAtEndWithLastRecordCurrent) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d : {10, 30, 20}) SaveDay(*s, D(2024, 1, d), EntryFor(D(2024, 1, d)));
    EXPECT_FALSE(s->FindDateRecord(D(2024, 1, 15)));
    EXPECT_FALSE(s->EntryExists);
    EXPECT_TRUE(s->DiaryTable.Eof());
    EXPECT_EQ(s->DiaryTable.FieldText("DATE"), "20240130");  // last in date order
    EXPECT_EQ(s->CurrentEntryText(), "");
    // The save then appends: the last record is left alone.
    s->SaveEntry(D(2024, 1, 15), EntryFor(D(2024, 1, 15), 7));
    EXPECT_TRUE(s->EntryExists);
    EXPECT_TRUE(s->FindDateRecord(D(2024, 1, 30)));
    EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2024, 1, 30)));
    EXPECT_TRUE(s->FindDateRecord(D(2024, 1, 15)));
    EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2024, 1, 15), 7));
    const auto r = CheckDiaryFiles(dir.path());
    EXPECT_TRUE(r.ok()) << Problems(r);
    EXPECT_EQ(r.records.size(), 4u);
}

TEST(DiaryStorage, EmptyTableFirstAndLastGiveToday) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    EXPECT_EQ(s->DiaryTable.FieldText("DATE"), "");
    EXPECT_EQ(s->FirstEntry(), Today());
    EXPECT_FALSE(s->EntryExists);
    EXPECT_EQ(s->LastEntry(), Today());
    // Only removed entries left: the same.
    SaveDay(*s, D(2020, 2, 2), EntryFor(D(2020, 2, 2)));
    SaveDay(*s, D(2020, 2, 2), "");
    EXPECT_EQ(s->FirstEntry(), Today());
    EXPECT_EQ(s->LastEntry(), Today());
    EXPECT_EQ(s->DiaryTable.FieldText("DATE"), "");
}

TEST(DiaryStorage, RemovedEntryIsNeverFoundAndPassedOver) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d : {1, 2, 3}) SaveDay(*s, D(2023, 7, d), EntryFor(D(2023, 7, d)));
    SaveDay(*s, D(2023, 7, 1), "");
    EXPECT_FALSE(s->EntryExists);
    SaveDay(*s, D(2023, 7, 3), "");
    EXPECT_FALSE(s->FindDateRecord(D(2023, 7, 1)));
    EXPECT_FALSE(s->FindDateRecord(D(2023, 7, 3)));
    EXPECT_EQ(s->FirstEntry(), D(2023, 7, 2));
    EXPECT_TRUE(s->EntryExists);
    EXPECT_EQ(s->LastEntry(), D(2023, 7, 2));
    // Even with deleted records visible, the removed ones carry no key.
    s->XbEnv1.SetDeleted(false);
    EXPECT_FALSE(s->FindDateRecord(D(2023, 7, 1)));
    s->XbEnv1.SetDeleted(true);
    const auto r = CheckDiaryFiles(dir.path());
    ASSERT_TRUE(r.ok()) << Problems(r);
    ASSERT_EQ(r.records.size(), 3u);
    for (unsigned i : {0u, 2u}) {
        EXPECT_TRUE(r.records[i].deleted);
        EXPECT_EQ(r.records[i].key, "");
        EXPECT_EQ(r.records[i].memo, "");
    }
    EXPECT_FALSE(r.records[1].deleted);
}

TEST(DiaryStorage, SaveTableUpdatesCreatesRemovesOrDoesNothing) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    const Date day = D(2024, 2, 29);
    // New day, empty page: nothing written.
    s->FindDateRecord(day);
    EXPECT_FALSE(s->SaveEntry(day, ""));
    EXPECT_EQ(CheckDiaryFiles(dir.path()).records.size(), 0u);
    // New day with text: one record.
    EXPECT_TRUE(s->SaveEntry(day, EntryFor(day)));
    // Existing: updated in place, still one live record.
    s->FindDateRecord(day);
    EXPECT_TRUE(s->SaveEntry(day, EntryFor(day, 100)));
    auto r = CheckDiaryFiles(dir.path());
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].key, "20240229");
    EXPECT_EQ(r.records[0].memo, EntryFor(day, 100));
    // Emptied: removed.
    s->FindDateRecord(day);
    EXPECT_FALSE(s->SaveEntry(day, ""));
    EXPECT_FALSE(s->FindDateRecord(day));
    r = CheckDiaryFiles(dir.path());
    ASSERT_TRUE(r.ok()) << Problems(r);
    EXPECT_TRUE(r.records[0].deleted);
}

TEST(DiaryStorage, StoredTextComesBackByteForByte) {
    TempFolder dir;
    const Date day = D(1999, 12, 31);
    std::string text;
    for (int c = 1; c < 256; ++c) text += char(c);  // every byte but NUL, cp1252 included
    text += "\r\n";
    {
        auto s = OpenDiary(dir.path());
        SaveDay(*s, day, text);
    }
    auto s = OpenDiary(dir.path());
    ASSERT_TRUE(s->FindDateRecord(day));
    EXPECT_EQ(s->CurrentEntryText(), text);
}

TEST(DiaryStorage, TextWithNulIsRefusedAndNothingChanges) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    const Date day = D(2024, 3, 1);
    SaveDay(*s, day, EntryFor(day));
    s->FindDateRecord(day);
    EXPECT_THROW(s->SaveEntry(day, std::string("abc\0def", 7)), TXbError);
    s->DiaryTable.Cancel();
    ASSERT_TRUE(s->FindDateRecord(day));
    EXPECT_EQ(s->CurrentEntryText(), EntryFor(day));
}

TEST(DiaryStorage, SaveGoesToTheCurrentDayEvenAfterTheDataSetMoved) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d : {1, 2, 3}) SaveDay(*s, D(2024, 4, d), EntryFor(D(2024, 4, d)));
    ASSERT_TRUE(s->FindDateRecord(D(2024, 4, 2)));
    // A walk over the table (day marks, printing, search) moves the record.
    for (s->DiaryTable.First(); !s->DiaryTable.Eof(); s->DiaryTable.Next()) {
    }
    s->SaveEntry(D(2024, 4, 2), EntryFor(D(2024, 4, 2), 9));
    for (int d : {1, 2, 3}) {
        ASSERT_TRUE(s->FindDateRecord(D(2024, 4, d)));
        EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2024, 4, d), d == 2 ? 9 : 0)) << d;
    }
}

TEST(DiaryStorage, SecondAppendForADayUpdatesInsteadOfDuplicating) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    const Date day = D(2024, 6, 6);
    SaveDay(*s, day, EntryFor(day));
    s->EntryExists = false;  // a caller that lost track
    s->SaveEntry(day, EntryFor(day, 3));
    const auto r = CheckDiaryFiles(dir.path());
    EXPECT_TRUE(r.ok()) << Problems(r);
    EXPECT_EQ(r.records.size(), 1u);
}

TEST(DiaryStorage, OpenFailsCleanlyOnADamagedTable) {
    TempFolder dir;
    {
        std::FILE* f = std::fopen((dir.path() + "QUILLBK.DBF").c_str(), "wb");
        std::fputs("this is not a table", f);
        std::fclose(f);
    }
    DiaryStorage s(dir.path());
    EXPECT_FALSE(s.OpenDiaryFile());
    EXPECT_EQ(s.LastError().rfind(kFileOpenErrorText, 0), 0u) << s.LastError();
    EXPECT_GT(s.LastError().size(), std::string(kFileOpenErrorText).size()) << "the engine's reason is missing";
    EXPECT_FALSE(s.DiaryTable.Active());
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A table file lost (deleted, renamed, moved) must not turn the next start
// into a first start that writes an empty memo file over every entry's text.
TEST(DiaryStorage, MissingTableBesideItsOtherFilesChangesNothing) {
    struct Case {
        const char* removed;     // files taken away after a day was saved
        const char* namedInError;
    };
    const Case cases[] = {
        {"QUILLBK.DBF", "QUILLBK.FPT"},
        {"QUILLBK.DBF QUILLBK.FPT", "QUILLBK.CDX"},
        {"QUILLBK.DBF QUILLBK.CDX", "QUILLBK.FPT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.removed);
        TempFolder dir;
        {
            DiaryStorage s(dir.path());
            ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
            SaveDay(s, D(2024, 3, 1), EntryFor(D(2024, 3, 1)));
        }
        std::string removed = c.removed;
        for (size_t at = 0; at < removed.size();) {
            const size_t end = std::min(removed.find(' ', at), removed.size());
            fs::remove(dir.path() + removed.substr(at, end - at));
            at = end + 1;
        }
        std::map<std::string, std::string> before;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.is_regular_file()) before[e.path().filename()] = FileBytes(e.path());
        DiaryStorage s(dir.path());
        EXPECT_FALSE(s.OpenDiaryFile());
        EXPECT_NE(s.LastError().find("QUILLBK.DBF"), std::string::npos) << s.LastError();
        EXPECT_NE(s.LastError().find(c.namedInError), std::string::npos) << s.LastError();
        std::map<std::string, std::string> after;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.is_regular_file()) after[e.path().filename()] = FileBytes(e.path());
        EXPECT_EQ(before, after) << "the folder changed";
    }
}

TEST(DiaryStorage, OpenFailsInAFolderThatCannotHoldTheTable) {
    DiaryStorage s("/proc/definitely-not-a-diary-folder/");
    EXPECT_FALSE(s.OpenDiaryFile());
    EXPECT_FALSE(s.LastError().empty());
}

TEST(DiaryStorage, EngineErrorTextsHaveTheFixedForms) {
    const TXbError open(xb::XB_ERR_LOCKED, true, "QUILLBK.DBF is in use");
    EXPECT_STREQ(open.what(), "File Open Error");
    EXPECT_EQ(open.Code(), xb::XB_ERR_LOCKED);
    EXPECT_EQ(open.FullText(), "File Open Error: QUILLBK.DBF is in use");
    const TXbError other(xb::XB_ERR_CORRUPT, false, "");
    EXPECT_EQ(std::string(other.what()), std::string(kEngineErrorPrefix) + "4");
}

}  // namespace
}  // namespace quill
