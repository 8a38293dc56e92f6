#include "dates/date_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace quill {
namespace {

TEST(DateKeys, KeyIsZeroPaddedAndConvertsBack) {
    struct Case {
        Date date;
        const char* key;
    } cases[] = {
        {{2024, 1, 5}, "20240105"}, {{2024, 2, 29}, "20240229"}, {{1999, 12, 31}, "19991231"},
        {{1, 1, 1}, "00010101"},    {{9999, 12, 31}, "99991231"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateToKey(c.date), c.key);
        EXPECT_EQ(STOD(c.key), c.date) << c.key;
    }
}

TEST(DateKeys, BadKeysGiveToday) {
    const char* bad[] = {"20230229", "20241301", "2024010", "", "abcdefgh", "2024-1-5",
                         "00000101", "20240100", "20240132", "2024 105"};
    for (const char* key : bad) {
        Date before = Today();
        Date got = STOD(key);
        Date after = Today();
        EXPECT_TRUE(got == before || got == after) << "key '" << key << "'";
        Date unused;
        EXPECT_FALSE(KeyToDate(key, unused)) << key;
    }
}

TEST(DateKeys, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(YearIsLeap(2000));
    EXPECT_TRUE(YearIsLeap(2024));
    EXPECT_FALSE(YearIsLeap(1900));
    EXPECT_FALSE(YearIsLeap(2023));
    EXPECT_EQ(DaysInMonthOf(2000, 2), 29);
    EXPECT_EQ(DaysInMonthOf(2024, 2), 29);
    EXPECT_EQ(DaysInMonthOf(1900, 2), 28);
    EXPECT_EQ(DaysInMonthOf(2023, 2), 28);
    const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(DaysInMonthOf(2023, m), lengths[m - 1]);
    EXPECT_EQ(DaysInMonthOf(2023, 0), 0);
    EXPECT_EQ(DaysInMonthOf(2023, 13), 0);
}

TEST(DateKeys, KeysSortInDateOrder) {
    std::vector<Date> days;
    for (Date d{1999, 12, 25}; d < Date{2000, 3, 5}; d = AddDays(d, 1)) days.push_back(d);
    std::vector<std::string> keys;
    for (auto d : days) keys.push_back(DateToKey(d));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_LT(DateToKey({1999, 12, 31}), DateToKey({2000, 1, 1}));
}

TEST(DateKeys, DayArithmeticCrossesMonthsYearsAndLeapDays) {
    struct Case {
        Date from;
        int days;
        Date to;
    } cases[] = {
        {{2024, 2, 28}, 1, {2024, 2, 29}}, {{2024, 2, 29}, 1, {2024, 3, 1}},
        {{2023, 2, 28}, 1, {2023, 3, 1}},  {{1999, 12, 31}, 1, {2000, 1, 1}},
        {{2000, 1, 1}, -1, {1999, 12, 31}}, {{2024, 3, 1}, -1, {2024, 2, 29}},
        {{1900, 3, 1}, -1, {1900, 2, 28}}, {{2024, 1, 1}, 366, {2025, 1, 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(AddDays(c.from, c.days), c.to);
    EXPECT_EQ(DayOfWeek({2024, 1, 5}), 5);   // a Friday
    EXPECT_EQ(DayOfWeek({2000, 1, 1}), 6);   // a Saturday
}

TEST(DateKeys, TwoDigitNumbersAndMonthPrefixes) {
    EXPECT_EQ(TwoDigits(7), "07");
    EXPECT_EQ(TwoDigits(31), "31");
    EXPECT_EQ(TwoDigits(123), "123");
    EXPECT_EQ(MonthKeyPrefix(2024, 2) + TwoDigits(29), "20240229");
    EXPECT_EQ(MonthKeyPrefix(999, 3), "99903");  // no leading zeros below year 1000
}

}  // namespace
}  // namespace quill
