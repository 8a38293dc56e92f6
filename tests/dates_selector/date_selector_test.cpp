// The "Select Date" dialog, driven by real mouse clicks and keys.

#include "dates/selector/date_selector.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dates/date_text.h"
#include "storage/days_with_entries.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::D;

struct Month {
    int year, month;
    bool operator==(const Month&) const = default;
};

// A dialog over a fixed set of days with entries, recording every lookup.
class Selector {
public:
    explicit Selector(Date initial, std::vector<Date> withEntries = {}) : entries_(std::move(withEntries)) {
        dlg.InitialDate = initial;
        dlg.Lookup = [this](std::vector<std::string>& days, int year, int month) {
            lookups.push_back({year, month});
            for (Date d : entries_)
                if (d.year == year && d.month == month) days.push_back(std::to_string(d.day));
        };
        dlg.show();
    }
    QPoint CentreOfDay(int day) {
        int col = 0, row = 0;
        EXPECT_TRUE(dlg.Calendar->CellOfDay(day, col, row)) << day;
        return dlg.Calendar->CellRect(col, row).center();
    }
    void ClickDay(int day) { QTest::mouseClick(dlg.Calendar, Qt::LeftButton, {}, CentreOfDay(day)); }
    void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    TDateSelector dlg;
    std::vector<Month> lookups;

private:
    std::vector<Date> entries_;
};

QString Long(Date d) { return QString::fromStdString(LongDateText(d)); }

TEST(DateSelector, OpensOnTheDateWithItsMonthsMarks) {
    Selector s(D(2024, 3, 14), {D(2024, 3, 1), D(2024, 3, 14), D(2024, 3, 31), D(2024, 4, 1)});
    EXPECT_EQ(s.dlg.windowTitle(), "Select Date");
    EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 3, 14));
    EXPECT_EQ(s.dlg.ShowDatePanel->Caption(), Long(D(2024, 3, 14)));
    EXPECT_EQ(s.lookups, (std::vector<Month>{{2024, 3}}));
    EXPECT_EQ(s.dlg.MarkedDays(), (std::vector<std::string>{"1", "14", "31"}));
    // A second activation (the window shown again) looks nothing up again.
    s.dlg.hide();
    s.dlg.show();
    EXPECT_EQ(s.lookups.size(), 1u);
}

TEST(DateSelector, WeeksStartOnSundayAndCellsOutsideTheMonthAreBlank) {
    const struct {
        Date date;
        int firstColumn;  // column of the first of the month
    } cases[] = {
        {D(2024, 9, 10), 0},  // 1 September 2024 was a Sunday
        {D(2024, 3, 10), 5},  // a Friday
        {D(2025, 2, 10), 6},  // a Saturday: 28 days spread over five rows
    };
    for (const auto& c : cases) {
        Selector s(c.date);
        TCalendarWithGlyphs* cal = s.dlg.Calendar;
        EXPECT_EQ(cal->CellText(0, 0), "Sun");
        EXPECT_EQ(cal->CellText(6, 0), "Sat");
        EXPECT_EQ(cal->CellText(c.firstColumn, 1), "1") << DateToKey(c.date);
        if (c.firstColumn > 0) {
            EXPECT_EQ(cal->CellText(c.firstColumn - 1, 1), "");
        }
        const int length = DaysInMonthOf(c.date.year, c.date.month);
        int col = 0, row = 0;
        ASSERT_TRUE(cal->CellOfDay(length, col, row));
        EXPECT_EQ(cal->CellText(col, row), QString::number(length));
        EXPECT_EQ(cal->CellText((col + 1) % 7, col == 6 ? row + 1 : row), "");
        // Clicking a blank cell chooses nothing.
        if (c.firstColumn > 0) {
            QTest::mouseClick(cal, Qt::LeftButton, {}, cal->CellRect(0, 1).center());
            EXPECT_EQ(s.dlg.ChosenDate(), c.date);
        }
    }
}

TEST(DateSelector, TheGridCanStartItsWeeksOnAnotherDay) {
    TCalendarWithGlyphs cal;
    cal.SetCalendarDate(D(2024, 9, 10));  // 1 September 2024 was a Sunday
    cal.SetStartOfWeek(1);
    EXPECT_EQ(cal.CellText(0, 0), "Mon");
    EXPECT_EQ(cal.CellText(6, 0), "Sun");
    EXPECT_EQ(cal.CellText(6, 1), "1");
    EXPECT_EQ(cal.CellText(0, 2), "2");
    int col = 0, row = 0;
    ASSERT_TRUE(cal.CellOfDay(30, col, row));
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 6);  // a month can need all six week rows
}

