// The same diary operations on SQLite, the yardstick for our own engine: one
// table keyed by date with a separate index, WAL journal.

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

#include "bench/storage/bench_common.h"
#include "bench/storage/stores.h"

namespace quill::bench {
namespace {

void Check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("sqlite ") + what + ": " + sqlite3_errmsg(db));
}

void Exec(sqlite3* db, const char* sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "?";
        sqlite3_free(msg);
        throw std::runtime_error(std::string("sqlite: ") + sql + ": " + m);
    }
}

struct Stmt {
    sqlite3* db;
    sqlite3_stmt* s = nullptr;
    Stmt(sqlite3* d, const char* sql) : db(d) { Check(db, sqlite3_prepare_v2(db, sql, -1, &s, nullptr), sql); }
    ~Stmt() { sqlite3_finalize(s); }
    void Text(int i, const std::string& t) { sqlite3_bind_text(s, i, t.data(), int(t.size()), SQLITE_STATIC); }
    int Step() {
        int rc = sqlite3_step(s);
        Check(db, rc, "step");
        return rc;
    }
    void Reset() { sqlite3_reset(s); }
};

sqlite3* OpenDb(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw std::runtime_error("sqlite: cannot open " + path);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=FULL");
    return db;
}

}  // namespace

StoreFigures RunSqlite(const BenchSetup& setup) {
    StoreFigures f;
    const std::string path = setup.folder + "diary.sqlite";
    {
        sqlite3* db = OpenDb(path);
        Exec(db, "CREATE TABLE diary(date TEXT NOT NULL, entry TEXT NOT NULL)");
        Exec(db, "BEGIN");
        {
            Stmt ins(db, "INSERT INTO diary(date, entry) VALUES(?, ?)");
            for (size_t i = 0; i < setup.keys.size(); ++i) {
                ins.Text(1, setup.keys[i]);
                ins.Text(2, setup.texts[i]);
                ins.Step();
                ins.Reset();
            }
        }
        Exec(db, "COMMIT");
        Exec(db, "CREATE INDEX diary_date ON diary(date)");
        sqlite3_close(db);
    }

    {
        std::vector<double> times;
        for (int i = 0; i < setup.openRounds; ++i) {
            auto t = Clock::now();
            sqlite3* opened = OpenDb(path);
            {
                // Opening is lazy in SQLite; the first statement reads the schema.
                Stmt first(opened, "SELECT rowid FROM diary WHERE date = ?");
                first.Text(1, setup.keys.front());
                first.Step();
            }
            times.push_back(MicrosSince(t));
            sqlite3_close(opened);
        }
        f.open = Median(times);
    }
    sqlite3* db = OpenDb(path);

    {
        Stmt seek(db, "SELECT rowid FROM diary WHERE date = ?");
        std::vector<double> times;
        int found = 0;
        for (const auto& key : setup.probeKeys) {
            auto t = Clock::now();
            seek.Text(1, key);
            found += seek.Step() == SQLITE_ROW;
            seek.Reset();
            times.push_back(MicrosSince(t));
        }
        if (found != int(setup.probeKeys.size())) throw std::runtime_error("sqlite: seek missed a key");
        f.seekMedian = Median(times);
    }

    auto updateRun = [&](const char* sync) {
        Exec(db, sync);
        Stmt upd(db, "UPDATE diary SET entry = ? WHERE date = ?");
        std::vector<double> times;
        for (int i = 0; i < setup.updateRounds; ++i) {
            const std::string& key = setup.probeKeys[size_t(i) % setup.probeKeys.size()];
            std::string text = setup.texts[size_t(i) % setup.texts.size()] + "x";
            auto t = Clock::now();
            upd.Text(1, text);
            upd.Text(2, key);
            upd.Step();
            upd.Reset();
            times.push_back(MicrosSince(t));
        }
        return Median(times);
    };
    f.updateSync = updateRun("PRAGMA synchronous=FULL");
    f.updateNoSync = updateRun("PRAGMA synchronous=OFF");
    Exec(db, "PRAGMA synchronous=FULL");

    {
        Stmt ins(db, "INSERT INTO diary(date, entry) VALUES(?, ?)");
        std::vector<double> times;
        for (size_t i = 0; i < setup.newDayKeys.size(); ++i) {
            auto t = Clock::now();
            ins.Text(1, setup.newDayKeys[i]);
            ins.Text(2, setup.texts[i]);
            ins.Step();
            ins.Reset();
            times.push_back(MicrosSince(t));
        }
        f.append = Median(times);
    }

    {
        Stmt walk(db, "SELECT entry FROM diary ORDER BY date");
        size_t bytes = 0;
        auto t = Clock::now();
        while (walk.Step() == SQLITE_ROW) bytes += size_t(sqlite3_column_bytes(walk.s, 0));
        f.walkMemos = MicrosSince(t);
        if (bytes == 0) throw std::runtime_error("sqlite: walk read nothing");
    }

    {
        auto t = Clock::now();
        Exec(db, "REINDEX diary_date");
        f.rebuild = MicrosSince(t);
    }

    {
        Exec(db, "BEGIN");
        Stmt del(db, "DELETE FROM diary WHERE date = ?");
        for (size_t i = 0; i < setup.keys.size(); i += size_t(setup.removeEvery)) {
            del.Text(1, setup.keys[i]);
            del.Step();
            del.Reset();
        }
        Exec(db, "COMMIT");
        Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
        auto t = Clock::now();
        Exec(db, "VACUUM");
        f.pack = MicrosSince(t);
    }
    sqlite3_close(db);

    {
        // A fresh database with every key, every n-th then deleted: VACUUM
        // and REINDEX are SQLite's pack and rebuild.
        const std::string fresh = setup.folder + "pack-rebuild.sqlite";
        sqlite3* p = OpenDb(fresh);
        Exec(p, "CREATE TABLE diary(date TEXT NOT NULL, entry TEXT NOT NULL)");
        Exec(p, "CREATE INDEX diary_date ON diary(date)");
        Exec(p, "BEGIN");
        {
            Stmt ins(p, "INSERT INTO diary(date, entry) VALUES(?, ?)");
            for (size_t i = 0; i < setup.keys.size(); ++i) {
                ins.Text(1, setup.keys[i]);
                ins.Text(2, setup.texts[i]);
                ins.Step();
                ins.Reset();
            }
            Stmt del(p, "DELETE FROM diary WHERE date = ?");
            for (size_t i = 0; i < setup.keys.size(); i += size_t(setup.removeForPackRebuild)) {
                del.Text(1, setup.keys[i]);
                del.Step();
                del.Reset();
            }
        }
        Exec(p, "COMMIT");
        Exec(p, "PRAGMA wal_checkpoint(TRUNCATE)");
        auto t = Clock::now();
        Exec(p, "VACUUM");
        Exec(p, "REINDEX diary_date");
        f.packRebuild = MicrosSince(t);
        sqlite3_close(p);
    }
    return f;
}

}  // namespace quill::bench
