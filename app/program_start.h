#pragma once
// The program's start: printers, the one-copy rule, the splash window, the
// main window and the message loop.

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/diary_store.h"

class QApplication;

namespace quill {

inline constexpr const char* kAlreadyRunningMessage = "Quillbook! is already running";

struct StartOptions {
    std::string diaryFolder;  // the user's files
    QString programFolder;    // program data beside the executable
    std::function<std::unique_ptr<DiaryStore>()> makeStore = MakeDiaryStore;
    bool runMessageLoop = true;  // false: return once the main window is shown
};

// The folder of the running program file, with a trailing "/".
QString ProgramFolder();

// Runs the program; answers its exit code (1 when another copy runs).
int RunQuillbook(QApplication& app, const StartOptions& options);

}  // namespace quill
