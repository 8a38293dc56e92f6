// A first start that was killed half-way must not block the next one.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>

#include "storage/diary_storage.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

namespace fs = std::filesystem;
using test::D;

// The files a new diary starts with, then only those the kill left.
void LeaveAfterKill(const std::string& folder, std::initializer_list<const char*> left) {
    {
        DiaryStorage s(folder);
        ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
    }
    for (const char* name : {kDiaryTableName, kDiaryMemoName, kDiaryIndexName})
        if (std::find_if(left.begin(), left.end(), [&](const char* k) { return std::string(k) == name; }) == left.end())
            fs::remove(folder + name);
}

TEST(InterruptedFirstStart, AnUntouchedNewMemoFileAloneIsAFirstStart) {
    TempFolder dir;
    LeaveAfterKill(dir.path(), {kDiaryMemoName});
    ASSERT_EQ(fs::file_size(dir.path() + kDiaryMemoName), 512u);
    DiaryStorage s(dir.path());
    ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
    test::SaveDay(s, D(2024, 1, 1), test::EntryFor(D(2024, 1, 1)));
    ASSERT_TRUE(s.FindDateRecord(D(2024, 1, 1)));
    EXPECT_EQ(s.CurrentEntryText(), test::EntryFor(D(2024, 1, 1)));
}

TEST(InterruptedFirstStart, AMemoFileThatMayHoldTextStillStopsTheOpen) {
    const struct {
        const char* why;
        std::function<void(const std::string& memo)> change;
    } cases[] = {
        {"text after the header", [](const std::string& memo) { std::ofstream(memo, std::ios::app) << "entry text"; }},
        {"next free block moved on",
         [](const std::string& memo) {
             std::fstream f(memo, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(3);
             f.put(9);
         }},
        {"a byte set inside the header",
         [](const std::string& memo) {
             std::fstream f(memo, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(300);
             f.put('x');
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder dir;
        LeaveAfterKill(dir.path(), {kDiaryMemoName});
        c.change(dir.path() + kDiaryMemoName);
        const auto size = fs::file_size(dir.path() + kDiaryMemoName);
        DiaryStorage s(dir.path());
        EXPECT_FALSE(s.OpenDiaryFile());
        EXPECT_FALSE(fs::exists(dir.path() + kDiaryTableName));
        EXPECT_EQ(fs::file_size(dir.path() + kDiaryMemoName), size);
    }
    // Beside an index the table was there once: damage, whatever the memo.
    TempFolder dir;
    LeaveAfterKill(dir.path(), {kDiaryMemoName, kDiaryIndexName});
    DiaryStorage s(dir.path());
    EXPECT_FALSE(s.OpenDiaryFile());
    EXPECT_FALSE(fs::exists(dir.path() + kDiaryTableName));
}

}  // namespace
}  // namespace quill
