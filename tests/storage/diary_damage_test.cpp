// Damage and interrupted writes: what the diary does with files that a
// kill, a full disk or a bad sector left behind.

#include <gtest/gtest.h>

#include <errno.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
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
using test::Slurp;

constexpr size_t kHeader = 97, kRecord = 19;

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Overwrites bytes of record RECNO (1-based) of the diary table at OFFSET
// within the record (0 = deletion flag, 1 = DATE, 9 = ENTRY pointer).
void PatchRecord(const std::string& folder, size_t recno, size_t offset, const std::string& bytes) {
    std::string dbf = Slurp(folder + "QUILLBK.DBF");
    dbf.replace(kHeader + (recno - 1) * kRecord + offset, bytes.size(), bytes);
    Spit(folder + "QUILLBK.DBF", dbf);
}

std::vector<uint32_t> KeylessLiveRecords(const DiaryCheckReport& r) {
    std::vector<uint32_t> out;
    for (const auto& rec : r.records)
        if (!rec.deleted && rec.key.empty()) out.push_back(rec.recNo);
    return out;
}

// Fails the FAILAT-th write (1-based) to the diary's files with a full disk.
class WriteFault {
public:
    explicit WriteFault(int failAt) {
        xb::xb_SetWriteFaultHook([this, failAt](const std::string&, size_t) { return ++writes_ == failAt ? ENOSPC : 0; });
    }
    ~WriteFault() { xb::xb_SetWriteFaultHook({}); }
    int writes() const { return writes_; }

private:
    int writes_ = 0;
};

// A removal and a new day, failed at each of their writes in turn (a kill
// stops the same way: the writes before happened, the rest did not). The
// day must come out either as it was or as saved, and no live record may
// be left without its key.
TEST(InterruptedSave, RemovalOrNewDayIsDoneOrNotDoneAtEveryWrite) {
    struct Case {
        const char* name;
        bool removal;
    };
    for (const Case c : {Case{"removal", true}, Case{"new day", false}}) {
        for (int failAt = 1;; ++failAt) {
            TempFolder dir;
            const Date day = D(2024, 3, 10);
            {
                auto s = OpenDiary(dir.path());
                for (int d : {9, 10, 11})
                    if (c.removal || d != 10) SaveDay(*s, D(2024, 3, d), EntryFor(D(2024, 3, d)));
            }
            const std::string before = c.removal ? EntryFor(day) : "";
            const std::string after = c.removal ? "" : EntryFor(day, 300);
            bool failed = false;
            int writes = 0;
            {
                auto s = OpenDiary(dir.path());
                s->FindDateRecord(day);
                WriteFault fault(failAt);
                try {
                    s->SaveEntry(day, after);
                } catch (const std::exception&) {
                    failed = true;
                }
                writes = fault.writes();
                // Closing writes nothing more than the kill would have left.
                xb::xb_SetWriteFaultHook([](const std::string&, size_t) { return EIO; });
                s.reset();
            }
            const auto raw = CheckDiaryFiles(dir.path());
            EXPECT_TRUE(KeylessLiveRecords(raw).empty())
                << c.name << ", write " << failAt << " failed: a live record has no key";
            {
                auto s = OpenDiary(dir.path());
                const bool found = s->FindDateRecord(day);
                const std::string text = found ? s->CurrentEntryText() : "";
                EXPECT_TRUE(text == before || text == after) << c.name << ", write " << failAt << ": " << text;
                EXPECT_EQ(s->FirstEntry(), D(2024, 3, 9)) << c.name << ", write " << failAt;
                for (int d : {9, 11}) {
                    ASSERT_TRUE(s->FindDateRecord(D(2024, 3, d)));
                    EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2024, 3, d)));
                }
            }
            const auto r = CheckDiaryFiles(dir.path());
            EXPECT_TRUE(r.ok()) << c.name << ", write " << failAt << ":\n" << Problems(r);
            if (!failed || failAt > writes) break;  // every write has had its turn
        }
    }
}

