#include "app/session_end.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>

#include "app/main_screen.h"

namespace quill {

namespace {

// A signal handler may only write to a descriptor; the message loop reads
// the other end and does the saving.
int signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void WatchSessionEnd(QApplication& app, TMainScreen& window) {
    QPointer<TMainScreen> guarded(&window);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [guarded](QSessionManager&) {
        if (guarded) guarded->SaveForSessionEnd();
    });

    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [guarded, &app] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        if (guarded) guarded->SaveForSessionEnd();
        // Not quit(): that asks the windows to close, and "Exit program?"
        // has no one to answer it now.
        app.exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(s, &action, nullptr);
}

}  // namespace quill
