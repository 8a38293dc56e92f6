#pragma once
// Which days of a month have an entry, for the marks of the date selector.

#include <string>
#include <vector>

#include "storage/diary_storage.h"

namespace quill {

// Empties DAYS and fills it with the day numbers ("1" to "31", no leading
// zero) of YEAR-MONTH whose key a seek finds in date order. The data set
// ends on the record it stood on before (or at its end, as before), so a
// save that follows still writes to the day the window shows. Returns false
// when the table could not be read; DAYS then holds the days found so far.
bool GetDaysWithEntries(DiaryStorage& storage, std::vector<std::string>& days, int year, int month);

}  // namespace quill
