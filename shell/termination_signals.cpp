// POSIX signals reach the event loop through a pipe: the handler only writes a byte to
// it, and a notifier on the other end does the rest on the user-interface thread.
#include "termination_signals.h"

#include "commands/dispatch.h"
#include "globals.h"
#include "startup.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int SignalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request to end.
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
    errno = saved;
}

void EndAsAsked() {
    char bytes[16];
    while (read(SignalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (MainWindow)
        CloseMainWindow();
    else
        Shutdown();
}

} // namespace

void HandleTerminationSignals() {
    if (SignalPipe[0] >= 0 || pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { EndAsAsked(); });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}
