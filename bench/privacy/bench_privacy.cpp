// Figures for a password-protected diary: unlocking it (key derivation and
// opening), re-writing 20,000 entries under a new password, and reading
// every text of a 10,000-entry diary in date order, the table walk under
// the search across entries; the same walk on the diary in the clear for
// comparison.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

#include "bench/storage/bench_common.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill::bench {
namespace {

std::string MakeFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "quill-bench-privacy-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::exit(1);
    return tmpl + "/";
}

// A diary of COUNT entries of about 2 KB each, written in one go.
std::string BuildDiary(int count) {
    const std::string folder = MakeFolder();
    std::mt19937 rng(1234);
    DiaryStorage s(folder);
    s.DailyBackups = false;
    if (!s.OpenDiaryFile()) std::exit(1);
    s.DiaryTable.SyncOnPost = false;
    Date day{1990, 1, 1};
    for (int i = 0; i < count; ++i, day = AddDays(day, 1)) {
        s.DiaryTable.Append();
        s.DiaryTable.SetFieldText("DATE", DateToKey(day));
        s.DiaryTable.SetFieldText("ENTRY", SampleEntry(rng, 1500 + rng() % 1200));
        s.DiaryTable.Post();
    }
    return folder;
}

double WalkTexts(DiaryStorage& s, std::size_t& bytes) {
    const auto start = Clock::now();
    bytes = 0;
    s.DiaryEngine.SetOrder(1);
    for (s.DiaryTable.First(); !s.DiaryTable.Eof(); s.DiaryTable.Next()) bytes += s.DiaryTable.FieldText("ENTRY").size();
    return MicrosSince(start);
}

}  // namespace
}  // namespace quill::bench

int main() {
    using namespace quill;
    using namespace quill::bench;
    std::printf("%-52s %12s %10s\n", "operation", "seconds", "goal");

    // Re-writing 20,000 entries: the plain diary sealed, then a change of
    // password (open one key, derive another, re-seal every text).
    const std::string big = BuildDiary(20000);
    {
        xb::xb_SetPassword("");
        DiaryStorage s(big);
        s.DailyBackups = false;
        if (!s.OpenDiaryFile()) return 1;
        auto start = Clock::now();
        s.ChangePassword("FIRST PW");
        const double seal = MicrosSince(start) / 1e6;
        start = Clock::now();
        s.ChangePassword("SECOND");
        const double change = MicrosSince(start) / 1e6;
        std::printf("%-52s %12.3f %10s\n", "protect 20,000 entries (plain to sealed)", seal, "");
        std::printf("%-52s %12.3f %10s\n", "change password of 20,000 entries", change, "2 s + kdf");
    }
    // Unlock: a fresh start in a fresh process (the engine remembers keys
    // it derived), the table opened and the key derived from the password.
    std::vector<double> unlock, derive;
    for (int round = 0; round < 5; ++round) {
        int fds[2];
        if (pipe(fds) != 0) return 1;
        const pid_t child = fork();
        if (child == 0) {
            xb::xb_SetPassword("");
            xb::xb_ForgetKeys();
            const auto start = Clock::now();
            DiaryStorage s(big);
            s.DailyBackups = false;
            if (!s.OpenDiaryFile()) _exit(1);
            const auto kdf = Clock::now();
            if (!s.UsePassword("SECOND")) _exit(1);
            s.FindDateRecord(Date{2000, 1, 1});
            const std::string text = s.CurrentEntryText();
            double figures[2] = {MicrosSince(kdf) / 1e6, MicrosSince(start) / 1e6};
            if (text.empty() || write(fds[1], figures, sizeof figures) != sizeof figures) _exit(1);
            _exit(0);
        }
        close(fds[1]);
        double figures[2] = {0, 0};
        const bool got = read(fds[0], figures, sizeof figures) == sizeof figures;
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (!got) return 1;
        derive.push_back(figures[0]);
        unlock.push_back(figures[1]);
    }
    std::printf("%-52s %12.3f %10s\n", "key derivation and check (Argon2id, interactive)", Median(derive), "");
    std::printf("%-52s %12.3f %10s\n", "unlock 20,000 entries (derivation + open)", Median(unlock), "0.5 s");
    std::filesystem::remove_all(big);

    // The walk over every text of 10,000 entries, sealed and in the clear.
    const std::string walk = BuildDiary(10000);
    double plainWalk = 0, sealedWalk = 0;
    std::size_t plainBytes = 0, sealedBytes = 0;
    {
        xb::xb_SetPassword("");
        DiaryStorage s(walk);
        s.DailyBackups = false;
        if (!s.OpenDiaryFile()) return 1;
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) runs.push_back(WalkTexts(s, plainBytes));
        plainWalk = Median(runs) / 1e6;
        s.ChangePassword("WALKER");
        runs.clear();
        for (int i = 0; i < 5; ++i) runs.push_back(WalkTexts(s, sealedBytes));
        sealedWalk = Median(runs) / 1e6;
    }
    if (plainBytes != sealedBytes) return 1;
    std::printf("%-52s %12.3f %10s\n", "read every text of 10,000 entries, in the clear", plainWalk, "");
    std::printf("%-52s %12.3f %10s\n", "read every text of 10,000 entries, sealed", sealedWalk, "0.4 s*");
    std::printf("%-52s %12.2f\n", "sealed / clear", sealedWalk / plainWalk);
    std::printf("* the goal is for the whole search walk, which adds the RTF reading\n");
    std::filesystem::remove_all(walk);
    return 0;
}
