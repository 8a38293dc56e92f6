// The main window's "&Date", "Find entry containing...", "Find Next Entry"
// and "Rebuild Indexes (do this often!)" with their real dialogs, on a real
// diary table in a temporary folder.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/diary_window_fixture.h"
#include "app/look_for_all_dialog.h"
#include "app/rebuild_dialog.h"
#include "dates/date_text.h"
#include "dates/selector/date_selector.h"

namespace quill {
namespace {

using test::WhenShown;

class DialogCommandsTest : public test::DiaryWindowTest {
protected:
    void Write(Date d, const char* text) {
        GoTo(d);
        QTest::keyClicks(Editor(), text);
        W().SaveButton->click();
        ASSERT_FALSE(Pending());
    }
    // The second record's memo pointer names a block far past the memo
    // file's end: that entry can no longer be read.
    void DamageSecondMemoPointer() {
        std::fstream f(folder + "QUILLBK.DBF", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(97 + 19 + 9);
        f.write("    999999", 10);
    }
    // Asks through the real question: types TEXT and presses Enter, or
    // Escape when CANCEL.
    void Ask(const QString& text, bool cancel = false) {
        bool asked = false;
        WhenShown<TLookForAll>([&, text, cancel](TLookForAll* d) {
            asked = true;
            EXPECT_EQ(d->windowTitle(), "Find text from any entry");
            EXPECT_EQ(d->Label1->text(), "Text to look for");
            EXPECT_EQ(d->focusWidget(), d->LookForText);
            QTest::keyClicks(d->LookForText, text);
            QTest::keyClick(d->LookForText, cancel ? Qt::Key_Escape : Qt::Key_Return);
        });
        Activate();
        QTest::keyClick(Editor(), Qt::Key_F4, Qt::ControlModifier);
        EXPECT_TRUE(asked);
    }
    void Next() {
        Activate();
        QTest::keyClick(Editor(), Qt::Key_F5, Qt::ControlModifier);
    }
    // The window's shortcuts reach it only while it is the active window,
    // as it is again once a dialog has closed.
    void Activate() {
        W().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&W()));
    }
    std::size_t TableSize() {
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (QString::fromStdString(e.path().filename().string()).compare("quillbk.dbf", Qt::CaseInsensitive) == 0)
                return e.file_size();
        ADD_FAILURE() << "no table file";
        return 0;
    }
    QStringList Messages() {
        QStringList texts;
        for (const auto& b : boxes.shown) texts << b.text;
        boxes.shown.clear();
        return texts;
    }
};

TEST_F(DialogCommandsTest, DateSelectorMarksTheMonthsEntriesCancelKeepsTheEditOkSavesToTheRightDay) {
    Write(Date{2026, 7, 3}, "third");
    Write(Date{2026, 7, 18}, "eighteenth");
    Write(Date{2026, 7, 31}, "last");
    Write(Date{2026, 8, 2}, "august");
    Write(Date{2026, 7, 20}, "gone");
    GoTo(Date{2026, 7, 20});
    SelectAllAndDelete();
    W().SaveButton->click();  // an emptied page removes its entry
    ASSERT_EQ(Stored(Date{2026, 7, 20}), "");

    GoTo(Date{2026, 7, 18});
    QTest::keyClicks(Editor(), "more ");
    ASSERT_TRUE(Pending());

    // Cancel: the marks were there, the edit stays pending, nothing stored.
    std::vector<std::string> marks, augustMarks;
    Date shown{};
    WhenShown<TDateSelector>([&](TDateSelector* d) {
        shown = d->ChosenDate();
        marks = d->MarkedDays();
        const QPoint centre = d->frameGeometry().center(), main = W().frameGeometry().center();
        EXPECT_LE(std::abs(centre.x() - main.x()), 4);
        EXPECT_LE(std::abs(centre.y() - main.y()), 4);
        QTest::mouseClick(d->NextMonth, Qt::LeftButton);
        augustMarks = d->MarkedDays();
        QTest::mouseClick(d->CancelButton, Qt::LeftButton);
    });
    W().CalendarButton->click();
    EXPECT_EQ(shown, (Date{2026, 7, 18}));
    EXPECT_EQ(marks, (std::vector<std::string>{"3", "18", "31"}));
    EXPECT_EQ(augustMarks, (std::vector<std::string>{"2"}));
    EXPECT_TRUE(Pending());
    EXPECT_EQ(W().CurrentDate, (Date{2026, 7, 18}));
    EXPECT_EQ(Stored(Date{2026, 7, 18}).find("more"), std::string::npos);

    // OK on another month's day: the edit goes to the day it was made on,
    // although the lookups sought every day of two months.
    WhenShown<TDateSelector>([&](TDateSelector* d) {
        QTest::mouseClick(d->NextMonth, Qt::LeftButton);  // 18 August
        QTest::mouseClick(d->OKButton, Qt::LeftButton);
    });
    W().CalendarButton->click();
    EXPECT_FALSE(Pending());
    EXPECT_EQ(W().CurrentDate, (Date{2026, 8, 18}));
    EXPECT_NE(Stored(Date{2026, 7, 18}).find("more eighteenth"), std::string::npos);
    for (Date other : {Date{2026, 7, 3}, Date{2026, 7, 31}, Date{2026, 8, 2}, Date{2026, 8, 18}})
        EXPECT_EQ(Stored(other).find("more"), std::string::npos) << DateToKey(other);
    EXPECT_EQ(PageText(), "");

    // Double click on a marked day picks it and shows its entry.
    WhenShown<TDateSelector>([&](TDateSelector* d) {
        int col = 0, row = 0;
        ASSERT_TRUE(d->Calendar->CellOfDay(2, col, row));
        QTest::mouseDClick(d->Calendar, Qt::LeftButton, {}, d->Calendar->CellRect(col, row).center());
    });
    W().CalendarButton->click();
    EXPECT_EQ(W().CurrentDate, (Date{2026, 8, 2}));
    EXPECT_EQ(PageText(), "august");
}

TEST_F(DialogCommandsTest, SearchWalksTheEntriesInDateOrderWithItsMessages) {
    // Written out of date order: the walk follows the dates, not the records.
    Write(Date{2026, 5, 9}, "A Gardenia in the window");
    Write(Date{2026, 2, 1}, "Garden work all day");
    Write(Date{2026, 3, 15}, "nothing of note");
    Write(Date{2026, 4, 2}, "the gardener came");
    EXPECT_TRUE(W().mnuFindentrycontaining->isEnabled());
    EXPECT_FALSE(W().mnuFindNextBig->isEnabled());

    GoTo(Date{2026, 6, 30});
    Ask("garden");
    EXPECT_EQ(W().CurrentDate, (Date{2026, 2, 1})) << "the first entry is found without moving past it";
    EXPECT_EQ(PageText(), "Garden work all day");
    EXPECT_TRUE(W().mnuFindNextBig->isEnabled());
    EXPECT_TRUE(Messages().isEmpty());
    Next();
    EXPECT_EQ(W().CurrentDate, (Date{2026, 4, 2}));
    Next();
    EXPECT_EQ(W().CurrentDate, (Date{2026, 5, 9}));
    EXPECT_EQ(PageText(), "A Gardenia in the window");
    Next();
    EXPECT_EQ(Messages(), QStringList{"No more matches"});
    EXPECT_EQ(W().CurrentDate, (Date{2026, 5, 9})) << "the day shown before, shown again";
    EXPECT_FALSE(W().mnuFindNextBig->isEnabled());

    // Nothing holds it: "No matches", the same day.
    GoTo(Date{2026, 3, 15});
    Ask("orchid");
    EXPECT_EQ(Messages(), QStringList{"No matches"});
    EXPECT_EQ(W().CurrentDate, (Date{2026, 3, 15}));
    EXPECT_EQ(PageText(), "nothing of note");
    EXPECT_FALSE(W().mnuFindNextBig->isEnabled());

    // Cancelling after a successful search changes nothing.
    Ask("note");
    EXPECT_EQ(W().CurrentDate, (Date{2026, 3, 15}));
    ASSERT_TRUE(W().mnuFindNextBig->isEnabled());
    GoTo(Date{2026, 1, 1});
    Ask("garden", true);
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(W().CurrentDate, (Date{2026, 1, 1}));
    EXPECT_TRUE(W().mnuFindNextBig->isEnabled());
    EXPECT_EQ(W().SearchText, "note");
    // An empty text is the same as a cancel.
    Ask("");
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_TRUE(W().mnuFindNextBig->isEnabled());

    // From a day without an entry there is nothing after it.
    Next();
    EXPECT_EQ(Messages(), QStringList{"No more matches"});
    EXPECT_EQ(W().CurrentDate, (Date{2026, 1, 1}));
    EXPECT_FALSE(W().mnuFindNextBig->isEnabled());
}

TEST_F(DialogCommandsTest, SearchSavesThePendingEditBeforeItWalks) {
    Write(Date{2026, 2, 1}, "plain day");
    GoTo(Date{2026, 9, 9});
    QTest::keyClicks(Editor(), "saw a heron");
    ASSERT_TRUE(Pending());
    Ask("HERON");
    EXPECT_FALSE(Pending());
    EXPECT_EQ(W().CurrentDate, (Date{2026, 9, 9}));
    EXPECT_NE(Stored(Date{2026, 9, 9}).find("saw a heron"), std::string::npos);
    EXPECT_EQ(PageText(), "saw a heron");

    // "Find Next Entry" saves first too: the edit on the found page is kept.
    QTest::keyClicks(Editor(), "grey ");
    Next();
    EXPECT_EQ(Messages(), QStringList{"No more matches"});
    EXPECT_FALSE(Pending());
    EXPECT_EQ(PageText(), "grey saw a heron");
    EXPECT_NE(Stored(Date{2026, 9, 9}).find("grey saw a heron"), std::string::npos);
}

TEST_F(DialogCommandsTest, RebuildFromTheMenuSavesFirstAndShowsTheSameDayAfter) {
    for (int d = 1; d <= 6; ++d) Write(Date{2026, 10, d}, "day");
    // Two removed entries for the rebuild to take out of the table.
    for (int d : {2, 4}) {
        GoTo(Date{2026, 10, d});
        SelectAllAndDelete();
        W().SaveButton->click();
    }
    GoTo(Date{2026, 10, 5});
    QTest::keyClicks(Editor(), "fifth ");
    const auto sizeBefore = TableSize();

    // The dialog does its work as it is shown and closes itself: watch for
    // it being shown.
    struct ShowSpy : QObject {
        QStringList titles;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Show)
                if (auto* d = qobject_cast<TRebuildInd*>(o)) titles << d->windowTitle();
            return false;
        }
    } spy;
    qApp->installEventFilter(&spy);
    W().RebuildIndexes1->trigger();
    qApp->removeEventFilter(&spy);
    EXPECT_EQ(spy.titles, QStringList{"Rebuild Indexes"});
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_FALSE(Pending());
    EXPECT_EQ(W().CurrentDate, (Date{2026, 10, 5}));
    EXPECT_EQ(PageText(), "fifth day");
    EXPECT_LT(TableSize(), sizeBefore) << "the removed records left the table";

    // The rebuilt index serves the editing cycle: the next save updates the
    // same day, and every other day is where it was.
    QTest::keyClicks(Editor(), "again ");
    W().SaveButton->click();
    EXPECT_NE(Stored(Date{2026, 10, 5}).find("again fifth day"), std::string::npos);
    for (int d : {1, 3, 6}) EXPECT_NE(Stored(Date{2026, 10, d}).find("day"), std::string::npos) << d;
    for (int d : {2, 4}) EXPECT_EQ(Stored(Date{2026, 10, d}), "") << d;
}

