// The main window's print commands on a real diary table: each prints from
// the current date through the "Print Status" dialog into PDF (the file
// asked once), finds the current day's record again afterwards, and "Print
// Setup" shows Qt's printer dialog.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/app_test_support.h"
#include "dates/date_text.h"
#include "print/pdf_file_question.h"
#include "print/print_status_form.h"
#include "storage/diary_storage.h"
#include "storage/entry_text.h"

namespace quill {
namespace {

std::string EntryText(const std::string& words) {
    return StoredEntryText("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\plain\\f0\\fs20 " +
                           words + "\\par }");
}

std::string PdfText(const QString& pdf) {
    const QString exe = QStandardPaths::findExecutable("pdftotext");
    if (exe.isEmpty()) return {};
    QProcess p;
    p.start(exe, {pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified().toStdString();
}

// Presses the print dialog's button once its job is over, as a user would;
// remembers what it saw.
class DialogWatcher {
public:
    DialogWatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* form = qobject_cast<TPrintStatusForm*>(QApplication::activeModalWidget());
            if (!form || !form->JobOver()) return;
            ++shown;
            status = form->StatusText().toStdString();
            QTest::mouseClick(form->CancelButton, Qt::LeftButton);
        });
        timer_.start(20);
    }
    int shown = 0;
    std::string status;

private:
    QTimer timer_;
};

class PrintCommands : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
        ASSERT_TRUE(dir.isValid());
        folder = test::FolderOf(dir) + "diary/";
        std::filesystem::create_directories(folder);
        {
            DiaryStorage s(folder);
            ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
            s.DailyBackups = false;
            for (const auto& [day, text] : {std::pair{Date{2024, 5, 6}, "Monday words"},
                                            std::pair{Date{2024, 5, 8}, "Wednesday words"}}) {
                s.FindDateRecord(day);
                s.SaveEntry(day, EntryText(text));
            }
        }
        MainScreenSetup setup;
        setup.diaryFolder = folder;
        window = std::make_unique<TMainScreen>(setup, MakeDiaryStore());
        ASSERT_TRUE(window->TableOpen());
        window->SystemPrinter().setOutputFormat(QPrinter::PdfFormat);
        SetPdfFileAsker([this](QWidget*, const QString& suggested) {
            suggestions << suggested;
            return answer;
        });
        answer = dir.filePath("Diary.pdf");
    }
    void TearDown() override { SetPdfFileAsker({}); }

    void GoTo(Date day) {
        window->CurrentDate = day;
        window->FindDateRecord();
    }

    QTemporaryDir dir;
    std::string folder;
    test::ScriptedBoxes boxes;
    std::unique_ptr<TMainScreen> window;
    QStringList suggestions;
    QString answer;
};

TEST_F(PrintCommands, EachMenuItemPrintsItsJobFromTheCurrentDate) {
    GoTo(Date{2024, 5, 6});
    DialogWatcher watcher;
    window->PrintcurrentEntryOnly->trigger();
    EXPECT_EQ(watcher.shown, 1);
    EXPECT_EQ(watcher.status, kStatusCompleted);
    // Dates in the user's long format, as the window's caption shows them.
    const std::string monday = LongDateText(Date{2024, 5, 6});
    const std::string wednesday = LongDateText(Date{2024, 5, 8});
    EXPECT_EQ(PdfText(dir.filePath("Diary-20240506.pdf")), monday + " Monday words");

    window->PrintCurrentEntryForwardMerged->trigger();
    EXPECT_EQ(watcher.shown, 2);
    EXPECT_EQ(PdfText(dir.filePath("Diary.pdf")),
              "Diary Entries " + monday + " Monday words " + wednesday + " Wednesday words");

    window->PrintCurrentEntryForwardSeperatePages->trigger();
    EXPECT_EQ(watcher.shown, 3);
    EXPECT_EQ(PdfText(dir.filePath("Diary-20240508.pdf")), wednesday + " Wednesday words");
    // The file is asked once per command; the last answer is offered again.
    ASSERT_EQ(suggestions.size(), 3);
    EXPECT_EQ(suggestions[1], answer);
    // Back on the current day's record, which exists.
    EXPECT_EQ(window->CurrentDate, (Date{2024, 5, 6}));
    EXPECT_TRUE(window->EntryExists);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PrintCommands, NoFileChosenPrintsNothing) {
    GoTo(Date{2024, 5, 8});
    answer.clear();
    DialogWatcher watcher;
    window->PrintCurrentEntryForwardMerged->trigger();
    EXPECT_EQ(watcher.shown, 0);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.pdf"}, QDir::Files).isEmpty());
}

TEST_F(PrintCommands, PrintSetupShowsQtsPrinterDialogOnTheProgramsPrinter) {
    QString title;
    QPrinter* printer = nullptr;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        title = dialog->windowTitle();
        printer = dialog->printer();
        dialog->reject();
    });
    window->PrintSetup1->trigger();
    EXPECT_EQ(title, "Print Setup");
    EXPECT_EQ(printer, &window->SystemPrinter());
}

}  // namespace
}  // namespace quill
