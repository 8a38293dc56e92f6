#include "app/locale_dates.h"

#include <gtest/gtest.h>

#include "app/printer_list.h"

namespace quill {
namespace {

TEST(LocaleDates, QtDateFormatsBecomeClassicPatterns) {
    struct Case {
        const char* qt;
        const char* classic;
    } cases[] = {
        {"dddd, MMMM d, yyyy", "dddd, mmmm d, yyyy"},
        {"dddd, d. MMMM yyyy", "dddd, d. mmmm yyyy"},
        {"dddd d 'de' MMMM 'de' yyyy", "dddd d 'de' mmmm 'de' yyyy"},
        {"d MMM yy", "d mmm yy"},
        {"yyyy'年'M'月'd'日'dddd", "yyyy'年'm'月'd'日'dddd"},
        {"dd/MM/yyyy", "dd'/'mm'/'yyyy"},
        {"d 'o''clock' MMMM", "d \"o'clock\" mmmm"},
    };
    for (const Case& c : cases) EXPECT_EQ(ConvertQtDateFormat(c.qt), c.classic) << c.qt;
}

TEST(LocaleDates, LocaleFillsNamesFormatAndSeparator) {
    DateSettings s;
    FillDateSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany), s);
    EXPECT_EQ(s.dateSeparator, '.');
    EXPECT_EQ(s.longMonthNames[2], "März");
    EXPECT_EQ(s.longDayNames[0], "Sonntag");
    EXPECT_EQ(FormatDate(Date{2024, 3, 3}, "dddddd", s), "Sonntag, 3. März 2024");
    EXPECT_EQ(s.shortDateFormat, "mm/dd/yyyy");  // left alone

    FillDateSettingsFromLocale(QLocale(QLocale::English, QLocale::UnitedStates), s);
    EXPECT_EQ(s.dateSeparator, '/');
    EXPECT_EQ(FormatDate(Date{2026, 12, 8}, "dddddd", s), "Tuesday, December 8, 2026");
}

TEST(PrinterList, ALoneRenderingDeviceCountsAsNoPrinter) {
    EXPECT_TRUE(FilterPrinterList({"Microsoft XPS Document Rendering"}).isEmpty());
    EXPECT_EQ(FilterPrinterList({"rendering engine"}).size(), 1);  // letter case as written
    EXPECT_EQ(FilterPrinterList({"Rendering", "Laser"}).size(), 2);
    EXPECT_EQ(FilterPrinterList({"Laser"}).size(), 1);
    EXPECT_TRUE(FilterPrinterList({}).isEmpty());
}

}  // namespace
}  // namespace quill
