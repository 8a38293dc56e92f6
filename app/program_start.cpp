#include "app/program_start.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <cstdio>

#include "app/diary_folder.h"
#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "app/printer_list.h"
#include "app/session_end.h"
#include "app/single_instance.h"
#include "app/splash_form.h"

namespace quill {

QString ProgramFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

int RunQuillbook(QApplication& app, const StartOptions& options) {
    CheckPrinterList();

    // The lock file lives in the diary folder, so the folder comes first.
    EnsureDiaryFolder(options.diaryFolder);
    InstanceLock lock;  // held until the program ends
    if (lock.IsAnotherInstanceRunning(options.diaryFolder)) {
        std::fprintf(stderr, "%s\n", kAlreadyRunningMessage);
        ShowInformation(kAlreadyRunningMessage);
        return 1;
    }

    QPointer<TSplashform> splash = new TSplashform;
    splash->show();
    app.processEvents();

    QCoreApplication::setApplicationName("Quillbook!");
    // The desktop entry's name, so that the desktop matches the window to it.
    QGuiApplication::setDesktopFileName("io.github.quillbook.Quillbook");
    QIcon icon(options.programFolder + "quillbook.png");
    if (icon.isNull()) icon = QIcon::fromTheme("io.github.quillbook.Quillbook");
    QApplication::setWindowIcon(icon);

    MainScreenSetup setup;
    setup.diaryFolder = WithTrailingSeparator(options.diaryFolder);
    setup.programFolder = options.programFolder;
    setup.splash = splash;
    TMainScreen main(setup, options.makeStore());
    int code = 0;
    if (!main.ClosedAtStart()) {
        WatchSessionEnd(app, main);
        main.show();
        if (options.runMessageLoop) code = app.exec();
    }
    delete splash;  // still there only when the main window never took over
    return code;
}

}  // namespace quill
