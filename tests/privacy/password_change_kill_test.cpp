// A password change killed at any instant, with the stored value of the
// preferences and a backup: the diary afterwards passes the gate with the
// old password or with the new one and reads every entry with it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "privacy/password_setup.h"
#include "storage/diary_backups.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill {
namespace {

namespace fs = std::filesystem;

const std::vector<std::pair<Date, std::string>> kDays = {
    {Date{2021, 3, 1}, "{\\rtf1 Tapir}"}, {Date{2021, 3, 2}, "{\\rtf1 Urchin}"},
    {Date{2021, 3, 3}, "{\\rtf1 Vicuna}"}, {Date{2021, 3, 4}, "{\\rtf1 Wombat}"}};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The stored value's file, replaced atomically as the preferences are.
void WriteStored(const std::string& path, const std::string& value) {
    std::ofstream(path + ".new", std::ios::binary) << value;
    fs::rename(path + ".new", path);
}

// The child: changes OLD to NEW and dies at one point.
[[noreturn]] void ChangeAndDie(const std::string& folder, const std::string& oldPw, const std::string& newPw,
                               int write, const std::string& step) {
    xb::xb_SetPassword(oldPw);
    DiaryStorage s(folder);
    s.DailyBackups = false;
    if (!s.OpenDiaryFile()) _exit(3);
    int count = 0;
    xb::xb_SetWriteFaultHook([&](const std::string&, std::size_t) {
        if (++count == write) _exit(0);
        return 0;
    });
    xb::xb_SetRekeyStepHook([&](const std::string& name) {
        if (name == step) _exit(0);
    });
    PasswordChange change;
    change.storage = &s;
    change.writeStoredPassword = [&](const std::string& value) {
        if (step == "before stored") _exit(0);
        WriteStored(folder + "stored", value);
        if (step == "after stored") _exit(0);
    };
    try {
        ProcessPassword(change, oldPw, newPw);
    } catch (...) {
        _exit(4);
    }
    _exit(1);
}

// Whether PASSWORD passes the gate and reads every entry.
bool OpensWith(const std::string& folder, const std::string& password) {
    xb::xb_SetPassword("");
    DiaryStorage s(folder);
    s.DailyBackups = false;
    if (!s.OpenDiaryFile()) return false;
    if (!GateOpens(s, Slurp(folder + "stored"), password)) return false;
    s.UsePassword(password);
    for (const auto& [day, text] : kDays) {
        try {
            if (!s.FindDateRecord(day) || s.CurrentEntryText() != text) return false;
        } catch (...) {
            return false;
        }
    }
    return true;
}

TEST(PasswordChangeKill, EveryInstantLeavesTheOldOrTheNewPassword) {
    struct Change {
        const char* from;
        const char* to;
    } changes[] = {{"", "NEW PW"}, {"OLD PW", "NEW PW"}, {"OLD PW", ""}};
    std::vector<std::pair<int, std::string>> points;
    for (const char* step : {"staged", "marked", "memo", "table", "key", "before stored", "after stored"})
        points.push_back({0, step});
    for (int w = 1; w <= 36; w += 3) points.push_back({w, ""});

    for (const Change& c : changes) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        char tmpl[] = "/tmp/quill-kill-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        const std::string clean = std::string(tmpl) + "/";
        {
            xb::xb_SetPassword("");
            DiaryStorage s(clean);
            ASSERT_TRUE(s.OpenDiaryFile());
            s.TodayForBackups = [] { return Date{2021, 4, 1}; };
            for (const auto& [day, text] : kDays) {
                s.FindDateRecord(day);
                s.SaveEntry(day, text);
            }
            if (*c.from) s.ChangePassword(c.from);
            s.DiaryTable.Close();
            s.DiaryEngine.SetPassword("");
        }
        WriteStored(clean + "stored", StoredValueFor(c.from));
        ASSERT_FALSE(ListBackups(clean).empty());
        ASSERT_TRUE(OpensWith(clean, c.from));

        int sawOld = 0, sawNew = 0;
        const std::string work = std::string(tmpl) + "-work/";
        for (const auto& [write, step] : points) {
            SCOPED_TRACE("write " + std::to_string(write) + " step " + step);
            fs::remove_all(work);
            fs::copy(clean, work, fs::copy_options::recursive);
            const pid_t child = fork();
            if (child == 0) ChangeAndDie(work, c.from, c.to, write, step);
            int status = 0;
            waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            ASSERT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1) << WEXITSTATUS(status);
            if (OpensWith(work, c.from)) {
                ++sawOld;
            } else {
                EXPECT_TRUE(OpensWith(work, c.to)) << "neither password opens the diary";
                ++sawNew;
            }
        }
        EXPECT_GT(sawOld, 0);
        EXPECT_GT(sawNew, 0);
        fs::remove_all(work);
        fs::remove_all(clean);
    }
}

}  // namespace
}  // namespace quill
