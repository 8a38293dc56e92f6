// The month lookup behind the date selector's marks, on a real table.

#include "storage/days_with_entries.h"

#include <gtest/gtest.h>

#include "storage/entry_text.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::D;
using test::EntryFor;
using test::SaveDay;

using Days = std::vector<std::string>;

class DaysWithEntries : public ::testing::Test {
protected:
    void SetUp() override { s_ = test::OpenDiary(dir_.path()); }
    Days Lookup(int year, int month) {
        Days days{"stale"};
        EXPECT_TRUE(GetDaysWithEntries(*s_, days, year, month));
        return days;
    }
    TempFolder dir_;
    std::unique_ptr<DiaryStorage> s_;
};

TEST_F(DaysWithEntries, NamesTheMonthsDaysWithoutLeadingZeros) {
    for (Date d : {D(2024, 2, 1), D(2024, 2, 9), D(2024, 2, 10), D(2024, 2, 29), D(2024, 1, 31), D(2024, 3, 1),
                   D(2023, 2, 28)})
        SaveDay(*s_, d, EntryFor(d));
    EXPECT_EQ(Lookup(2024, 2), (Days{"1", "9", "10", "29"}));
    EXPECT_EQ(Lookup(2024, 1), (Days{"31"}));
    EXPECT_EQ(Lookup(2023, 2), (Days{"28"}));
    EXPECT_EQ(Lookup(2024, 4), Days{});
    // Every day of a full month, across the month's whole length.
    for (int day = 1; day <= 31; ++day) SaveDay(*s_, D(2024, 12, day), EntryFor(D(2024, 12, day)));
    EXPECT_EQ(Lookup(2024, 12).size(), 31u);
    EXPECT_EQ(Lookup(2024, 12).back(), "31");
}

TEST_F(DaysWithEntries, ARemovedEntryIsNotNamed) {
    SaveDay(*s_, D(2024, 5, 3), EntryFor(D(2024, 5, 3)));
    SaveDay(*s_, D(2024, 5, 4), EntryFor(D(2024, 5, 4)));
    SaveDay(*s_, D(2024, 5, 3), "");  // the page became empty
    EXPECT_EQ(Lookup(2024, 5), (Days{"4"}));
}

TEST_F(DaysWithEntries, TheDataSetStaysOnTheDayShown) {
    for (int day = 1; day <= 5; ++day) SaveDay(*s_, D(2024, 7, day), EntryFor(D(2024, 7, day)));
    SaveDay(*s_, D(2024, 8, 2), EntryFor(D(2024, 8, 2)));
    // The window shows 3 July; the lookups walk other months.
    ASSERT_TRUE(s_->FindDateRecord(D(2024, 7, 3)));
    const long shown = s_->DiaryTable.RecNo();
    Lookup(2024, 8);
    Lookup(2023, 1);
    EXPECT_FALSE(s_->DiaryTable.Eof());
    EXPECT_EQ(s_->DiaryTable.RecNo(), shown);
    EXPECT_EQ(s_->DiaryTable.FieldText("DATE"), "20240703");
    // A save right after goes to 3 July and nowhere else.
    s_->UpdateCurrentEntry(D(2024, 7, 3), StoredEntryText("{\\rtf1 changed\\par }"));
    ASSERT_TRUE(s_->FindDateRecord(D(2024, 8, 2)));
    EXPECT_EQ(s_->CurrentEntryText(), EntryFor(D(2024, 8, 2)));
    ASSERT_TRUE(s_->FindDateRecord(D(2024, 7, 3)));
    EXPECT_NE(s_->CurrentEntryText().find("changed"), std::string::npos);

    // A day without an entry leaves the data set at its end, and so does
    // the lookup: the save then appends.
    EXPECT_FALSE(s_->FindDateRecord(D(2024, 7, 20)));
    Lookup(2024, 7);
    EXPECT_TRUE(s_->DiaryTable.Eof());
}

TEST_F(DaysWithEntries, EmptyTableAndImpossibleMonths) {
    EXPECT_EQ(Lookup(2024, 1), Days{});
    Days days{"x"};
    EXPECT_TRUE(GetDaysWithEntries(*s_, days, 2024, 13));
    EXPECT_TRUE(days.empty());
}

}  // namespace
}  // namespace quill
