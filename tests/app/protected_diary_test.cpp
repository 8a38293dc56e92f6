// A password-protected diary driven through the real main window: the
// recovery copy, the editing cycle, the date selector's marks, the search
// across entries, printing, pack and rebuild all work on it, and none of
// them leaves an entry's words in the clear anywhere in the diary folder.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/diary_window_fixture.h"
#include "app/look_for_all_dialog.h"
#include "app/recovery_copy.h"
#include "dates/date_text.h"
#include "dates/selector/date_selector.h"
#include "print/pdf_file_question.h"
#include "print/print_status_form.h"
#include "privacy/password_verifier.h"
#include "privacy/privacy_panel.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill {
namespace {

using test::WhenShown;

// Every file under FOLDER (backups included) that holds one of WORDS as
// plain bytes, as "file: word".
std::vector<std::string> FilesHolding(const std::string& folder, const std::vector<std::string>& words) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        if (!e.is_regular_file()) continue;
        const std::string bytes = test::ReadFile(e.path().string());
        for (const std::string& w : words)
            if (bytes.find(w) != std::string::npos) found.push_back(e.path().string() + ": " + w);
    }
    return found;
}

class ProtectedDiaryTest : public test::DiaryWindowTest {
protected:
    void SetUp() override {
        xb::xb_SetPassword("");
        {
            DiaryStorage s(folder);
            ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
            s.ChangePassword("KEY");
        }
        std::ofstream(folder + "QB.INI") << "[Security]\nPassword=" << MakePasswordVerifier("KEY") << "\n";
        OpenAndUnlock();
    }
    void TearDown() override {
        window.reset();
        xb::xb_SetPassword("");
    }
    void OpenAndUnlock() {
        xb::xb_SetPassword("");
        Open();
        ASSERT_TRUE(W().Locked());
        W().PrivacyPanel->Pass->setText("KEY");
        W().PrivacyPanel->BitBtn1->click();
        ASSERT_FALSE(W().Locked());
        Editor()->setFocus();
    }
};

TEST_F(ProtectedDiaryTest, TheRecoveryCopyIsSealedAndComesBackOnlyAfterTheGate) {
    W().SetRecoveryDelay(30);
    GoTo(Date{2026, 6, 1});
    QTest::keyClicks(Editor(), "Zeppelin marmalade");
    QTRY_VERIFY_WITH_TIMEOUT(W().Recovery().Exists(), 5000);
    const auto page = W().Recovery().Read();
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->sealed);
    EXPECT_EQ(page->day, (Date{2026, 6, 1}));
    EXPECT_EQ(FilesHolding(folder, {"Zeppelin", "marmalade"}), std::vector<std::string>{});

    // What a killed program leaves: the window gone without its close path.
    Drop();
    xb::xb_SetPassword("");
    boxes.shown.clear();
    boxes.answers = {true};
    Open();
    ASSERT_TRUE(W().Locked());
    EXPECT_TRUE(boxes.shown.empty()) << "nothing is asked behind the gate";
    W().PrivacyPanel->Pass->setText("KEY");
    W().PrivacyPanel->BitBtn1->click();
    ASSERT_FALSE(W().Locked());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QString("Restore the unsaved text of %1?")
                                       .arg(QString::fromStdString(LongDateText(Date{2026, 6, 1}))));
    EXPECT_EQ(W().CurrentDate, (Date{2026, 6, 1}));
    EXPECT_EQ(PageText(), "Zeppelin marmalade");
    EXPECT_TRUE(Pending());
    W().SaveButton->click();
    EXPECT_FALSE(W().Recovery().Exists());
    EXPECT_NE(Stored(Date{2026, 6, 1}).find("Zeppelin marmalade"), std::string::npos);
    EXPECT_EQ(FilesHolding(folder, {"Zeppelin", "marmalade"}), std::vector<std::string>{});
}

TEST_F(ProtectedDiaryTest, AKilledProgramsSealedCopyIsOfferedBackAfterTheGate) {
    Drop();
    QProcess helper;
    helper.start(SESSION_HELPER, {QString::fromStdString(folder), "kill", "Quokka lantern", "KEY"});
    ASSERT_TRUE(helper.waitForFinished(30000));
    ASSERT_EQ(helper.exitStatus(), QProcess::CrashExit) << helper.readAllStandardError().toStdString();
    ASSERT_TRUE(RecoveryCopy(folder).Exists());
    EXPECT_EQ(FilesHolding(folder, {"Quokka", "lantern"}), std::vector<std::string>{});

    boxes.shown.clear();
    boxes.answers = {true};
    OpenAndUnlock();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QString("Restore the unsaved text of %1?")
                                       .arg(QString::fromStdString(LongDateText(Today()))));
    EXPECT_EQ(PageText(), "Quokka lantern");
    W().SaveButton->click();
    EXPECT_FALSE(RecoveryCopy(folder).Exists());
    EXPECT_EQ(FilesHolding(folder, {"Quokka", "lantern"}), std::vector<std::string>{});
}

