// The walk over a real diary table in a temporary folder.

#include "app/entry_search/diary_search.h"

#include <gtest/gtest.h>

#include <fstream>

#include "storage/entry_text.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::D;
using test::SaveDay;

std::string Page(const std::string& words) {
    return StoredEntryText("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}\r\n\\pard\\plain\\f0\\fs16 " +
                           words + "\\par }\r\n");
}

class DiarySearchTest : public ::testing::Test {
protected:
    void SetUp() override { s_ = test::OpenDiary(dir_.path()); }
    void Put(Date day, const std::string& words) { SaveDay(*s_, day, Page(words)); }
    // The data set must stand on the record of the day the window shows.
    void ExpectOnDay(Date day) {
        ASSERT_FALSE(s_->DiaryTable.Eof()) << DateToKey(day);
        EXPECT_EQ(s_->DiaryTable.FieldText("DATE"), DateToKey(day));
        EXPECT_TRUE(s_->EntryExists);
    }
    TempFolder dir_;
    std::unique_ptr<DiaryStorage> s_;
};

TEST_F(DiarySearchTest, StepsThroughTheMatchesInDateOrder) {
    // Saved out of date order: the walk follows the dates.
    Put(D(2024, 3, 9), "Walked the Dog in the rain");
    Put(D(2023, 12, 31), "New year's eve, no pets");
    Put(D(2024, 1, 15), "the dogs barked all night");
    Put(D(2024, 2, 1), "a quiet day");
    Put(D(2025, 1, 1), "DOGGEDLY kept writing");
    DiarySearch search(*s_);
    EXPECT_FALSE(search.SearchFound());

    const Date shown = D(2024, 2, 1);
    s_->FindDateRecord(shown);
    SearchStep step = search.FindEntryContaining("dog", shown);
    EXPECT_TRUE(step.walked);
    EXPECT_TRUE(step.found);
    EXPECT_EQ(step.day, D(2024, 1, 15));
    EXPECT_EQ(step.message, "");
    EXPECT_TRUE(search.SearchFound());
    EXPECT_EQ(search.SearchText(), "dog");
    ExpectOnDay(D(2024, 1, 15));

    const Date expected[] = {D(2024, 3, 9), D(2025, 1, 1)};
    for (Date next : expected) {
        step = search.FindNextEntry(step.day);
        EXPECT_TRUE(step.found) << DateToKey(next);
        EXPECT_EQ(step.day, next);
        ExpectOnDay(next);
    }
    step = search.FindNextEntry(step.day);
    EXPECT_FALSE(step.found);
    EXPECT_EQ(step.message, "No more matches");
    EXPECT_EQ(step.day, D(2025, 1, 1)) << "the window shows the day it showed before";
    EXPECT_FALSE(search.SearchFound());
    ExpectOnDay(D(2025, 1, 1));
}

TEST_F(DiarySearchTest, NoMatchesLeavesTheShownDayCurrent) {
    Put(D(2024, 1, 1), "alpha");
    Put(D(2024, 1, 2), "beta");
    DiarySearch search(*s_);
    s_->FindDateRecord(D(2024, 1, 2));
    SearchStep step = search.FindEntryContaining("gamma", D(2024, 1, 2));
    EXPECT_TRUE(step.walked);
    EXPECT_FALSE(step.found);
    EXPECT_EQ(step.message, "No matches");
    EXPECT_EQ(step.day, D(2024, 1, 2));
    EXPECT_FALSE(search.SearchFound());
    ExpectOnDay(D(2024, 1, 2));
    // A save now goes to the day shown, not to the record the walk ended on.
    s_->SaveEntry(D(2024, 1, 2), Page("beta changed"));
    s_->FindDateRecord(D(2024, 1, 1));
    EXPECT_EQ(s_->CurrentEntryText(), Page("alpha"));

    // On a day without an entry the data set is at its end again.
    s_->FindDateRecord(D(2024, 6, 6));
    step = search.FindEntryContaining("gamma", D(2024, 6, 6));
    EXPECT_TRUE(s_->DiaryTable.Eof());
    EXPECT_FALSE(s_->EntryExists);
}

TEST_F(DiarySearchTest, AMatchInTheFirstEntryIsFoundWithoutMovingPastIt) {
    Put(D(2020, 5, 5), "needle here");
    Put(D(2020, 5, 6), "needle again");
    DiarySearch search(*s_);
    SearchStep step = search.FindEntryContaining("NEEDLE", D(2021, 1, 1));
    EXPECT_EQ(step.day, D(2020, 5, 5));
    ExpectOnDay(D(2020, 5, 5));
}

