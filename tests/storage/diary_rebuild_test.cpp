// Pack and rebuild: removed entries leave for good, everything else stays.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "storage/diary_backups.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
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

// The folders of backups/ whose name begins with "before-pack".
std::vector<std::string> BeforePackFolders(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder + "backups", ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("before-pack", 0) == 0) out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::set<std::string> LiveKeys(const DiaryCheckReport& r) {
    std::set<std::string> keys;
    for (const auto& rec : r.records)
        if (!rec.deleted) keys.insert(rec.key);
    return keys;
}

TEST(DiaryRebuild, FilesBeforeThePackAreKeptUntilTheNextPack) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d = 1; d <= 8; ++d) SaveDay(*s, D(2023, 1, d), EntryFor(D(2023, 1, d), 300));
    SaveDay(*s, D(2023, 1, 3), "");
    const RebuildResult first = s->PackAndRebuild();
    EXPECT_EQ(first.recordsBefore, 8);
    EXPECT_EQ(first.recordsAfter, 7);
    ASSERT_EQ(BeforePackFolders(dir.path()).size(), 1u);
    EXPECT_EQ(first.beforePack, dir.path() + "backups/" + BeforePackFolders(dir.path())[0] + "/");
    // The kept table still holds the removed day, and later saves do not
    // reach it.
    SaveDay(*s, D(2023, 1, 20), EntryFor(D(2023, 1, 20)));
    SaveDay(*s, D(2023, 1, 5), "");
    {
        const auto kept = CheckDiaryFiles(first.beforePack);
        ASSERT_TRUE(kept.ok()) << Problems(kept);
        EXPECT_EQ(kept.records.size(), 8u);
        EXPECT_EQ(LiveKeys(kept).count("20230105"), 1u);
        EXPECT_EQ(LiveKeys(kept).count("20230120"), 0u);
        EXPECT_EQ(kept.records[2].deleted, true);
    }
    const RebuildResult second = s->PackAndRebuild();
    ASSERT_EQ(BeforePackFolders(dir.path()).size(), 1u) << "the first pack's copy goes once the second succeeds";
    const auto kept = CheckDiaryFiles(second.beforePack);
    ASSERT_TRUE(kept.ok()) << Problems(kept);
    EXPECT_EQ(LiveKeys(kept).count("20230120"), 1u);
    EXPECT_EQ(LiveKeys(kept).count("20230105"), 0u);
    EXPECT_EQ(CheckDiaryFiles(dir.path()).records.size(), 7u);
    // The backups command lists it.
    bool listed = false;
    for (const auto& b : ListBackups(dir.path())) listed |= b.path == second.beforePack && !b.daily;
    EXPECT_TRUE(listed);
}

TEST(DiaryRebuild, IndexPhaseReportsFillTheGauge) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d = 1; d <= 30; ++d) SaveDay(*s, D(2023, 4, d), EntryFor(D(2023, 4, d)));
    SaveDay(*s, D(2023, 4, 9), "");
    std::vector<RebuildPhase> phases;
    TRebuildGauge gauge;
    int packTop = 0;
    s->PackAndRebuild({[&](RebuildPhase p) {
                           phases.push_back(p);
                           gauge.Start(p);
                       },
                       [&](RebuildPhase p, int percent) {
                           EXPECT_EQ(p, phases.back());
                           gauge.Report(percent);
                           if (p == RebuildPhase::Pack) packTop = std::max(packTop, gauge.Position());
                       },
                       {}});
    EXPECT_EQ(phases, (std::vector<RebuildPhase>{RebuildPhase::Pack, RebuildPhase::Index}));
    EXPECT_EQ(packTop, 100);
    EXPECT_EQ(gauge.Position(), 100) << "the index build rises from 0 to 100 four times";
}

// A write fault the engine meets once it is armed: PATH ends with SUFFIX,
// the write is a data write (BYTES > 0) or a rename or sync (0).
struct Fault {
    const char* name;
    const char* suffix;
    bool dataWrite;
    bool once;
    RebuildStep step;
    bool packed;  // the removed entries are gone afterwards
};

void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }

class RebuildFailure : public ::testing::TestWithParam<Fault> {};

