// Kill-at-any-point durability: a writer process saves, updates and removes
// entries and adds new days (each save ending with a commit) and reports every committed save
// through a pipe; it is killed with SIGKILL at many different moments. Every
// committed entry must then be intact and the files consistent. The same
// holds for kills in the middle of a pack and an index rebuild.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "storage/diary_backups.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "storage/entry_text.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPoolDays = 40;

enum MessageKind : int32_t { kCommitted = 1, kRebuildStart = 2, kRebuildDone = 3 };
struct Message {
    int32_t kind;
    int32_t value;
};

Date PoolDay(int n) { return AddDays(Date{2020, 1, 1}, n); }

// Operation I of the writer's fixed sequence: which day, and what text
// (empty = remove the entry). Lengths vary so that memos span 1 to many blocks.
struct Op {
    Date day;
    std::string text;
};
Op OpAt(int i) {
    Op op{PoolDay((i * 7) % kPoolDays), {}};
    if (i % 5 != 4) op.text = StoredEntryText("{\\rtf1\\ansi gen " + std::to_string(i) + " " + std::string(size_t(i * 37 % 900), 'x') + "\\par}\n");
    return op;
}

void Send(int fd, MessageKind kind, int value) {
    const Message m{kind, value};
    if (write(fd, &m, sizeof m) != sizeof m) _exit(3);
}

// The writer's body; never returns (killed, or _exit on error).
[[noreturn]] void Writer(const std::string& folder, int fd, int firstOp, bool rebuildLoop) {
    {
        DiaryStorage s(folder);
        if (!s.OpenDiaryFile()) _exit(2);
        try {
            for (int i = firstOp;; ++i) {
                const Op op = OpAt(i);
                s.FindDateRecord(op.day);
                s.SaveEntry(op.day, op.text);
                Send(fd, kCommitted, i);
                if (rebuildLoop) {
                    Send(fd, kRebuildStart, i);
                    s.RebuildDiary();
                    Send(fd, kRebuildDone, i);
                }
            }
        } catch (...) {
            _exit(4);
        }
    }
    _exit(0);
}

class Durability : public ::testing::Test {
protected:
    // Expected text per pool day; "" = no entry.
    std::map<int, std::string> expected_;
    int nextOp_ = 0;
    TempFolder dir_;

    // Runs one writer, kills it when KILLAT says so, and checks the diary.
    // Returns the kinds of message seen last before the kill.
    int Round(bool rebuildLoop, const std::function<void(int fd, pid_t child)>& killWhen) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        const int firstOp = nextOp_;
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            Writer(dir_.path(), fds[1], firstOp, rebuildLoop);
        }
        close(fds[1]);
        killWhen(fds[0], child);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "writer ended by itself with status " << WEXITSTATUS(status);
        int lastKind = 0;
        Message m;
        while (read(fds[0], &m, sizeof m) == sizeof m) {
            lastKind = m.kind;
            if (m.kind == kCommitted) {
                const Op op = OpAt(m.value);
                expected_[int((m.value * 7) % kPoolDays)] = op.text;
                nextOp_ = m.value + 1;
            }
        }
        close(fds[0]);
        Verify();
        return lastKind;
    }

    void Verify() {
        // The operation after the last reported one may or may not have
        // landed; every other day must hold exactly its committed text.
        const Op inFlight = OpAt(nextOp_);
        const int inFlightDay = int((nextOp_ * 7) % kPoolDays);
        // As the kill left the files, before an open could mend anything:
        // a removal or a new day is one record write, so no live record is
        // ever without its key.
        for (const auto& rec : CheckDiaryFiles(dir_.path()).records)
            ASSERT_FALSE(!rec.deleted && rec.key.empty()) << "record " << rec.recNo << " is live without a key";
        // A kept before-pack folder is listed only once its pack has
        // swapped the files: it never shares the live table file, which
        // later saves would change under it.
        struct stat live {};
        ASSERT_EQ(stat((dir_.path() + "QUILLBK.DBF").c_str(), &live), 0);
        for (const auto& b : ListBackups(dir_.path())) {
            struct stat kept {};
            if (b.name.rfind("before-pack-", 0) != 0 || stat((b.path + "QUILLBK.DBF").c_str(), &kept) != 0) continue;
            ASSERT_FALSE(kept.st_dev == live.st_dev && kept.st_ino == live.st_ino) << b.name << " follows the live table";
        }
        {
            DiaryStorage s(dir_.path());
            ASSERT_TRUE(s.OpenDiaryFile()) << "the diary does not open after a kill: " << s.LastError();
            for (int d = 0; d < kPoolDays; ++d) {
                const bool found = s.FindDateRecord(PoolDay(d));
                const std::string text = found ? s.CurrentEntryText() : "";
                if (found) {
                    ASSERT_FALSE(text.empty()) << "day " << d << " has a record with no text";
                }
                const std::string& want = expected_[d];
                if (d == inFlightDay && text == inFlight.text && text != want) {
                    // The in-flight save landed: from now on it is expected.
                    expected_[d] = text;
                    ++nextOp_;
                    continue;
                }
                ASSERT_EQ(text, want) << "day " << d << " lost its committed text (next op " << nextOp_ << ")";
            }
        }
        const auto r = CheckDiaryFiles(dir_.path());
        std::string problems;
        for (const auto& p : r.problems) problems += p + "\n";
        ASSERT_TRUE(r.ok()) << problems;
    }
};

