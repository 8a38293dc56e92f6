#include "app/help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTest>
#include <QTimer>
#include <QPushButton>
#include <set>

#include "app/app_test_support.h"
#include "richtext/widget/rich_text.h"

namespace quill {
namespace {

const QString kProgramFolder = QStringLiteral(QUILLBOOK_BIN_DIR "/");

TEST(HelpFile, EveryTopicLinkLeadsToATopicAndTheContentsTopicExists) {
    QFile file(kProgramFolder + kHelpFileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "help file not beside the program";
    const QString html = QString::fromUtf8(file.readAll());
    std::set<QString> anchors, links;
    for (const auto& m : QRegularExpression("name=\"([^\"]+)\"").globalMatch(html))
        anchors.insert(m.captured(1));
    for (const auto& m : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html))
        links.insert(m.captured(1));
    EXPECT_TRUE(anchors.count(HelpTopicAnchor(kHelpContentsTopic)));
    EXPECT_FALSE(links.empty());
    for (const QString& link : links) EXPECT_TRUE(anchors.count(link)) << link.toStdString();
    // The commands of the menus and the action bar are described.
    for (const char* command : {"Select or Change Password", "Rebuild Indexes", "Print Setup",
                                "Find entry containing", "Default Font", "Insert Today",
                                "Hide", "Exit program?"})
        EXPECT_NE(html.indexOf(command), -1) << command;
    // How to go back to the files kept before the last pack.
    EXPECT_NE(html.indexOf("backups/before-pack-"), -1);
    EXPECT_NE(html.indexOf("href=\"#topic1018\""), -1);
}

TEST(HelpWindow, ContentsOpensAReadableWindowBesideTheDiaryNamingTheFolderInUse) {
    QTemporaryDir dir;
    test::ScriptedBoxes boxes;
    test::WindowUnderTest w;
    w.Make(test::FolderOf(dir), kProgramFolder);
    w.window->show();
    w.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.window.get()));
    EXPECT_EQ(w.window->HelpFile(), kProgramFolder + "QUILLBK.HLP");
    // F1 opens the contents.
    QTest::keyClick(w.window->RichText1, Qt::Key_F1);
    QDialog* help = OpenHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal()) << "the diary stays usable beside it";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_GE(help->width(), 600);
    EXPECT_GE(help->height(), 480);
    auto* browser = help->findChild<QTextBrowser*>("HelpBrowser");
    ASSERT_NE(browser, nullptr);
    const QString text = browser->toPlainText();
    EXPECT_NE(text.indexOf("Quillbook! Help: Contents"), -1);
    EXPECT_NE(text.indexOf(dir.path() + "/"), -1) << "names the folder in use";
    EXPECT_EQ(text.indexOf(kHelpTextDiaryFolder), -1);
    // Typing goes on in the diary while help is open; a second request
    // raises the same window.
    QTest::keyClicks(w.window->RichText1, "x");
    EXPECT_FALSE(w.window->SaveButton->isHidden());
    w.window->Contents1->trigger();
    EXPECT_EQ(OpenHelpWindow(), help);
    EXPECT_TRUE(boxes.shown.empty());
    help->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(OpenHelpWindow(), nullptr);
}

TEST(HelpWindow, MissingHelpFileIsReported) {
    QTemporaryDir dir;
    test::ScriptedBoxes boxes;
    const QString missing = dir.filePath("QUILLBK.HLP");
    EXPECT_FALSE(ShowHelpTopic(nullptr, missing, kHelpContentsTopic));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Cannot open file " + missing);
}

}  // namespace
}  // namespace quill
