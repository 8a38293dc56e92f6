#include "dates/month_moves.h"

#include <algorithm>

namespace quill {

Date AddMonthsKeepingDay(Date date, int months) {
    const long index = long(date.year) * 12 + (date.month - 1) + months;
    const long year = index / 12;
    const int month = int(index % 12) + 1;
    if (index < 0 || year < 1 || year > 9999) return date;
    return Date{int(year), month, std::min(date.day, DaysInMonthOf(int(year), month))};
}

Date AddYearsKeepingDay(Date date, int years) {
    const long year = long(date.year) + years;
    if (year < 1 || year > 9999) return date;
    if (date.month == 2 && date.day == 29) date.day = 28;
    date.year = int(year);
    return date;
}

}  // namespace quill