TEST_F(DialogCommandsTest, SearchPassesOverAnUnreadableEntryAndNamesIt) {
    Write(Date{2024, 1, 1}, "apple");
    Write(Date{2024, 1, 2}, "apple pie");
    Write(Date{2024, 1, 3}, "apple tart");
    Drop();
    DamageSecondMemoPointer();
    Open();
    Messages();
    GoTo(Date{2024, 1, 1});
    Ask("tart");
    const QStringList shown = Messages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("could not be read")) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QString::fromStdString(LongDateText(Date{2024, 1, 2})))) << shown[0].toStdString();
    EXPECT_EQ(W().CurrentDate, (Date{2024, 1, 3}));
    EXPECT_EQ(PageText(), "apple tart");
    EXPECT_TRUE(W().mnuFindNextBig->isEnabled());
}

// Saving a page that could not be read would put an empty (or partial) page
// in place of the stored text, which a repair or a backup may still bring
// back: such a page is shown read-only, and the next day is editable again.
TEST_F(DialogCommandsTest, AnUnreadableEntryIsShownReadOnlyAndKeptAsStored) {
    Write(Date{2024, 1, 1}, "apple");
    Write(Date{2024, 1, 2}, "apple pie");
    Drop();
    DamageSecondMemoPointer();
    std::string before;
    {
        std::ifstream in(folder + "QUILLBK.DBF", std::ios::binary);
        before.assign(std::istreambuf_iterator<char>(in), {});
    }
    Open();
    Messages();
    GoTo(Date{2024, 1, 2});
    const QStringList shown = Messages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("read-only")) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QString::fromStdString(LongDateText(Date{2024, 1, 2})))) << shown[0].toStdString();
    EXPECT_TRUE(Editor()->ReadOnly());
    QTest::keyClicks(Editor(), "overwritten");
    EXPECT_FALSE(Pending());
    W().SaveButtonClick();
    GoTo(Date{2024, 1, 1});
    EXPECT_FALSE(Editor()->ReadOnly());
    EXPECT_EQ(PageText(), "apple");
    Drop();
    std::ifstream in(folder + "QUILLBK.DBF", std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(after, before) << "the damaged record was written";
}

}  // namespace
}  // namespace quill
