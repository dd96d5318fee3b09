#include "window_procs.h"

#include "files/file_intake.h"
#include "globals.h"
#include "startup.h"

#include <QEvent>
#include <QMainWindow>
#include <QObject>
#include <QWidget>

namespace {

// Qt delivers a window's events to filter objects; these two hand them to the
// shell's handlers.
class MainWindowFilter final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override { return MainWindowProc(event); }
};

class PlayerWindowFilter final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override { return PlayerWindowProc(event); }
};

} // namespace

bool CallPreviousPlayerProc(QEvent* event) {
    return PreviousPlayerProc ? PreviousPlayerProc(event) : false;
}

bool MainWindowProc(QEvent* event) {
    switch (event->type()) {
    case QEvent::Close:
        // Closing the window ends the program: the window goes and shut-down runs.
        event->accept();
        MainWindow->hide();
        Shutdown();
        return true;
    default:
        return false;
    }
}

bool PlayerWindowProc(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        CallPreviousPlayerProc(event);
        TakeCommandLineFile();
        return true;
    default:
        return false;
    }
}

void InstallMainWindowProc(QWidget* window) {
    window->installEventFilter(new MainWindowFilter(window));
}

void InstallPlayerWindowProc(QWidget* window) {
    window->installEventFilter(new PlayerWindowFilter(window));
}