TEST_P(RebuildFailure, TableStaysInUseWithEveryEntry) {
    const Fault f = GetParam();
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d = 1; d <= 40; ++d) SaveDay(*s, D(2022, 6, d % 30 + 1), EntryFor(D(2022, 6, d % 30 + 1), size_t(d) * 20));
    for (int d : {4, 11, 12, 25}) SaveDay(*s, D(2022, 6, d), "");
    std::map<std::string, std::string> live;
    for (int d = 1; d <= 30; ++d)
        if (s->FindDateRecord(D(2022, 6, d))) live[DateToKey(D(2022, 6, d))] = s->CurrentEntryText();
    ASSERT_EQ(live.size(), 26u);
    const long before = CheckDiaryFiles(dir.path()).records.size();
    const std::string filter = "DATE <> \"20220601\"";
    s->DiaryEngine.SetFilter(filter);

    bool armed = false, hit = false;
    xb::xb_SetWriteFaultHook([&](const std::string& path, std::size_t bytes) -> int {
        if (!armed || (f.once && hit)) return 0;
        const std::string suffix = f.suffix;
        if (path.size() < suffix.size() || path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
            return 0;
        if ((bytes > 0) != f.dataWrite) return 0;
        hit = true;
        return ENOSPC;
    });
    RebuildListener listener;
    listener.phaseStarted = [&](RebuildPhase) { armed = true; };
    bool thrown = false;
    try {
        s->PackAndRebuild(listener);
    } catch (const RebuildError& e) {
        thrown = true;
        EXPECT_EQ(e.Step(), f.step) << e.what();
        EXPECT_EQ(e.Packed(), f.packed) << e.what();
        EXPECT_TRUE(e.OpenedAgain()) << e.what();
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(hit);

    // Back as the rest of the program expects it.
    EXPECT_TRUE(s->XbEnv1.Deleted());
    EXPECT_EQ(s->DiaryEngine.DBFilter(), filter);
    EXPECT_EQ(s->DiaryEngine.IndexOrd(), 1);
    EXPECT_FALSE(s->DiaryTable.ControlsDisabled());
    s->DiaryEngine.SetFilter("");
    for (const auto& [key, text] : live) {
        Date day;
        ASSERT_TRUE(KeyToDate(key, day));
        ASSERT_TRUE(s->FindDateRecord(day)) << key;
        EXPECT_EQ(s->CurrentEntryText(), text) << key;
    }
    EXPECT_FALSE(s->FindDateRecord(D(2022, 6, 11)));
    // A save still works, even with the fault still there for the index.
    SaveDay(*s, D(2022, 7, 1), EntryFor(D(2022, 7, 1)));
    EXPECT_TRUE(s->FindDateRecord(D(2022, 7, 1)));
    live[DateToKey(D(2022, 7, 1))] = EntryFor(D(2022, 7, 1));

    xb::xb_SetWriteFaultHook({});
    s.reset();
    // The next start finds every entry and an index that matches.
    s = OpenDiary(dir.path());
    const auto r = CheckDiaryFiles(dir.path());
    ASSERT_TRUE(r.ok()) << Problems(r);
    EXPECT_EQ(long(r.records.size()), f.packed ? long(live.size()) : before + 1);
    for (const auto& [key, text] : live) {
        Date day;
        KeyToDate(key, day);
        ASSERT_TRUE(s->FindDateRecord(day)) << key;
        EXPECT_EQ(s->CurrentEntryText(), text) << key;
    }
    EXPECT_TRUE(fs::exists(dir.path() + "QUILLBK.CDX"));
    // A failed pack leaves no copy that would follow the live files.
    EXPECT_EQ(BeforePackFolders(dir.path()).size(), f.packed ? 1u : 0u);
    for (const auto& name : BeforePackFolders(dir.path()))
        EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RebuildFailure,
    ::testing::Values(Fault{"NewTableCannotBeWritten", "QUILLBK.DBF.pack-new", true, false, RebuildStep::Pack, false},
                      Fault{"NewMemoCannotBeWritten", "QUILLBK.FPT.pack-new", true, false, RebuildStep::Pack, false},
                      Fault{"SwapCutShort", "QUILLBK.FPT", false, true, RebuildStep::Pack, true},
                      Fault{"IndexCannotBeWritten", "QUILLBK.CDX.new", true, false, RebuildStep::Index, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiaryRebuild, FilesThatCannotBeKeptStopThePackBeforeAnythingChanges) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    s->DailyBackups = false;
    for (int d = 1; d <= 5; ++d) SaveDay(*s, D(2022, 8, d), EntryFor(D(2022, 8, d)));
    SaveDay(*s, D(2022, 8, 2), "");
    const auto before = CheckDiaryFiles(dir.path());
    { std::ofstream blocker(dir.path() + "backups"); }  // a file where the folder should be
    try {
        s->PackAndRebuild();
        ADD_FAILURE() << "no failure";
    } catch (const RebuildError& e) {
        EXPECT_EQ(e.Step(), RebuildStep::KeepFiles);
        EXPECT_FALSE(e.Packed());
    }
    const auto after = CheckDiaryFiles(dir.path());
    ASSERT_TRUE(after.ok()) << Problems(after);
    EXPECT_EQ(after.records.size(), before.records.size());
    EXPECT_TRUE(s->XbEnv1.Deleted());
    for (int d : {1, 3, 4, 5}) EXPECT_TRUE(s->FindDateRecord(D(2022, 8, d))) << d;
}

}  // namespace
}  // namespace quill
