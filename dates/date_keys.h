#pragma once
// Calendar days, the 8-character "yyyymmdd" keys that identify a day's entry,
// and the calendar arithmetic every other layer uses.

#include <compare>
#include <string>
#include <string_view>

namespace quill {

struct Date {
    int year = 1;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    auto operator<=>(const Date&) const = default;
};

bool YearIsLeap(int year);
int DaysInMonthOf(int year, int month);  // 0 for a month outside 1-12
bool IsValidDate(int year, int month, int day);

Date Today();  // the local calendar day
Date AddDays(Date date, int days);
int DayOfWeek(Date date);  // 0 = Sunday ... 6 = Saturday

std::string DateToKey(Date date);  // "yyyymmdd"
// Key back to a date; an empty, short, non-numeric or impossible key gives
// today, and nothing is reported.
Date STOD(std::string_view key);
// Like STOD but reports failure instead of falling back to today.
bool KeyToDate(std::string_view key, Date& out);

std::string TwoDigits(int number);  // "%2.2d"
// The prefix of the keys of one month: the year in decimal without leading
// zeros followed by the two-digit month.
std::string MonthKeyPrefix(int year, int month);

}  // namespace quill
