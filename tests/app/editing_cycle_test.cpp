// The editing cycle through the real main window on a real diary table in a
// temporary folder: what a save stores, when it updates, creates or removes
// the day's record, and the page a new day starts with.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <stdexcept>
#include <iterator>

#include "app/app_test_support.h"
#include "app/diary_window_fixture.h"
#include "app/default_font_attributes.h"
#include "richtext/widget/rich_text.h"
#include "storage/entry_text.h"

namespace quill {
namespace {

class EditingCycleTest : public test::DiaryWindowTest {};

TEST_F(EditingCycleTest, SaveCreatesUpdatesAndRemovesTheDaysRecord) {
    GoTo(day);
    ASSERT_FALSE(W().EntryExists);

    // A new day: typing and saving creates the record, with exactly the
    // writer's output, CR LF line breaks and the length rule applied.
    QTest::keyClicks(Editor(), "First line");
    QTest::keyClick(Editor(), Qt::Key_Return);
    QTest::keyClicks(Editor(), "Second line");
    ASSERT_TRUE(Pending());
    const std::string expected = StoredEntryText(WriterOutput());
    W().SaveButton->click();
    EXPECT_FALSE(Pending());
    EXPECT_TRUE(W().EntryExists);
    EXPECT_EQ(Stored(day), expected);
    EXPECT_NE(expected.find("\r\n"), std::string::npos);
    EXPECT_EQ(expected.find('\n'), expected.find("\r\n") + 1) << "every break is CR LF";
    EXPECT_NE(expected.size() % 4, 0u);
    // The page shows what was stored, with the caret at the start.
    EXPECT_EQ(PageText(), "First line\nSecond line");
    EXPECT_EQ(Editor()->Input().CursorPos().position, 0);

    // Saving again without typing writes nothing: the buttons are hidden.
    EXPECT_TRUE(W().SaveButtonClick());
    EXPECT_EQ(Stored(day), expected);

    // Update: the same record gets the new text, even though the lookup
    // above moved the data set to other days first.
    Stored(Date{2026, 3, 13});
    QTest::keyClick(Editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(Editor(), " and more");
    const std::string updated = StoredEntryText(WriterOutput());
    W().SaveButton->click();
    EXPECT_EQ(Stored(day), updated);
    EXPECT_TRUE(Stored(Date{2026, 3, 13}).empty()) << "no other day was written";
    EXPECT_EQ(Stored(Date{2026, 3, 15}), "");

    // Remove: an emptied page takes the record away; the day shows an empty
    // page in the default font and nothing is pending.
    GoTo(day);
    SelectAllAndDelete();
    ASSERT_TRUE(Pending());
    W().SaveButton->click();
    EXPECT_FALSE(Pending());
    EXPECT_FALSE(W().EntryExists);
    EXPECT_EQ(Stored(day), "");
    EXPECT_TRUE(Editor()->IsTextEmpty());

    // Nothing: a new page left empty writes nothing when the user moves on.
    QTest::keyClicks(Editor(), "x");
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    ASSERT_TRUE(Pending());
    W().NextButtonClick();
    EXPECT_EQ(Stored(day), "");
    EXPECT_FALSE(W().Store()->FindDateRecord(day));

    // And what was saved survives closing and opening the diary.
    GoTo(day);
    QTest::keyClicks(Editor(), "Kept");
    const std::string kept = StoredEntryText(WriterOutput());
    W().SaveButton->click();
    Drop();
    Open();
    GoTo(day);
    EXPECT_TRUE(W().EntryExists);
    EXPECT_EQ(PageText(), "Kept");
    EXPECT_EQ(Stored(day), kept);
}

TEST_F(EditingCycleTest, StoredLengthIsNeverAPositiveMultipleOfFour) {
    // Typing one character at a time walks the writer's output through
    // every length modulo 4.
    GoTo(day);
    bool seen[4] = {};
    for (int typed = 0; typed < 12 && !(seen[0] && seen[1] && seen[2] && seen[3]); ++typed) {
        QTest::keyClicks(Editor(), "w");
        const std::string written = NormaliseLineBreaks(WriterOutput());
        const size_t rest = written.size() % 4;
        if (seen[rest]) continue;
        seen[rest] = true;
        W().SaveButton->click();
        const std::string stored = Stored(day);
        if (rest == 0) {
            // One blank goes at the end of the last line, before its break.
            ASSERT_EQ(stored.size(), written.size() + 1) << written;
            const size_t lastBreak = written.rfind("\r\n");
            const bool endsWithBreak = lastBreak != std::string::npos && lastBreak + 2 == written.size();
            const size_t at = endsWithBreak ? lastBreak : written.size();
            EXPECT_EQ(stored, written.substr(0, at) + " " + written.substr(at));
        } else {
            EXPECT_EQ(stored, written) << "length " << written.size() << " is stored unchanged";
        }
        GoTo(day);
        QTest::keyClick(Editor(), Qt::Key_End, Qt::ControlModifier);
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
}

TEST_F(EditingCycleTest, CancelBringsTheStoredPageBack) {
    GoTo(AddDays(day, 1));
    QTest::keyClicks(Editor(), "Another day");
    GoTo(day);
    QTest::keyClicks(Editor(), "Stored");
    W().SaveButton->click();
    QTest::keyClicks(Editor(), "Typed ");
    ASSERT_EQ(PageText(), "Typed Stored");
    // Something (the date dialog's marks, a print) leaves the data set on
    // another day's record; Cancel still brings this day's page back.
    ASSERT_FALSE(Stored(AddDays(day, 1)).empty());
    W().CancelButton->click();
    EXPECT_FALSE(Pending());
    EXPECT_EQ(PageText(), "Stored");

    // On a new day Cancel gives the empty page again.
    GoTo(Date{2026, 3, 20});
    QTest::keyClicks(Editor(), "Not kept");
    W().CancelButton->click();
    EXPECT_FALSE(Pending());
    EXPECT_TRUE(Editor()->IsTextEmpty());
    EXPECT_EQ(Stored(Date{2026, 3, 20}), "");
}

TEST_F(EditingCycleTest, ANewPageTakesTheDefaultFont) {
    struct Case {
        const char* name;
        std::string font;
        int size;
        bool bold;
        std::uint32_t color;
        int colorIndex;
    } cases[] = {
        // Black is the last of the two black entries of the colour table.
        {"black", "Arial", 10, false, 0x000000, 15},
        {"red, bold", "Times New Roman", 14, true, 0x0000FF, -1},
        {"a colour not in the table", "Arial", 12, false, 0x123456, 0},
        {"a size beyond one byte keeps its low eight bits", "Arial", 256 + 9, false, 0, 15},
    };
    for (const Case& c : cases) {
        W().DefFontName = c.font;
        W().DefFontSize = c.size;
        W().DefFontBold = c.bold;
        W().DefFontColor = c.color;
        GoTo(Date{2026, 4, 1});
        const TCharAttr a = Editor()->CurrentAttributes();
        EXPECT_EQ(Editor()->RtfText().header.FontName(a.font), c.font) << c.name;
        EXPECT_EQ(a.size, c.size & 0xFF) << c.name;
        EXPECT_EQ((a.style & csBold) != 0, c.bold) << c.name;
        const int index = c.colorIndex >= 0 ? c.colorIndex
                                            : DefaultColorIndex(Editor()->RtfText().header, c.color);
        EXPECT_EQ(a.TextColor(), index) << c.name;
        EXPECT_EQ(Editor()->PaletteColor(a.TextColor()), c.colorIndex == 0 ? 0x000000u : c.color) << c.name;
        EXPECT_FALSE(Pending()) << c.name << ": the font alone is no edit";
        // What is typed is stored in that font.
        QTest::keyClicks(Editor(), "abc");
        W().SaveButton->click();
        const std::string stored = Stored(Date{2026, 4, 1});
        EXPECT_NE(stored.find(c.font), std::string::npos) << c.name;
        EXPECT_NE(stored.find("\\fs" + std::to_string((c.size & 0xFF) * 2)), std::string::npos) << c.name;
        GoTo(Date{2026, 4, 1});
        SelectAllAndDelete();
        W().SaveButton->click();
    }
}

// The real table with writes that fail on demand (a full disk, a file
// gone read-only): the engine raises, as it does then.
class FailingStore : public DiaryStore {
public:
    FailingStore(std::unique_ptr<DiaryStore> real, const bool& fail) : real_(std::move(real)), fail_(fail) {}
    bool OpenDiaryFile(const std::string& f) override { return real_->OpenDiaryFile(f); }
    bool FindDateRecord(Date d) override { return real_->FindDateRecord(d); }
    std::string CurrentEntryText() override { return real_->CurrentEntryText(); }
    bool SaveEntry(Date d, const std::string& t) override {
        if (fail_) throw std::runtime_error("Disk full");
        return real_->SaveEntry(d, t);
    }
    Date FirstEntry() override { return real_->FirstEntry(); }
    Date LastEntry() override { return real_->LastEntry(); }
    void SetPassword(const std::string& p) override { real_->SetPassword(p); }
    std::string LastError() const override { return real_->LastError(); }

private:
    std::unique_ptr<DiaryStore> real_;
    const bool& fail_;
};

TEST_F(EditingCycleTest, AFailedSaveKeepsTheEditPendingAndTheCommandStops) {
    Drop();
    bool fail = false;
    MainScreenSetup setup;
    setup.diaryFolder = folder;
    window = std::make_unique<TMainScreen>(setup, std::make_unique<FailingStore>(MakeDiaryStore(), fail));
    window->show();
    GoTo(day);
    QTest::keyClicks(Editor(), "Precious");
    fail = true;
    // No command goes on to its own dialog after the failed save.
    int dialogs = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++dialogs;
            modal->close();
        }
    });
    closer.start(20);
    for (auto command : {&TMainScreen::NextButtonClick, &TMainScreen::PriorButtonClick,
                         &TMainScreen::FirstButtonClick, &TMainScreen::LastButtonClick,
                         &TMainScreen::RebuildIndexes1Click, &TMainScreen::PrintcurrentEntryOnlyClick,
                         &TMainScreen::PrintCurrentEntryForwardMergedClick,
                         &TMainScreen::PrintCurrentEntryForwardSeperatePagesClick, &TMainScreen::PrintSetup1Click,
                         &TMainScreen::mnuSecurityClick, &TMainScreen::exit1Click}) {
        boxes.shown.clear();
        (W().*command)();
        EXPECT_EQ(dialogs, 0);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(boxes.shown[0].text.contains("could not be saved")) << boxes.shown[0].text.toStdString();
        EXPECT_TRUE(boxes.shown[0].text.contains("Disk full"));
        EXPECT_TRUE(Pending());
        EXPECT_EQ(W().CurrentDate, day) << "the command did not move on";
        EXPECT_EQ(PageText(), "Precious");
        EXPECT_TRUE(W().isVisible());
    }
    // A confirmed close whose save fails keeps the window and the edit.
    boxes.answers = {true};
    EXPECT_FALSE(W().close());
    EXPECT_TRUE(Pending());
    fail = false;
    W().SaveButton->click();
    EXPECT_FALSE(Pending());
    EXPECT_NE(Stored(day).find("Precious"), std::string::npos);
}

}  // namespace
}  // namespace quill
