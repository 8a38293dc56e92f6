#pragma once
// Fills the date texts' settings from the system locale: the long date
// format in the classic pattern letters, the month and day names and the
// date separator.

#include <QLocale>
#include <QString>
#include <string>

#include "dates/date_text.h"

namespace quill {

// Qt's date format ("dddd, MMMM d, yyyy") in the d/m/y pattern letters
// ("dddd, mmmm d, yyyy"); literal text is kept in quotes.
std::string ConvertQtDateFormat(const QString& qtFormat);

// The first separator between the fields of the locale's short date format,
// "/" when there is none.
char DateSeparatorOf(const QLocale& locale);

// Long date format, names and separator from the locale; the short date
// format is left as it is.
void FillDateSettingsFromLocale(const QLocale& locale, DateSettings& settings);

}  // namespace quill
