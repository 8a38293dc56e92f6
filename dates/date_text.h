#pragma once
// Date texts shown to the user. The formats follow the classic pattern
// letters (d, dd, ddd, dddd, m, mm, mmm, mmmm, yy, yyyy, "/" for the date
// separator, quoted literals). The program fills the settings from the
// system locale at start; the defaults are US English.

#include <array>
#include <string>

#include "dates/date_keys.h"

namespace quill {

struct DateSettings {
    std::string longDateFormat = "dddd, mmmm d, yyyy";
    std::string shortDateFormat = "mm/dd/yyyy";
    char dateSeparator = '/';
    std::array<std::string, 12> longMonthNames{"January", "February", "March",     "April",
                                               "May",     "June",     "July",      "August",
                                               "September", "October", "November", "December"};
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
};

// The process-wide settings (one thread uses them).
DateSettings& CurrentDateSettings();

// Formats with an explicit pattern; "ddddd" and "dddddd" expand to the short
// and long date formats of the settings.
std::string FormatDate(Date date, const std::string& pattern,
                       const DateSettings& settings = CurrentDateSettings());
std::string LongDateText(Date date);   // pattern "dddddd"
std::string ShortDateText(Date date);  // pattern "ddddd"

}  // namespace quill