TEST(DateSelector, MarkedDaysCarryTheMarkImage) {
    Selector s(D(2024, 3, 20), {D(2024, 3, 5), D(2024, 3, 6)});
    const QImage grid = s.dlg.Calendar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage mark = s.dlg.Image1.convertToFormat(QImage::Format_RGB32);
    auto cellOf = [&](int day) {
        int col = 0, row = 0;
        s.dlg.Calendar->CellOfDay(day, col, row);
        return s.dlg.Calendar->CellRect(col, row);
    };
    // Every non-white pixel of the mark lands 5 right of and 2 below the
    // cell's corner; white pixels leave the cell's own background.
    for (int day : {5, 6}) {
        const QPoint at = cellOf(day).topLeft() + QPoint(5, 2);
        int drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QColor m = mark.pixelColor(x, y);
                if (m == QColor(Qt::white)) {
                    EXPECT_EQ(grid.pixelColor(at + QPoint(x, y)), grid.pixelColor(cellOf(day).topLeft() + QPoint(1, 1)))
                        << "white is transparent at " << x << "," << y;
                    continue;
                }
                EXPECT_EQ(grid.pixelColor(at + QPoint(x, y)), m) << "day " << day << " at " << x << "," << y;
                ++drawn;
            }
        EXPECT_GT(drawn, 40) << "the mark is a visible picture";
    }
    // An unmarked day shows no mark pixels.
    const QPoint at = cellOf(7).topLeft() + QPoint(5, 2);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (mark.pixelColor(x, y) != QColor(Qt::white)) {
                EXPECT_NE(grid.pixelColor(at + QPoint(x, y)), mark.pixelColor(x, y)) << x << "," << y;
            }
}

TEST(DateSelector, MonthAndYearButtonsKeepTheDayWhereTheMonthAllows) {
    const struct {
        Date from;
        const char* button;
        Date to;
    } cases[] = {
        {D(2024, 1, 31), "NextMonth", D(2024, 2, 29)}, {D(2023, 1, 31), "NextMonth", D(2023, 2, 28)},
        {D(2024, 3, 31), "PrevMonth", D(2024, 2, 29)}, {D(2024, 12, 31), "NextMonth", D(2025, 1, 31)},
        {D(2024, 1, 15), "PrevMonth", D(2023, 12, 15)}, {D(2024, 2, 29), "NextYear", D(2025, 2, 28)},
        {D(2024, 2, 29), "PrevYear", D(2023, 2, 28)}, {D(2023, 2, 28), "NextYear", D(2024, 2, 28)},
        {D(2024, 7, 4), "PrevYear", D(2023, 7, 4)},
    };
    for (const auto& c : cases) {
        Selector s(c.from);
        s.Click(s.dlg.findChild<QPushButton*>(c.button));
        EXPECT_EQ(s.dlg.ChosenDate(), c.to) << DateToKey(c.from) << " " << c.button;
        EXPECT_EQ(s.dlg.ShowDatePanel->Caption(), Long(c.to));
        EXPECT_EQ(s.lookups.size(), 2u) << "one lookup per month shown";
        EXPECT_EQ(s.lookups.back(), (Month{c.to.year, c.to.month}));
    }
}

TEST(DateSelector, MovingWithinAMonthLooksNothingUp) {
    Selector s(D(2024, 5, 10), {D(2024, 5, 12), D(2024, 6, 3)});
    s.ClickDay(20);
    EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 5, 20));
    EXPECT_EQ(s.dlg.ShowDatePanel->Caption(), Long(D(2024, 5, 20)));
    QTest::keyClick(s.dlg.Calendar, Qt::Key_Left);
    QTest::keyClick(s.dlg.Calendar, Qt::Key_Up);
    EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 5, 12));
    EXPECT_EQ(s.lookups.size(), 1u);
    // Keys cross into the next month, and its marks come with it.
    QTest::keyClick(s.dlg.Calendar, Qt::Key_End);
    QTest::keyClick(s.dlg.Calendar, Qt::Key_Right);
    EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 6, 1));
    EXPECT_EQ(s.dlg.MarkedDays(), std::vector<std::string>{"3"});
    QTest::keyClick(s.dlg.Calendar, Qt::Key_PageUp);
    EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 5, 1));
    EXPECT_EQ(s.dlg.MarkedDays(), std::vector<std::string>{"12"});
    EXPECT_EQ(s.lookups.size(), 3u);
}

