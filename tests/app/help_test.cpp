#include "app/help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>
#include <set>

#include "app/app_test_support.h"

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

TEST(HelpWindow, ContentsOpensTheHelpFileAtItsTopic) {
    QTemporaryDir dir;
    test::ScriptedBoxes boxes;
    test::WindowUnderTest w;
    w.Make(test::FolderOf(dir), kProgramFolder);
    EXPECT_EQ(w.window->HelpFile(), kProgramFolder + "QUILLBK.HLP");
    QString shownText, shownFile;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* browser = modal->findChild<QTextBrowser*>("HelpBrowser")) {
            shownText = browser->toPlainText();
            shownFile = browser->source().fileName();
        }
        QMetaObject::invokeMethod(modal, "reject");
    });
    w.window->Contents1->trigger();
    EXPECT_EQ(shownFile, "QUILLBK.HLP");
    EXPECT_NE(shownText.indexOf("Quillbook! Help: Contents"), -1);
    EXPECT_TRUE(boxes.shown.empty());
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
