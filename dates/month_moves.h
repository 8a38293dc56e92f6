#pragma once
// Moving a day by whole months or years, as the date selector's buttons do.

#include "dates/date_keys.h"

namespace quill {

// One or more months on (negative: back), keeping the day of the month;
// a day past the end of the target month becomes its last day (31 January
// plus one month is 28 or 29 February). A result outside years 1-9999
// leaves the date as it was.
Date AddMonthsKeepingDay(Date date, int months);

// Years on (negative: back). 29 February becomes 28 February first, so the
// day never spills into March. A result outside years 1-9999 leaves the date
// as it was.
Date AddYearsKeepingDay(Date date, int years);

}  // namespace quill
