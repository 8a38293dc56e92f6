#pragma once
// The desktop ending the session (log-out, shutdown, SIGTERM, SIGHUP): the
// main window saves a pending edit before the program goes.

class QApplication;

namespace quill {

class TMainScreen;

// Watches for the ends of a session while WINDOW lives: the session
// manager's commit request, and SIGTERM, SIGHUP and SIGINT, which save and
// then quit the message loop.
void WatchSessionEnd(QApplication& app, TMainScreen& window);

}  // namespace quill
