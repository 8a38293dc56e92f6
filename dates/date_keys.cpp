#include "dates/date_keys.h"

#include <cstdio>
#include <ctime>

namespace quill {

bool YearIsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonthOf(int year, int month) {
    static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && YearIsLeap(year)) return 29;
    return kLengths[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonthOf(year, month);
}

Date Today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

namespace {

// Days since 0001-01-01 in the proleptic Gregorian calendar.
long DayNumber(Date d) {
    long y = d.year - 1;
    long n = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < d.month; ++m) n += DaysInMonthOf(d.year, m);
    return n + d.day - 1;
}

Date FromDayNumber(long n) {
    if (n < 0) return Date{1, 1, 1};
    // 146097 days in 400 years
    long y400 = n / 146097;
    long rest = n % 146097;
    int year = static_cast<int>(y400 * 400) + 1;
    while (true) {
        long len = YearIsLeap(year) ? 366 : 365;
        if (rest < len) break;
        rest -= len;
        ++year;
    }
    int month = 1;
    while (rest >= DaysInMonthOf(year, month)) {
        rest -= DaysInMonthOf(year, month);
        ++month;
    }
    if (year > 9999) return Date{9999, 12, 31};
    return Date{year, month, static_cast<int>(rest) + 1};
}

bool ParseDecimal(std::string_view part, int& out) {
    if (part.empty()) return false;
    int value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

}  // namespace

Date AddDays(Date date, int days) { return FromDayNumber(DayNumber(date) + days); }

int DayOfWeek(Date date) {
    // 0001-01-01 was a Monday.
    return static_cast<int>((DayNumber(date) + 1) % 7);
}

std::string DateToKey(Date date) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", date.year, date.month, date.day);
    return std::string(buf, 8);
}

bool KeyToDate(std::string_view key, Date& out) {
    auto part = [&](size_t from, size_t len) {
        if (from >= key.size()) return std::string_view{};
        return key.substr(from, len);
    };
    int year = 0, month = 0, day = 0;
    if (!ParseDecimal(part(0, 4), year) || !ParseDecimal(part(4, 2), month) ||
        !ParseDecimal(part(6, 2), day))
        return false;
    if (!IsValidDate(year, month, day)) return false;
    out = Date{year, month, day};
    return true;
}

Date STOD(std::string_view key) {
    Date result = Today();
    KeyToDate(key, result);
    return result;
}

std::string TwoDigits(int number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%2.2d", number);
    return buf;
}

std::string MonthKeyPrefix(int year, int month) {
    return std::to_string(year) + TwoDigits(month);
}

}  // namespace quill
