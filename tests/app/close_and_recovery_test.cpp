// Nothing typed is lost when the session ends: a confirmed close saves a
// pending edit whatever asked for it, SIGTERM saves it, and a killed program
// leaves a recovery copy that the next start offers back.
#include <QProcess>

#include "app/diary_window_fixture.h"
#include "app/recovery_copy.h"
#include "dates/date_text.h"
#include "storage/entry_text.h"

namespace quill {
namespace {

class CloseAndRecoveryTest : public test::DiaryWindowTest {};

TEST_F(CloseAndRecoveryTest, AConfirmedCloseSavesThePendingEdit) {
    struct Case {
        const char* name;
        std::function<bool(TMainScreen&)> close;  // true when the window closed
    } cases[] = {
        {"frame close", [](TMainScreen& m) { return m.close(); }},
        {"Alt+F4 / window manager", [](TMainScreen& m) {
             QCloseEvent e;
             QApplication::sendEvent(&m, &e);
             return e.isAccepted();
         }},
        {"E&xit", [](TMainScreen& m) {
             m.exit1->trigger();
             return !m.isVisible();
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        const Date at{2026, 9, 1 + n++};
        GoTo(at);
        QTest::keyClicks(Editor(), c.name);
        // No: everything stays as it was, the edit still pending.
        boxes.answers = {false};
        EXPECT_FALSE(c.close(W())) << c.name;
        EXPECT_EQ(PageText(), c.name);
        EXPECT_TRUE(W().isVisible()) << c.name;
        if (std::string(c.name) == "E&xit") {
            // "E&xit" saves before it asks.
            EXPECT_FALSE(Pending());
            EXPECT_NE(Stored(at).find(c.name), std::string::npos);
            QTest::keyClicks(Editor(), "+");
        } else {
            EXPECT_TRUE(Pending()) << c.name;
            EXPECT_EQ(Stored(at), "") << c.name;
        }
        // Yes: saved, then closed.
        boxes.answers = {true};
        EXPECT_TRUE(c.close(W())) << c.name;
        EXPECT_FALSE(Pending()) << c.name;
        EXPECT_NE(Stored(at).find(c.name), std::string::npos) << c.name;
        EXPECT_FALSE(W().Recovery().Exists());
        W().show();
    }
}

TEST_F(CloseAndRecoveryTest, SessionEndSavesWithoutAsking) {
    GoTo(Date{2026, 9, 9});
    QTest::keyClicks(Editor(), "log-out");
    boxes.shown.clear();
    W().SaveForSessionEnd();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(Pending());
    EXPECT_NE(Stored(Date{2026, 9, 9}).find("log-out"), std::string::npos);
}

TEST_F(CloseAndRecoveryTest, SigtermSavesThePendingEditOfARunningProgram) {
    Drop();
    QProcess helper;
    helper.start(SESSION_HELPER, {QString::fromStdString(folder), "term", "Written before log-out"});
    ASSERT_TRUE(helper.waitForFinished(30000));
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit) << helper.readAllStandardError().toStdString();
    EXPECT_EQ(helper.exitCode(), 0);
    Open();
    EXPECT_TRUE(W().EntryExists);
    EXPECT_EQ(PageText(), "Written before log-out");
    EXPECT_FALSE(RecoveryCopy(folder).Exists());
}

TEST(RecoveryCopyFile, WritesReadsAndRefusesWhatIsNotACopy) {
    QTemporaryDir dir;
    const std::string folder = test::FolderOf(dir);
    RecoveryCopy copy(folder);
    EXPECT_FALSE(copy.Exists());
    EXPECT_FALSE(copy.Read());
    copy.Write(Date{2024, 2, 29}, std::string("{\\rtf1 a\r\nb\0c}", 14));
    auto page = copy.Read();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->day, (Date{2024, 2, 29}));
    EXPECT_EQ(page->text, std::string("{\\rtf1 a\r\nb\0c}", 14));
    copy.Write(Date{2024, 3, 1}, "second");
    EXPECT_EQ(copy.Read()->text, "second");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(copy.Path() + ".new")));

    // Cut short, grown, or someone else's file: not a copy.
    const std::string whole = test::ReadFile(copy.Path());
    for (const std::string& bad : {whole.substr(0, whole.size() - 1), whole + "x", std::string("hello"),
                                   std::string("Quillbook recovery copy 1\n20241399\n1\nx")}) {
        std::ofstream(copy.Path(), std::ios::binary | std::ios::trunc) << bad;
        EXPECT_FALSE(copy.Read()) << bad;
    }
    copy.Remove();
    EXPECT_FALSE(copy.Exists());
}

TEST_F(CloseAndRecoveryTest, ThePageIsCopiedWhileTypingPausesAndRemovedOnSaveOrCancel) {
    W().SetRecoveryDelay(30);
    GoTo(Date{2026, 10, 1});
    QTest::keyClicks(Editor(), "draft");
    EXPECT_FALSE(W().Recovery().Exists()) << "not while typing";
    QTRY_VERIFY_WITH_TIMEOUT(W().Recovery().Exists(), 5000);
    auto page = W().Recovery().Read();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->day, (Date{2026, 10, 1}));
    EXPECT_EQ(page->text, Editor()->SaveToRtfText());
    W().SaveButton->click();
    EXPECT_FALSE(W().Recovery().Exists());

    QTest::keyClicks(Editor(), "more ");
    QTRY_VERIFY_WITH_TIMEOUT(W().Recovery().Exists(), 5000);
    W().CancelButton->click();
    EXPECT_FALSE(W().Recovery().Exists());
    QTest::qWait(100);
    EXPECT_FALSE(W().Recovery().Exists()) << "no copy of a page without an edit";
}

TEST_F(CloseAndRecoveryTest, AKilledProgramsPageIsOfferedBackOnTheNextStart) {
    Drop();
    for (bool restore : {false, true}) {
        QProcess helper;
        helper.start(SESSION_HELPER, {QString::fromStdString(folder), "kill", "Half a thought"});
        ASSERT_TRUE(helper.waitForFinished(30000));
        ASSERT_EQ(helper.exitStatus(), QProcess::CrashExit) << helper.readAllStandardError().toStdString();
        ASSERT_TRUE(RecoveryCopy(folder).Exists());

        boxes.shown.clear();
        boxes.answers = {restore};
        Open();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].caption, "Confirm");
        EXPECT_EQ(boxes.shown[0].text,
                  QString("Restore the unsaved text of %1?").arg(QString::fromStdString(LongDateText(Today()))));
        EXPECT_EQ(W().CurrentDate, Today());
        if (!restore) {
            EXPECT_FALSE(RecoveryCopy(folder).Exists());
            EXPECT_TRUE(Editor()->IsTextEmpty());
            EXPECT_FALSE(Pending());
            Drop();
            continue;
        }
        EXPECT_EQ(PageText(), "Half a thought");
        EXPECT_TRUE(Pending()) << "restored, not yet saved";
        EXPECT_TRUE(RecoveryCopy(folder).Exists()) << "kept until saved or cancelled";
        W().SaveButton->click();
        EXPECT_FALSE(RecoveryCopy(folder).Exists());
        EXPECT_NE(Stored(Today()).find("Half a thought"), std::string::npos);
    }
}

}  // namespace
}  // namespace quill