TEST(DateSelector, ButtonsHaveTheirCaptionsAndHints) {
    Selector s(D(2024, 5, 10));
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
    } cases[] = {
        {"PrevYear", "Year-", "Show the previous year"},  {"PrevMonth", "Month-", "Show the previous month"},
        {"DoCurrentDate", "Today", "Show today's date"},  {"NextMonth", "Month +", "Show the next month"},
        {"NextYear", "Year+", "Show the next year"},      {"OKButton", "Ok", ""},
        {"CancelButton", "Cancel", ""},
    };
    for (const auto& c : cases) {
        auto* b = s.dlg.findChild<QPushButton*>(c.name);
        ASSERT_NE(b, nullptr) << c.name;
        EXPECT_EQ(b->text(), c.caption);
        EXPECT_EQ(b->toolTip(), c.hint);
    }
    EXPECT_TRUE(s.dlg.OKButton->isDefault());
    EXPECT_TRUE(s.dlg.ShowDatePanel->font().bold());
    EXPECT_EQ(s.dlg.ShowDatePanel->font().pixelSize(), 13);
}

TEST(DateSelector, TodayButtonShowsTodayAndItsMonth) {
    Selector s(D(1999, 12, 31));
    s.Click(s.dlg.DoCurrentDate);
    EXPECT_EQ(s.dlg.ChosenDate(), Today());
    EXPECT_EQ(s.lookups.back(), (Month{Today().year, Today().month}));
}

TEST(DateSelector, OkDoubleClickAndReturnAcceptCancelAndEscapeDoNot) {
    {
        Selector s(D(2024, 5, 10));
        QTest::mouseDClick(s.dlg.Calendar, Qt::LeftButton, {}, s.CentreOfDay(23));
        EXPECT_FALSE(s.dlg.isVisible());
        EXPECT_EQ(s.dlg.result(), QDialog::Accepted);
        EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 5, 23));
    }
    {
        Selector s(D(2024, 5, 10));
        s.ClickDay(2);
        s.Click(s.dlg.OKButton);
        EXPECT_EQ(s.dlg.result(), QDialog::Accepted);
        EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 5, 2));
    }
    {
        Selector s(D(2024, 5, 10));
        QTest::keyClick(s.dlg.Calendar, Qt::Key_Right);
        QTest::keyClick(s.dlg.Calendar, Qt::Key_Return);
        EXPECT_EQ(s.dlg.result(), QDialog::Accepted);
        EXPECT_EQ(s.dlg.ChosenDate(), D(2024, 5, 11));
    }
    {
        Selector s(D(2024, 5, 10));
        s.Click(s.dlg.CancelButton);
        EXPECT_FALSE(s.dlg.isVisible());
        EXPECT_EQ(s.dlg.result(), QDialog::Rejected);
    }
    {
        Selector s(D(2024, 5, 10));
        QTest::keyClick(s.dlg.Calendar, Qt::Key_Escape);
        EXPECT_EQ(s.dlg.result(), QDialog::Rejected);
    }
}

TEST(DateSelector, ShownModallyItReturnsTheChosenDay) {
    TDateSelector dlg;
    dlg.InitialDate = D(2024, 2, 1);
    QTimer::singleShot(0, &dlg, [&] {
        int col = 0, row = 0;
        dlg.Calendar->CellOfDay(17, col, row);
        QTest::mouseClick(dlg.Calendar, Qt::LeftButton, {}, dlg.Calendar->CellRect(col, row).center());
        QTest::mouseClick(dlg.OKButton, Qt::LeftButton);
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.ChosenDate(), D(2024, 2, 17));
}

// The marks come from the diary table, and the dialog leaves the table on
// the day the window shows, whatever months it looked at.
TEST(DateSelector, MarksComeFromTheDiaryTable) {
    TempFolder dir;
    auto storage = test::OpenDiary(dir.path());
    for (Date d : {D(2024, 1, 3), D(2024, 1, 17), D(2024, 1, 18), D(2024, 2, 2)})
        test::SaveDay(*storage, d, test::EntryFor(d));
    test::SaveDay(*storage, D(2024, 1, 18), "");  // removed
    ASSERT_TRUE(storage->FindDateRecord(D(2024, 1, 17)));
    const long shown = storage->DiaryTable.RecNo();

    TDateSelector dlg;
    dlg.InitialDate = D(2024, 1, 17);
    dlg.Lookup = [&](std::vector<std::string>& days, int year, int month) {
        GetDaysWithEntries(*storage, days, year, month);
    };
    dlg.show();
    EXPECT_EQ(dlg.MarkedDays(), (std::vector<std::string>{"3", "17"}));
    QTest::mouseClick(dlg.NextMonth, Qt::LeftButton);
    EXPECT_EQ(dlg.MarkedDays(), std::vector<std::string>{"2"});
    QTest::mouseClick(dlg.CancelButton, Qt::LeftButton);
    EXPECT_EQ(storage->DiaryTable.RecNo(), shown);
    EXPECT_EQ(storage->DiaryTable.FieldText("DATE"), "20240117");
}

}  // namespace
}  // namespace quill