TEST_F(DiarySearchTest, AnEmptyTextChangesNothing) {
    Put(D(2024, 1, 1), "alpha");
    Put(D(2024, 1, 9), "alpha too");
    DiarySearch search(*s_);
    ASSERT_TRUE(search.FindEntryContaining("alpha", D(2024, 1, 5)).found);
    s_->FindDateRecord(D(2024, 1, 5));
    const SearchStep step = search.FindEntryContaining("", D(2024, 1, 5));
    EXPECT_FALSE(step.walked);
    EXPECT_EQ(step.message, "");
    EXPECT_EQ(step.day, D(2024, 1, 5));
    EXPECT_TRUE(search.SearchFound()) << "Find Next Entry stays enabled";
    EXPECT_EQ(search.SearchText(), "alpha");
    EXPECT_FALSE(s_->EntryExists);
    EXPECT_TRUE(s_->DiaryTable.Eof()) << "the data set was not moved";
}

TEST_F(DiarySearchTest, FindNextGoesOnFromTheDayShown) {
    Put(D(2024, 1, 1), "tea time");
    Put(D(2024, 1, 2), "coffee");
    Put(D(2024, 1, 3), "more tea");
    Put(D(2024, 1, 4), "tea again");
    DiarySearch search(*s_);
    ASSERT_EQ(search.FindEntryContaining("tea", D(2024, 1, 2)).day, D(2024, 1, 1));
    // The user moved on to 3 January (which itself matches): the next step
    // starts after it.
    s_->FindDateRecord(D(2024, 1, 3));
    SearchStep step = search.FindNextEntry(D(2024, 1, 3));
    EXPECT_EQ(step.day, D(2024, 1, 4));
    // A day without an entry has nothing after it.
    s_->FindDateRecord(D(2023, 6, 1));
    step = search.FindNextEntry(D(2023, 6, 1));
    EXPECT_FALSE(step.found);
    EXPECT_EQ(step.message, "No more matches");
    EXPECT_EQ(step.day, D(2023, 6, 1));
    EXPECT_FALSE(search.SearchFound());
    EXPECT_FALSE(s_->EntryExists);
}

TEST_F(DiarySearchTest, RemovedEntriesAreNotFound) {
    Put(D(2024, 1, 1), "secret plan");
    Put(D(2024, 1, 2), "nothing");
    SaveDay(*s_, D(2024, 1, 1), "");
    DiarySearch search(*s_);
    EXPECT_EQ(search.FindEntryContaining("secret", D(2024, 1, 2)).message, "No matches");
}

TEST_F(DiarySearchTest, TwoRecordsWithOneKeyDoNotTrapTheSteps) {
    Put(D(2024, 1, 1), "echo one");
    Put(D(2024, 1, 3), "echo three");
    // Damage: a second live record for 1 January.
    s_->DiaryTable.Append();
    s_->DiaryTable.SetFieldText("DATE", "20240101");
    s_->DiaryTable.SetFieldText("ENTRY", Page("echo twin"));
    s_->DiaryTable.Post();
    DiarySearch search(*s_);
    SearchStep step = search.FindEntryContaining("echo", D(2024, 1, 1));
    std::vector<Date> days{step.day};
    for (int i = 0; i < 6 && step.found; ++i) {
        step = search.FindNextEntry(step.day);
        if (step.found) days.push_back(step.day);
    }
    EXPECT_EQ(days, (std::vector<Date>{D(2024, 1, 1), D(2024, 1, 1), D(2024, 1, 3)}));
    EXPECT_EQ(step.message, "No more matches");
}

TEST_F(DiarySearchTest, AnUnreadableEntryIsPassedOverAndNamed) {
    Put(D(2024, 1, 1), "apple");
    Put(D(2024, 1, 2), "apple pie");
    Put(D(2024, 1, 3), "apple tart");
    s_.reset();
    // Record 2's memo pointer names a block far past the memo file's end.
    {
        std::fstream f(dir_.path() + "QUILLBK.DBF", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(97 + 19 + 9);
        f.write("    999999", 10);
    }
    s_ = test::OpenDiary(dir_.path());
    DiarySearch search(*s_);
    SearchStep step = search.FindEntryContaining("tart", D(2024, 1, 1));
    EXPECT_TRUE(step.found);
    EXPECT_EQ(step.day, D(2024, 1, 3));
    EXPECT_EQ(step.unreadable, std::vector<std::string>{"20240102"});
    EXPECT_EQ(search.AllMatchingDays("apple"), (std::vector<std::string>{"20240101", "20240103"}));
}

TEST_F(DiarySearchTest, AllMatchingDaysLeavesTheProgramsSearchAlone) {
    Put(D(2024, 2, 2), "kiwi");
    Put(D(2024, 1, 1), "Kiwi and lime");
    Put(D(2024, 3, 3), "lime");
    DiarySearch search(*s_);
    ASSERT_TRUE(search.FindEntryContaining("lime", D(2024, 1, 1)).found);
    EXPECT_EQ(search.AllMatchingDays("KIWI"), (std::vector<std::string>{"20240101", "20240202"}));
    EXPECT_EQ(search.SearchText(), "lime");
    EXPECT_TRUE(search.SearchFound());
    EXPECT_EQ(search.FindNextEntry(D(2024, 1, 1)).day, D(2024, 3, 3));
}

}  // namespace
}  // namespace quill