// A diary written by an older version may hold live records without a key;
// opening removes them, so "&First" finds the first real day again.
TEST(InterruptedSave, OpenAndRebuildRemoveKeylessRecordsOfOlderVersions) {
    for (const bool byRebuild : {false, true}) {
        TempFolder dir;
        {
            auto s = OpenDiary(dir.path());
            for (int d : {5, 6, 7}) SaveDay(*s, D(2023, 8, d), EntryFor(D(2023, 8, d)));
        }
        // Record 2 lost its key half way through a removal; the text stayed.
        PatchRecord(dir.path(), 2, 1, "        ");
        if (byRebuild) {
            // The rebuild must mend it even when the open did not run first.
            DiaryStorage s(dir.path());
            s.DiaryTable.TableName = kDiaryTableName;
            s.DiaryTable.DatabaseName = dir.path();
            s.DiaryTable.Open();
            s.XbEnv1.SetDeleted(true);
            s.RebuildDiary();
        }
        auto s = OpenDiary(dir.path());
        EXPECT_EQ(s->OpenNotes().empty(), byRebuild);
        EXPECT_EQ(s->FirstEntry(), D(2023, 8, 5));
        EXPECT_FALSE(s->FindDateRecord(D(2023, 8, 6)));
        s.reset();
        const auto r = CheckDiaryFiles(dir.path());
        EXPECT_TRUE(KeylessLiveRecords(r).empty());
        EXPECT_TRUE(r.ok()) << Problems(r);
    }
}

TEST(InterruptedSave, CheckCallsAKeylessLiveRecordAProblem) {
    TempFolder dir;
    {
        auto s = OpenDiary(dir.path());
        SaveDay(*s, D(2023, 8, 5), EntryFor(D(2023, 8, 5)));
    }
    // Keep the index in step so that only the missing key is wrong.
    PatchRecord(dir.path(), 1, 1, "        ");
    {
        DiaryStorage s(dir.path());
        s.DiaryTable.TableName = kDiaryTableName;
        s.DiaryTable.DatabaseName = dir.path();
        s.DiaryTable.Open();  // rebuilds the stale index, keeps the record
    }
    const auto r = CheckDiaryFiles(dir.path());
    EXPECT_FALSE(r.ok());
    bool named = false;
    for (const auto& p : r.problems) named = named || p.find("without a date key") != std::string::npos;
    EXPECT_TRUE(named) << Problems(r);
}

// One record whose memo pointer is bad must not cost the other days: they
// read, the rebuild goes on past it, and the damaged day is kept as it is.
TEST(DamagedMemo, OtherDaysReadAndTheRebuildKeepsTheDamagedDay) {
    struct Case {
        const char* name;
        std::string pointer;
    };
    for (const Case& c : {Case{"past the end of the memo file", "    999999"}, Case{"not a number", "    x 12  "}}) {
        TempFolder dir;
        {
            auto s = OpenDiary(dir.path());
            for (int d : {1, 2, 3, 4}) SaveDay(*s, D(2022, 2, d), EntryFor(D(2022, 2, d), 100));
            SaveDay(*s, D(2022, 2, 4), "");  // something for the pack to remove
        }
        PatchRecord(dir.path(), 2, 9, c.pointer);
        auto s = OpenDiary(dir.path());
        ASSERT_TRUE(s->FindDateRecord(D(2022, 2, 2))) << c.name;
        EXPECT_THROW(s->CurrentEntryText(), TXbError) << c.name;
        std::string damage;
        ASSERT_NO_THROW(damage = s->RebuildDiary()) << c.name;
        EXPECT_NE(damage.find("1 record(s) kept"), std::string::npos) << c.name << ": " << damage;
        for (int d : {1, 3}) {
            ASSERT_TRUE(s->FindDateRecord(D(2022, 2, d))) << c.name;
            EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2022, 2, d), 100)) << c.name;
        }
        EXPECT_FALSE(s->FindDateRecord(D(2022, 2, 4))) << c.name;
        // The damaged day is still there, still unreadable, and never shows
        // another day's text.
        ASSERT_TRUE(s->FindDateRecord(D(2022, 2, 2))) << c.name;
        EXPECT_THROW(s->CurrentEntryText(), TXbError) << c.name;
        s.reset();
        const auto r = CheckDiaryFiles(dir.path());
        EXPECT_EQ(r.records.size(), 3u) << c.name;
        EXPECT_FALSE(r.ok()) << c.name;
    }
}

