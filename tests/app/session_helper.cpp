// A diary session in a process of its own, for the tests that end it the
// hard way: "kill" types into today's page, waits for the recovery copy and
// dies by SIGKILL; "term" types and then receives SIGTERM as a desktop's
// log-out sends it.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "app/session_end.h"
#include "privacy/privacy_panel.h"
#include "richtext/widget/rich_text.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s FOLDER kill|term TEXT [PASSWORD]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    quill::SetAskBoxHandler([](const QString&, const QString&, QMessageBox::StandardButtons,
                               QMessageBox::Icon) { return QMessageBox::No; });
    quill::MainScreenSetup setup;
    setup.diaryFolder = argv[1];
    quill::TMainScreen window(setup, quill::MakeDiaryStore());
    if (!window.TableOpen()) return 3;
    window.SetRecoveryDelay(50);
    window.show();
    QApplication::processEvents();
    if (argc == 5) {  // a protected diary: through the gate first
        window.PrivacyPanel->Pass->setText(argv[4]);
        window.PrivacyPanel->BitBtn1->click();
        if (window.Locked()) return 5;
        window.RichText1->setFocus();
    }
    QTest::keyClicks(window.RichText1, argv[3]);

    if (std::strcmp(argv[2], "kill") == 0) {
        QElapsedTimer waited;
        waited.start();
        while (!window.Recovery().Exists() && waited.elapsed() < 10000) QTest::qWait(20);
        // Still typing when the machine dies: the last words are not in the copy.
        QTest::keyClicks(window.RichText1, " lost");
        ::kill(::getpid(), SIGKILL);
        return 4;
    }
    quill::WatchSessionEnd(app, window);
    ::kill(::getpid(), SIGTERM);
    return app.exec();
}
