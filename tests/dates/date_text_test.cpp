#include "dates/date_text.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(DateText, PatternsExpand) {
    DateSettings st;
    Date d{2024, 1, 5};
    struct Case {
        const char* pattern;
        const char* text;
    } cases[] = {
        {"yyyymmdd", "20240105"},  {"ddddd", "01/05/2024"},
        {"dddddd", "Friday, January 5, 2024"},
        {"ddd d mmm yy", "Fri 5 Jan 24"}, {"'day' d", "day 5"}, {"m/d", "1/5"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDate(d, c.pattern, st), c.text) << c.pattern;
}

TEST(DateText, ShortTextUsesTheSeparatorAndLongTextTheUsersFormat) {
    DateSettings saved = CurrentDateSettings();
    CurrentDateSettings().dateSeparator = '.';
    CurrentDateSettings().longDateFormat = "d. mmmm yyyy";
    EXPECT_EQ(ShortDateText({2024, 12, 24}), "12.24.2024");
    EXPECT_EQ(LongDateText({2024, 12, 24}), "24. December 2024");
    CurrentDateSettings() = saved;
}

TEST(DateText, LongFormatThatNamesItselfDoesNotRecurse) {
    DateSettings st;
    st.longDateFormat = "dddddd";
    st.shortDateFormat = "ddddd";
    EXPECT_NO_THROW(FormatDate({2024, 1, 5}, "dddddd", st));
}

}  // namespace
}  // namespace quill
