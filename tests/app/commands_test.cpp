// The main window's commands on a real diary table: moving between days,
// saving first, the date dialog's hook, Insert Today's Date, word wrap,
// page breaks and the print and rebuild entry points.
#include <QAction>
#include <QFontDialog>
#include <QTimer>
#include <QLabel>
#include <QToolButton>

#include "app/diary_window_fixture.h"
#include "dates/date_text.h"

namespace quill {
namespace {

class CommandsTest : public test::DiaryWindowTest {};

TEST_F(CommandsTest, EveryCommandThatLeavesThePageSavesItFirst) {
    W().SetDateDialog([](Date) { return std::optional<Date>(Date{2026, 5, 1}); });
    struct Case {
        const char* name;
        std::function<void(TMainScreen&)> run;
        QString message;  // the box the command shows after saving, if any
    } cases[] = {
        {"next", [](TMainScreen& m) { m.Nextbutton->click(); }, {}},
        {"prev", [](TMainScreen& m) { m.PriorButton->click(); }, {}},
        {"first", [](TMainScreen& m) { m.FirstButton->click(); }, {}},
        {"last", [](TMainScreen& m) { m.LastButton->click(); }, {}},
        {"date, confirmed", [](TMainScreen& m) { m.CalendarButton->click(); }, {}},
        {"print current", [](TMainScreen& m) { m.PrintcurrentEntryOnly->trigger(); }, "No printers installed"},
        {"print merged", [](TMainScreen& m) { m.PrintCurrentEntryForwardMerged->trigger(); }, "No printers installed"},
        {"print separate", [](TMainScreen& m) { m.PrintCurrentEntryForwardSeperatePages->trigger(); },
         "No printers installed"},
        {"print setup", [](TMainScreen& m) { m.PrintSetup1->trigger(); }, "No printers installed"},
        {"rebuild", [](TMainScreen& m) { m.RebuildIndexes1->trigger(); }, {}},
        // "Exit program?" answered No: the window stays, the page is saved.
        {"exit", [](TMainScreen& m) { m.ExplorerButton1->click(); }, "Exit program?"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const Date at{2026, 6, 1 + n++};
        GoTo(at);
        QTest::keyClicks(Editor(), c.name);
        ASSERT_TRUE(Pending());
        boxes.shown.clear();
        c.run(W());
        EXPECT_FALSE(Pending()) << c.name;
        EXPECT_NE(Stored(at).find(c.name), std::string::npos) << c.name;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(boxes.shown.empty()) << c.name;
        } else {
            ASSERT_EQ(boxes.shown.size(), 1u) << c.name;
            EXPECT_EQ(boxes.shown[0].text, c.message) << c.name;
        }
        EXPECT_TRUE(W().isVisible()) << c.name;
    }
}

TEST_F(CommandsTest, DayMovesFollowTheCalendar) {
    struct Case {
        Date from;
        int step;  // +1 "&Next", -1 "&Prev"
        Date to;
    } cases[] = {
        {{1999, 12, 31}, +1, {2000, 1, 1}},   {{2000, 1, 1}, -1, {1999, 12, 31}},
        {{2024, 3, 1}, -1, {2024, 2, 29}},    {{2023, 3, 1}, -1, {2023, 2, 28}},
        {{2024, 2, 28}, +1, {2024, 2, 29}},   {{2026, 1, 31}, +1, {2026, 2, 1}},
        {{2026, 4, 30}, +1, {2026, 5, 1}},    {{2100, 2, 28}, +1, {2100, 3, 1}},
    };
    for (const Case& c : cases) {
        GoTo(c.from);
        // Through the keys, as a user moves: Ctrl+Page Down and Ctrl+Page Up.
        QTest::keyClick(Editor(), c.step > 0 ? Qt::Key_PageDown : Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(W().CurrentDate, c.to) << DateToKey(c.from);
        EXPECT_EQ(W().DateLabel->text().toStdString(), LongDateText(c.to));
    }
}

TEST_F(CommandsTest, FirstAndLastGoToTheEndsOfTheDiary) {
    // An empty diary: both give today.
    GoTo(Date{2001, 1, 1});
    W().FirstButton->click();
    EXPECT_EQ(W().CurrentDate, Today());
    GoTo(Date{2001, 1, 1});
    W().LastButton->click();
    EXPECT_EQ(W().CurrentDate, Today());

    for (Date d : {Date{2025, 7, 4}, Date{2019, 1, 2}, Date{2027, 3, 3}}) {
        GoTo(d);
        QTest::keyClicks(Editor(), DateToKey(d).c_str());
        W().SaveButton->click();
    }
    W().FirstButton->click();
    EXPECT_EQ(W().CurrentDate, (Date{2019, 1, 2}));
    EXPECT_TRUE(W().EntryExists);
    EXPECT_EQ(PageText(), "20190102");
    W().LastButton->click();
    EXPECT_EQ(W().CurrentDate, (Date{2027, 3, 3}));
    EXPECT_EQ(PageText(), "20270303");
}

TEST_F(CommandsTest, DateDialogCancelledKeepsTheEditConfirmedSavesToTheRightDay) {
    // The test's own dialog stands in for the date selector here.
    for (Date d : {Date{2026, 7, 1}, Date{2026, 7, 2}}) {
        GoTo(d);
        QTest::keyClicks(Editor(), "old");
        W().SaveButton->click();
    }
    std::optional<Date> answer;
    Date given{};
    W().SetDateDialog([&](Date start) {
        given = start;
        // The day marks seek day after day and leave the data set elsewhere.
        for (int day = 1; day <= 31; ++day) W().Store()->FindDateRecord(Date{2026, 7, day});
        W().Store()->FindDateRecord(Date{2026, 7, 1});
        return answer;
    });
    ASSERT_TRUE(W().CalendarButton->isEnabled());
    GoTo(Date{2026, 7, 2});
    QTest::keyClicks(Editor(), "new ");

    answer.reset();
    W().CalendarButton->click();
    EXPECT_EQ(given, (Date{2026, 7, 2}));
    EXPECT_TRUE(Pending()) << "cancelled: the edit stays pending";
    EXPECT_EQ(W().CurrentDate, (Date{2026, 7, 2}));
    EXPECT_EQ(Stored(Date{2026, 7, 2}).find("new"), std::string::npos);

    answer = Date{2026, 8, 15};
    W().CalendarButton->click();
    EXPECT_FALSE(Pending());
    EXPECT_EQ(W().CurrentDate, (Date{2026, 8, 15}));
    EXPECT_NE(Stored(Date{2026, 7, 2}).find("new old"), std::string::npos);
    EXPECT_EQ(Stored(Date{2026, 7, 1}).find("new"), std::string::npos) << "the day the lookup left";
}

TEST_F(CommandsTest, InsertTodaysDateTypesTheShortDateAndABlank) {
    W().Clock = [] { return Date{2026, 12, 8}; };
    GoTo(Date{2026, 1, 5});
    QTest::keyClick(Editor(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(PageText(), "12/08/2026 ");
    EXPECT_EQ(PageText().size(), 11u);
    EXPECT_TRUE(Pending());
    // From the menu, at the caret.
    W().EnterDate1->trigger();
    EXPECT_EQ(PageText(), "12/08/2026 12/08/2026 ");
    // The system's separator.
    CurrentDateSettings().dateSeparator = '-';
    W().EnterDate1->trigger();
    CurrentDateSettings().dateSeparator = '/';
    EXPECT_EQ(PageText(), "12/08/2026 12/08/2026 12-08-2026 ");
}

TEST_F(CommandsTest, WordWrapTogglesFromTheMenuAndTheButtonAlike) {
    QAction* item = W().mnuWrapTexttofitScreen;
    QToolButton* button = W().DocWordWrapButton;
    auto state = [&] {
        return std::make_tuple(item->isChecked(), Editor()->WordWrap(), button->toolTip().toStdString());
    };
    const auto start = std::make_tuple(true, true, std::string("Toggle word wrap off"));
    const auto off = std::make_tuple(false, false, std::string("Toggle word wrap on"));
    ASSERT_EQ(state(), start);
    item->trigger();
    EXPECT_EQ(state(), off);
    item->trigger();
    EXPECT_EQ(state(), start);
    button->click();
    EXPECT_EQ(state(), off);
    item->trigger();
    EXPECT_EQ(state(), start);
    button->click();
    button->click();
    EXPECT_EQ(state(), start);
    EXPECT_FALSE(Pending()) << "wrapping changes no text";
}

TEST_F(CommandsTest, PageBreakButtonStartsANewPage) {
    GoTo(Date{2026, 2, 2});
    QTest::keyClicks(Editor(), "Before");
    W().DocPageBreakButton->click();
    QTest::keyClicks(Editor(), "After");
    EXPECT_TRUE(Pending());
    const TParagraph* second = Editor()->RtfText().firstParagraph->next;
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->flags & pfPageBreak);
    EXPECT_EQ(PageText(), "Before\nAfter");
    W().SaveButton->click();
    EXPECT_NE(Stored(Date{2026, 2, 2}).find("\\page"), std::string::npos);
}

TEST_F(CommandsTest, DefaultFontAppliesToTheNextEmptyPageNotTheOneOnScreen) {
    GoTo(Date{2026, 11, 1});
    QTest::keyClicks(Editor(), "written in Arial");
    const TCharAttr before = Editor()->CurrentAttributes();
    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* fonts = modal->findChild<QFontDialog*>()) {
            QFont f = fonts->currentFont();
            f.setPointSize(16);
            fonts->setCurrentFont(f);
        }
        QMetaObject::invokeMethod(modal, "accept");
    });
    W().mnuDefaultFont->trigger();
    EXPECT_EQ(W().DefFontSize, 16);
    EXPECT_NE(test::ReadFile(folder + "QB.INI").find("Size=16"), std::string::npos);
    // The page on screen keeps its font and its pending edit.
    EXPECT_TRUE(Pending());
    EXPECT_EQ(Editor()->CurrentAttributes().size, before.size);
    // The next new page starts in the new default.
    W().Nextbutton->click();
    EXPECT_EQ(Editor()->CurrentAttributes().size, 16);
    EXPECT_EQ(Editor()->RtfText().header.FontName(Editor()->CurrentAttributes().font),
              W().DefFontName);
}

}  // namespace
}  // namespace quill