TEST_F(Durability, KillDuringSavesLosesNoCommittedEntry) {
    std::mt19937 rng(4242);
    const auto start = Clock::now();
    int rounds = 0;
    // Early rounds kill while the table and index are first created.
    for (; rounds < 80 && Clock::now() - start < std::chrono::seconds(6); ++rounds) {
        const int maxDelay = rounds < 10 ? 3000 : 25000;  // microseconds
        const int delay = int(rng() % unsigned(maxDelay));
        Round(false, [&](int, pid_t) { std::this_thread::sleep_for(std::chrono::microseconds(delay)); });
        if (HasFatalFailure()) return;
    }
    EXPECT_GE(rounds, 20);
    EXPECT_GT(nextOp_, 50) << "too few saves got through to test anything";
    RecordProperty("rounds", rounds);
    RecordProperty("committed", nextOp_);
}

TEST_F(Durability, KillDuringPackAndRebuildLosesNothing) {
    // A diary with enough records, live and removed, that the pack and the
    // index build take a while.
    {
        DiaryStorage s(dir_.path());
        ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
        s.DiaryTable.SyncOnPost = false;
        for (int i = 0; i < 1500; ++i) {
            const Date day = AddDays(Date{1990, 1, 1}, i);
            s.FindDateRecord(day);
            s.SaveEntry(day, StoredEntryText("{\\rtf1 old " + std::to_string(i) + std::string(size_t(i % 700), 'o') + "}"));
        }
        for (int i = 0; i < 1500; i += 3) {
            const Date day = AddDays(Date{1990, 1, 1}, i);
            s.FindDateRecord(day);
            s.SaveEntry(day, "");
        }
        s.DiaryTable.SyncOnPost = true;
        s.FindDateRecord(Date{1990, 1, 2});
        s.SaveEntry(Date{1990, 1, 2}, StoredEntryText("{\\rtf1 synced}"));
    }
    // How long one rebuild takes, to aim the kills inside it.
    double rebuildMicros = 0;
    {
        DiaryStorage s(dir_.path());
        ASSERT_TRUE(s.OpenDiaryFile());
        const auto t = Clock::now();
        s.RebuildDiary();
        rebuildMicros = std::chrono::duration<double, std::micro>(Clock::now() - t).count();
    }
    auto oldText = [](int i) {
        return i % 3 == 0 ? std::string() : StoredEntryText("{\\rtf1 old " + std::to_string(i) + std::string(size_t(i % 700), 'o') + "}");
    };
    auto verifyOld = [&] {
        DiaryStorage s(dir_.path());
        ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
        for (int i = 0; i < 1500; i += 7) {
            const Date day = AddDays(Date{1990, 1, 1}, i);
            const std::string want = i == 1 ? StoredEntryText("{\\rtf1 synced}") : oldText(i);
            ASSERT_EQ(s.FindDateRecord(day), !want.empty()) << i;
            ASSERT_EQ(s.CurrentEntryText(), want) << i;
        }
    };
    std::mt19937 rng(777);
    const auto start = Clock::now();
    int rounds = 0, insideRebuild = 0;
    for (; rounds < 30 && Clock::now() - start < std::chrono::seconds(6); ++rounds) {
        const int delay = int(rng() % unsigned(std::max(1000.0, rebuildMicros * 0.9)));
        bool sawStart = false;
        const int last = Round(true, [&](int fd, pid_t) {
            // Wait until the writer says it starts a rebuild, then kill it
            // somewhere inside.
            Message m{};
            while (read(fd, &m, sizeof m) == sizeof m) {
                if (m.kind == kCommitted) {
                    expected_[int((m.value * 7) % kPoolDays)] = OpAt(m.value).text;
                    nextOp_ = m.value + 1;
                }
                if (m.kind == kRebuildStart) {
                    sawStart = true;
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(delay));
        });
        if (HasFatalFailure()) return;
        // Nothing reported after the start: the kill fell inside the rebuild.
        insideRebuild += sawStart && last == 0;
        verifyOld();
        if (HasFatalFailure()) return;
    }
    EXPECT_GE(insideRebuild, 5) << "too few kills landed inside a pack or rebuild (" << rounds << " rounds, rebuild "
                                << rebuildMicros << " us)";
    RecordProperty("rounds", rounds);
    RecordProperty("insideRebuild", insideRebuild);
}

}  // namespace
}  // namespace quill