// A table that ends inside its last record opens with the complete records
// before the cut and says what was cut.
TEST(ShortTable, CompleteRecordsOpenAndTheCutIsNamed) {
    TempFolder dir;
    {
        auto s = OpenDiary(dir.path());
        for (int d = 1; d <= 5; ++d) SaveDay(*s, D(2021, 6, d), EntryFor(D(2021, 6, d)));
    }
    fs::resize_file(dir.path() + "QUILLBK.DBF", kHeader + 4 * kRecord + 7);
    const auto before = CheckDiaryFiles(dir.path());
    EXPECT_FALSE(before.ok());
    EXPECT_EQ(before.records.size(), 4u) << "the checker goes on with the complete records";
    auto s = OpenDiary(dir.path());
    ASSERT_EQ(s->OpenNotes().size(), 1u);
    EXPECT_NE(s->OpenNotes()[0].find("counts 5 records, the file holds 4 complete one(s) and 7 byte(s) of the next"),
              std::string::npos)
        << s->OpenNotes()[0];
    for (int d = 1; d <= 4; ++d) {
        ASSERT_TRUE(s->FindDateRecord(D(2021, 6, d))) << d;
        EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2021, 6, d)));
    }
    EXPECT_FALSE(s->FindDateRecord(D(2021, 6, 5)));
    EXPECT_EQ(s->LastEntry(), D(2021, 6, 4));
    // The next save writes the table whole again.
    SaveDay(*s, D(2021, 6, 5), EntryFor(D(2021, 6, 5), 9));
    s.reset();
    const auto after = CheckDiaryFiles(dir.path());
    EXPECT_TRUE(after.ok()) << Problems(after);
    EXPECT_EQ(after.records.size(), 5u);
}

// On a full disk the index rebuilt at open cannot be written back; the diary
// still opens with it in memory, reads and shows every entry, and writes the
// index once there is room again.
TEST(FullDisk, StaleOrMissingIndexIsKeptInMemoryAndWrittenLater) {
    for (const bool missing : {false, true}) {
        TempFolder dir;
        {
            auto s = OpenDiary(dir.path());
            for (int d = 1; d <= 3; ++d) SaveDay(*s, D(2020, 9, d), EntryFor(D(2020, 9, d)));
        }
        const std::string oldIndex = Slurp(dir.path() + "QUILLBK.CDX");
        {
            auto s = OpenDiary(dir.path());
            SaveDay(*s, D(2020, 9, 4), EntryFor(D(2020, 9, 4)));
        }
        if (missing)
            fs::remove(dir.path() + "QUILLBK.CDX");
        else
            Spit(dir.path() + "QUILLBK.CDX", oldIndex);  // lags one day behind
        const std::string before = Slurp(dir.path() + "QUILLBK.CDX");
        {
            WriteFault full(1 << 30);
            xb::xb_SetWriteFaultHook([](const std::string&, size_t) { return ENOSPC; });
            auto s = std::make_unique<DiaryStorage>(dir.path());
            ASSERT_TRUE(s->OpenDiaryFile()) << (missing ? "missing: " : "stale: ") << s->LastError();
            bool noted = false;
            for (const auto& n : s->OpenNotes()) noted = noted || n.find("kept in memory") != std::string::npos;
            EXPECT_TRUE(noted) << missing << ": " << (s->OpenNotes().empty() ? std::string("no notes") : s->OpenNotes()[0]);
            for (int d = 1; d <= 4; ++d) {
                ASSERT_TRUE(s->FindDateRecord(D(2020, 9, d))) << missing << " " << d;
                EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2020, 9, d)));
            }
            EXPECT_EQ(s->FirstEntry(), D(2020, 9, 1));
            EXPECT_EQ(s->LastEntry(), D(2020, 9, 4));
            // Saving on the full disk fails and says so; nothing saved is lost.
            EXPECT_THROW(SaveDay(*s, D(2020, 9, 5), EntryFor(D(2020, 9, 5))), std::exception);
            s.reset();
        }
        EXPECT_EQ(Slurp(dir.path() + "QUILLBK.CDX"), before) << "nothing written while the disk was full";
        {
            // Room again: the first commit writes the index kept in memory.
            auto s = OpenDiary(dir.path());
            SaveDay(*s, D(2020, 9, 5), EntryFor(D(2020, 9, 5)));
        }
        const auto r = CheckDiaryFiles(dir.path());
        EXPECT_TRUE(r.ok()) << Problems(r);
        EXPECT_EQ(r.indexKeys.size(), 5u);
    }
}

