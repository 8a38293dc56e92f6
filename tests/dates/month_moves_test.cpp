#include "dates/month_moves.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(MonthMoves, MonthKeepsTheDayOrTakesTheLastOne) {
    const struct {
        Date from;
        int months;
        Date to;
    } cases[] = {
        {{2024, 1, 31}, 1, {2024, 2, 29}},   {{2023, 1, 31}, 1, {2023, 2, 28}},
        {{2024, 3, 31}, -1, {2024, 2, 29}},  {{2024, 5, 31}, 1, {2024, 6, 30}},
        {{2024, 12, 15}, 1, {2025, 1, 15}},  {{2025, 1, 15}, -1, {2024, 12, 15}},
        {{2024, 2, 29}, 12, {2025, 2, 28}},  {{2024, 1, 30}, 1, {2024, 2, 29}},
        {{2024, 6, 30}, 1, {2024, 7, 30}},   {{2000, 1, 31}, 1, {2000, 2, 29}},
        {{1900, 1, 31}, 1, {1900, 2, 28}},   {{2024, 3, 15}, -27, {2021, 12, 15}},
        {{1, 1, 10}, -1, {1, 1, 10}},        {{9999, 12, 10}, 1, {9999, 12, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AddMonthsKeepingDay(c.from, c.months), c.to)
            << DateToKey(c.from) << " " << c.months << " months";
}

TEST(MonthMoves, YearTurns29FebruaryInto28First) {
    const struct {
        Date from;
        int years;
        Date to;
    } cases[] = {
        {{2024, 2, 29}, 1, {2025, 2, 28}},   {{2024, 2, 29}, -1, {2023, 2, 28}},
        {{2024, 2, 29}, 4, {2028, 2, 28}},   {{2024, 2, 28}, 1, {2025, 2, 28}},
        {{2023, 3, 1}, 1, {2024, 3, 1}},     {{2024, 12, 31}, -1, {2023, 12, 31}},
        {{1, 5, 5}, -1, {1, 5, 5}},          {{9999, 5, 5}, 1, {9999, 5, 5}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AddYearsKeepingDay(c.from, c.years), c.to) << DateToKey(c.from) << " " << c.years << " years";
}

}  // namespace
}  // namespace quill