TEST_F(ProtectedDiaryTest, ACopyTheKeyDoesNotOpenIsKeptAsideAndTheUserTold) {
    const Date day{2026, 6, 2};
    struct Case {
        const char* name;
        std::string sealed;
    } cases[] = {
        {"not a seal", "garbage that is no seal"},
        {"another day's seal", {}},
    };
    // A genuine seal, but of another day: it must not pass for this one.
    ASSERT_TRUE(W().Store()->SealOwnText("{\\rtf1 other}", RecoveryBinding(Date{2026, 6, 3}), cases[1].sealed));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drop();
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().filename().string().rfind("QUILLBK.RECOVER.KEPT", 0) == 0) std::filesystem::remove(e.path());
        RecoveryCopy(folder).Write(day, c.sealed, true);
        const std::string bytes = test::ReadFile(RecoveryCopy(folder).Path());
        boxes.shown.clear();
        OpenAndUnlock();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(boxes.shown[0].text.contains("cannot be opened with this diary's password")) << boxes.shown[0].text.toStdString();
        EXPECT_TRUE(boxes.shown[0].text.contains("QUILLBK.RECOVER.KEPT1"));
        EXPECT_FALSE(RecoveryCopy(folder).Exists());
        EXPECT_EQ(test::ReadFile(RecoveryCopy(folder).Path() + ".KEPT1"), bytes);
        EXPECT_FALSE(Pending());
    }
}

TEST(RecoveryCopyFile, KeepAsideNeverReplacesAnEarlierKeptCopy) {
    QTemporaryDir dir;
    const std::string folder = test::FolderOf(dir);
    RecoveryCopy copy(folder);
    copy.Write(Date{2026, 1, 1}, "first", true);
    EXPECT_EQ(copy.KeepAside(), copy.Path() + ".KEPT1");
    copy.Write(Date{2026, 1, 2}, "second", true);
    EXPECT_EQ(copy.KeepAside(), copy.Path() + ".KEPT2");
    EXPECT_FALSE(copy.Exists());
    EXPECT_NE(test::ReadFile(copy.Path() + ".KEPT1").find("first"), std::string::npos);
    EXPECT_NE(test::ReadFile(copy.Path() + ".KEPT2").find("second"), std::string::npos);
    EXPECT_EQ(copy.KeepAside(), "") << "no copy to move";
}

TEST_F(ProtectedDiaryTest, EverythingWorksAndNoWordIsLeftInTheClear) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
    const std::vector<std::string> words = {"Albatross", "Bergamot", "Cormorant", "Dulcimer", "Escarpment"};
    W().SetRecoveryDelay(20);
    const Date days[] = {Date{2026, 11, 3}, Date{2026, 11, 9}, Date{2026, 11, 20}, Date{2026, 11, 25}};
    for (int i = 0; i < 4; ++i) {
        GoTo(days[i]);
        QTest::keyClicks(Editor(), QString::fromStdString(words[size_t(i)] + " was here"));
        QTest::qWait(60);  // a recovery copy is written meanwhile
        W().SaveButton->click();
        ASSERT_FALSE(Pending());
    }
    // The editing cycle: an edit of a saved page, and an emptied page.
    GoTo(days[1]);
    QTest::keyClicks(Editor(), "Escarpment ");
    W().SaveButton->click();
    EXPECT_NE(Stored(days[1]).find("Escarpment Bergamot was here"), std::string::npos);
    GoTo(days[3]);
    SelectAllAndDelete();
    W().SaveButton->click();
    EXPECT_EQ(Stored(days[3]), "");

    // The date selector's marks.
    std::vector<std::string> marks;
    WhenShown<TDateSelector>([&](TDateSelector* d) {
        marks = d->MarkedDays();
        QTest::mouseClick(d->CancelButton, Qt::LeftButton);
    });
    GoTo(days[0]);
    W().CalendarButton->click();
    EXPECT_EQ(marks, (std::vector<std::string>{"3", "9", "20"}));

    // The search across entries finds a word of the sealed texts.
    GoTo(Date{2026, 1, 1});
    WhenShown<TLookForAll>([](TLookForAll* d) {
        QTest::keyClicks(d->LookForText, "cormorant");
        QTest::keyClick(d->LookForText, Qt::Key_Return);
    });
    W().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&W()));
    QTest::keyClick(Editor(), Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(W().CurrentDate, days[2]);
    EXPECT_EQ(PageText(), "Cormorant was here");

    // Printing, merged into one PDF outside the diary folder.
    QTemporaryDir out;
    const QString pdf = out.filePath("Diary.pdf");
    W().PrinterCount = [] { return 1; };
    W().SystemPrinter().setOutputFormat(QPrinter::PdfFormat);
    SetPdfFileAsker([pdf](QWidget*, const QString&) { return pdf; });
    GoTo(days[0]);
    boxes.shown.clear();
    // The dialog stays with its OK button once the job is over: press it.
    std::string status;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TPrintStatusForm*>(QApplication::activeModalWidget());
        if (!form || !form->JobOver()) return;
        status = form->StatusText().toStdString();
        QTest::mouseClick(form->CancelButton, Qt::LeftButton);
    });
    press.start(20);
    W().PrintCurrentEntryForwardMerged->trigger();
    press.stop();
    EXPECT_EQ(status, kStatusCompleted);
    SetPdfFileAsker({});
    for (const auto& b : boxes.shown) ADD_FAILURE() << b.text.toStdString();
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const std::string printed = text.readAllStandardOutput().toStdString();
    for (const char* w : {"Albatross was here", "Escarpment Bergamot was here", "Cormorant was here"})
        EXPECT_NE(printed.find(w), std::string::npos) << w << " in\n" << printed;

    // Pack and rebuild; the entries read back the same after it.
    boxes.shown.clear();
    W().RebuildIndexes1->trigger();
    for (const auto& b : boxes.shown) ADD_FAILURE() << b.text.toStdString();
    EXPECT_NE(Stored(days[0]).find("Albatross was here"), std::string::npos);
    EXPECT_NE(Stored(days[2]).find("Cormorant was here"), std::string::npos);
    EXPECT_EQ(Stored(days[3]), "");

    W().close();
    window.reset();
    EXPECT_EQ(FilesHolding(folder, words), std::vector<std::string>{});
}

}  // namespace
}  // namespace quill