// A key expression damaged on disk would leave the table read-only for good;
// the diary's index has one known tag, so it is built again.
TEST(ForeignIndex, DamagedKeyExpressionIsSetAsideAndBuiltAgain) {
    struct Case {
        const char* name;
        size_t offset;  // in QUILLBK.CDX: the tag DATE's key expression, or its name in the directory
        std::string bytes;
    };
    for (const Case& c : {Case{"key expression no engine can compute", 0x800, "d@te"},
                          Case{"key expression of another field", 0x800, "entr"},
                          Case{"tag under another name", 0x5fc, "DATA"}}) {
        TempFolder dir;
        {
            auto s = OpenDiary(dir.path());
            for (int d = 1; d <= 3; ++d) SaveDay(*s, D(2019, 4, d), EntryFor(D(2019, 4, d)));
        }
        std::string cdx = Slurp(dir.path() + "QUILLBK.CDX");
        ASSERT_EQ(cdx.substr(0x800, 4), "date");
        cdx.replace(c.offset, c.bytes.size(), c.bytes);
        Spit(dir.path() + "QUILLBK.CDX", cdx);
        auto s = OpenDiary(dir.path());
        ASSERT_EQ(s->OpenNotes().size(), 1u) << c.name;
        EXPECT_NE(s->OpenNotes()[0].find("set aside"), std::string::npos) << s->OpenNotes()[0];
        EXPECT_EQ(Slurp(dir.path() + "QUILLBK.CDX.damaged"), cdx) << c.name;
        EXPECT_EQ(s->DiaryEngine.IndexList(), std::vector<std::string>{"DATE"}) << c.name;
        // Writable again, and in date order.
        ASSERT_NO_THROW(SaveDay(*s, D(2019, 3, 31), EntryFor(D(2019, 3, 31)))) << c.name;
        EXPECT_EQ(s->FirstEntry(), D(2019, 3, 31)) << c.name;
        ASSERT_TRUE(s->FindDateRecord(D(2019, 4, 2))) << c.name;
        EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2019, 4, 2)));
        s.reset();
        const auto r = CheckDiaryFiles(dir.path());
        EXPECT_TRUE(r.ok()) << c.name << "\n" << Problems(r);
    }
}

// The index is derived from the table and checked at every open: a save
// whose table and memo writes are on disk succeeds even when the index
// file cannot be written, and the index catches up later.
TEST(FullDisk, SaveSucceedsWhenOnlyTheIndexCannotBeWritten) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    SaveDay(*s, D(2020, 1, 1), EntryFor(D(2020, 1, 1)));
    xb::xb_SetWriteFaultHook(
        [](const std::string& path, size_t) { return path.find("QUILLBK.CDX") != std::string::npos ? ENOSPC : 0; });
    EXPECT_NO_THROW(SaveDay(*s, D(2020, 1, 2), EntryFor(D(2020, 1, 2))));
    EXPECT_NO_THROW(SaveDay(*s, D(2020, 1, 1), ""));
    xb::xb_SetWriteFaultHook({});
    EXPECT_TRUE(s->FindDateRecord(D(2020, 1, 2)));
    EXPECT_FALSE(s->FindDateRecord(D(2020, 1, 1)));
    s.reset();
    s = OpenDiary(dir.path());
    ASSERT_TRUE(s->FindDateRecord(D(2020, 1, 2)));
    EXPECT_EQ(s->CurrentEntryText(), EntryFor(D(2020, 1, 2)));
    EXPECT_FALSE(s->FindDateRecord(D(2020, 1, 1)));
    s.reset();
    const auto r = CheckDiaryFiles(dir.path());
    EXPECT_TRUE(r.ok()) << Problems(r);
}

}  // namespace
}  // namespace quill
