// The diary operations on our own xBase table, through the same storage
// class the program uses.

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "bench/storage/bench_common.h"
#include "bench/storage/stores.h"
#include "storage/diary_backups.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill::bench {
namespace {

std::unique_ptr<DiaryStorage> OpenDiary(const std::string& folder) {
    auto s = std::make_unique<DiaryStorage>(folder);
    if (!s->OpenDiaryFile()) throw std::runtime_error("cannot open the diary: " + s->LastError());
    return s;
}

// A diary of its own in a sub-folder: every key, then every n-th removed;
// the time of the whole "Rebuild Indexes" work on it.
double PackAndRebuildFresh(const BenchSetup& setup) {
    const std::string folder = setup.folder + "pack-rebuild/";
    std::filesystem::create_directory(folder);
    auto s = OpenDiary(folder);
    s->DailyBackups = false;  // at most once a day, measured on its own
    s->DiaryTable.SyncOnPost = false;
    for (size_t i = 0; i < setup.keys.size(); ++i) {
        Date d;
        KeyToDate(setup.keys[i], d);
        s->EntryExists = false;
        s->AppendNewDay(d, setup.texts[i]);
    }
    int removed = 0;
    for (size_t i = 0; i < setup.keys.size(); i += size_t(setup.removeForPackRebuild)) {
        if (!s->FindDateRecord(STOD(setup.keys[i]))) throw std::runtime_error("xbase: a day to remove is missing");
        s->RemoveCurrentEntry();
        ++removed;
    }
    if (!xb::xb_Commit()) throw std::runtime_error("commit failed: " + xb::xb_ErrorText());
    s->DiaryTable.SyncOnPost = true;
    auto t = Clock::now();
    const RebuildResult r = s->PackAndRebuild();
    const double micros = MicrosSince(t);
    if (r.recordsBefore - r.recordsAfter != removed) throw std::runtime_error("xbase: the pack kept removed entries");
    return micros;
}

}  // namespace

StoreFigures RunQuillbook(const BenchSetup& setup) {
    StoreFigures f;
    {
        auto s = OpenDiary(setup.folder);
        s->DiaryTable.SyncOnPost = false;
        for (size_t i = 0; i < setup.keys.size(); ++i) {
            Date d;
            KeyToDate(setup.keys[i], d);
            s->EntryExists = false;
            s->AppendNewDay(d, setup.texts[i]);
        }
        if (!xb::xb_Commit()) throw std::runtime_error("commit failed: " + xb::xb_ErrorText());
    }

    {
        std::vector<double> times;
        for (int i = 0; i < setup.openRounds; ++i) {
            auto t = Clock::now();
            auto opened = OpenDiary(setup.folder);
            times.push_back(MicrosSince(t));
        }
        f.open = Median(times);
    }
    auto s = OpenDiary(setup.folder);

    {
        std::vector<Date> days;
        for (const auto& key : setup.probeKeys) days.push_back(STOD(key));
        std::vector<double> times;
        int found = 0;
        for (const Date& d : days) {
            auto t = Clock::now();
            found += s->FindDateRecord(d);
            times.push_back(MicrosSince(t));
        }
        if (found != int(days.size())) throw std::runtime_error("xbase: seek missed a key");
        f.seekMedian = Median(times);
    }

    auto updateRun = [&](bool sync) {
        s->DiaryTable.SyncOnPost = sync;
        std::vector<double> times;
        for (int i = 0; i < setup.updateRounds; ++i) {
            const Date d = STOD(setup.probeKeys[size_t(i) % setup.probeKeys.size()]);
            std::string text = setup.texts[size_t(i) % setup.texts.size()] + "x";
            if (text.size() % 4 == 0) text += ' ';
            auto t = Clock::now();
            s->FindDateRecord(d);
            s->UpdateCurrentEntry(d, text);
            times.push_back(MicrosSince(t));
        }
        return Median(times);
    };
    f.updateSync = updateRun(true);
    f.updateNoSync = updateRun(false);
    s->DiaryTable.SyncOnPost = true;
    xb::xb_Commit();

    {
        std::vector<double> times;
        for (size_t i = 0; i < setup.newDayKeys.size(); ++i) {
            const Date d = STOD(setup.newDayKeys[i]);
            auto t = Clock::now();
            s->FindDateRecord(d);
            s->AppendNewDay(d, setup.texts[i]);
            times.push_back(MicrosSince(t));
        }
        f.append = Median(times);
    }

    {
        // The copy made before the first change of a day, of the full diary
        // (a day with no backup yet; at most once a day in the program).
        if (!xb::xb_Commit()) throw std::runtime_error("commit failed: " + xb::xb_ErrorText());
        auto t = Clock::now();
        if (!MakeDailyBackup(setup.folder, Date{2099, 12, 31})) throw std::runtime_error("xbase: no backup made");
        f.dailyBackup = MicrosSince(t);
    }

    {
        size_t bytes = 0;
        auto t = Clock::now();
        s->DiaryEngine.SetOrder(1);
        for (s->DiaryTable.First(); !s->DiaryTable.Eof(); s->DiaryTable.Next())
            bytes += s->DiaryTable.FieldText("ENTRY").size();
        f.walkMemos = MicrosSince(t);
        if (bytes == 0) throw std::runtime_error("xbase: walk read nothing");
    }

    {
        auto t = Clock::now();
        s->CreateDiaryIndex();
        f.rebuild = MicrosSince(t);
    }

    {
        for (size_t i = 0; i < setup.keys.size(); i += size_t(setup.removeEvery)) {
            if (s->FindDateRecord(STOD(setup.keys[i]))) s->RemoveCurrentEntry();
        }
        auto t = Clock::now();
        s->DiaryEngine.Pack();
        f.pack = MicrosSince(t);
    }
    s.reset();
    f.packRebuild = PackAndRebuildFresh(setup);
    return f;
}

}  // namespace quill::bench
