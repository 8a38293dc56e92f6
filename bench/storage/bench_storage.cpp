// Diary storage benchmark: builds a diary of 20,000 days of about 3 KB of
// RTF each, runs the operations the program uses on our xBase table and on
// SQLite, and prints both with their ratio.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <random>
#include <string>

#include "bench/storage/bench_common.h"
#include "bench/storage/stores.h"

namespace {

std::string MakeTempFolder(const char* tag) {
    std::string tmpl = (std::filesystem::temp_directory_path() / (std::string("quill-bench-") + tag + "-XXXXXX")).string();
    if (!mkdtemp(tmpl.data())) {
        perror("mkdtemp");
        std::exit(1);
    }
    return tmpl + "/";
}

struct Row {
    const char* name;
    double ours, theirs;  // theirs 0: SQLite has no such step
    const char* unit;     // "us" or "ms"
    double goal;          // in the same unit, 0 for none
    bool withinRatio = true;  // also at most 1.5x SQLite
};

}  // namespace

int main(int argc, char** argv) {
    using namespace quill::bench;
    int entries = 20000;
    if (argc > 1) entries = std::max(100, std::atoi(argv[1]));

    BenchSetup setup;
    std::mt19937 rng(20240101);
    setup.keys = ConsecutiveKeys(quill::Date{1970, 1, 1}, entries);
    setup.texts.reserve(setup.keys.size());
    for (size_t i = 0; i < setup.keys.size(); ++i) setup.texts.push_back(SampleEntry(rng, 2800 + rng() % 512));
    std::uniform_int_distribution<size_t> pick(0, setup.keys.size() - 1);
    for (int i = 0; i < 2000; ++i) setup.probeKeys.push_back(setup.keys[pick(rng)]);
    setup.newDayKeys = ConsecutiveKeys(quill::AddDays(quill::Date{1970, 1, 1}, entries + 1), setup.updateRounds);

    StoreFigures ours, theirs;
    const std::string oursDir = MakeTempFolder("xb"), theirsDir = MakeTempFolder("sqlite");
    try {
        setup.folder = oursDir;
        ours = RunQuillbook(setup);
        setup.folder = theirsDir;
        theirs = RunSqlite(setup);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_storage: %s\n", e.what());
        std::filesystem::remove_all(oursDir);
        std::filesystem::remove_all(theirsDir);
        return 1;
    }
    std::filesystem::remove_all(oursDir);
    std::filesystem::remove_all(theirsDir);

    const Row rows[] = {
        // The open checks the index against every record, so that a stale
        // index never answers wrongly: an absolute goal, not a ratio.
        {"open table with index (med)", ours.open / 1000, theirs.open / 1000, "ms", 5, false},
        {"FindDateRecord (median)", ours.seekMedian, theirs.seekMedian, "us", 20},
        {"update, fsync (median)", ours.updateSync / 1000, theirs.updateSync / 1000, "ms", 0},
        {"update, no fsync (median)", ours.updateNoSync / 1000, theirs.updateNoSync / 1000, "ms", 0},
        {"append a new day (median)", ours.append / 1000, theirs.append / 1000, "ms", 0},
        {"walk every memo", ours.walkMemos / 1000, theirs.walkMemos / 1000, "ms", 150},
        {"index rebuild", ours.rebuild / 1000, theirs.rebuild / 1000, "ms", 100},
        {"pack", ours.pack / 1000, theirs.pack / 1000, "ms", 0},
        {"daily backup (once a day)", ours.dailyBackup / 1000, 0, "ms", 500, false},
        // The whole "Rebuild Indexes" work on 20,000 entries, 2,000 removed.
        {"pack + rebuild (10% removed)", ours.packRebuild / 1000, theirs.packRebuild / 1000, "ms", 500},
    };
    std::printf("diary of %d entries, about 3 KB RTF each\n\n", entries);
    std::printf("%-28s %12s %12s %8s  %s\n", "operation", "ours", "SQLite", "ratio", "goal");
    bool missed = false;
    for (const Row& r : rows) {
        const double ratio = r.theirs > 0 ? r.ours / r.theirs : 0;
        std::string goal;
        if (r.goal > 0) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "<= %g %s%s", r.goal, r.unit, r.ours <= r.goal ? "" : "  MISSED");
            goal = buf;
            missed |= r.ours > r.goal;
        }
        if (r.withinRatio && ratio > 1.5) {
            goal += goal.empty() ? "> 1.5x SQLite  MISSED" : ", > 1.5x SQLite  MISSED";
            missed = true;
        }
        if (r.theirs > 0)
            std::printf("%-28s %9.3f %-2s %9.3f %-2s %7.2fx  %s\n", r.name, r.ours, r.unit, r.theirs, r.unit, ratio,
                        goal.c_str());
        else
            std::printf("%-28s %9.3f %-2s %12s %8s  %s\n", r.name, r.ours, r.unit, "-", "-", goal.c_str());
    }
    std::printf("\n%s\n", missed ? "some goals were missed (marked above)"
                                  : "all goals met (times, and at most 1.5x SQLite where compared)");
    return 0;
}
