#include "window_procs.h"

#include "channel/movie_channel.h"
#include "commands/command_event.h"
#include "commands/dispatch.h"
#include "commands/layout_keys.h"
#include "commands/wheel_resize.h"
#include "commands/window_modes.h"
#include "files/file_intake.h"
#include "shell/globals.h"
#include "shell/startup.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QObject>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <optional>

namespace {

// Qt delivers a window's events to filter objects; these two hand them to the
// shell's handlers.
class MainWindowFilter final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == MainWindow && MainWindowProc(event);
    }
};

class PlayerWindowFilter final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override { return PlayerWindowProc(event); }
};

// Where the left button went down on the picture above the band, while the window
// may still be dragged from there. The system's move starts with the first movement,
// so that a click, and the second click of a double click, reach the shell as usual.
std::optional<QPointF> DragStart;

// Whether a point of the player window lies above the control panel's band.
bool AboveControlBand(const QPointF& position) {
    return PlayerWindow && position.y() < PlayerWindow->height() - ControlBandHeight;
}

// The seven keys. Every key press ends here; the control never sees one, except
// those with Alt held (system keys), which go on to it like any other event.
bool HandleKeyPress(QKeyEvent* event) {
    if (event->modifiers().testFlag(Qt::AltModifier) || event->key() == Qt::Key_F10)
        return CallPreviousPlayerProc(event);
    switch (ShellKey(event)) {
    case Qt::Key_Escape:
        if (IsZoomed())
            ToggleFullScreen();
        else
            CloseMainWindow();
        break;
    case Qt::Key_Up:
        VolumeUp();
        break;
    case Qt::Key_Down:
        VolumeDown();
        break;
    case Qt::Key_F:
        ToggleFullScreen();
        break;
    case Qt::Key_L:
        RotateStep(RotateDirection::Left);
        break;
    case Qt::Key_M:
        ToggleMute();
        break;
    case Qt::Key_R:
        RotateStep(RotateDirection::Right);
        break;
    default:
        break;
    }
    return true;
}

bool HandleMouseMove(QMouseEvent* event) {
    if (DragStart && event->buttons().testFlag(Qt::LeftButton) && event->position() != *DragStart) {
        DragStart.reset();
        if (!IsZoomed() && MainWindow->windowHandle()) {
            MainWindow->windowHandle()->startSystemMove();
            return true;
        }
    }
    if (IsZoomed() && !HasCaption()) {
        SetCursorVisible(true);
        StartCursorTimer();
    }
    CallPreviousPlayerProc(event);
    return true;
}

bool HandleButtonPress(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (IsZoomed()) SetCursorVisible(true);
        if (ContextMenu) ContextMenu->exec(event->globalPosition().toPoint());
        return true;
    }
    if (event->button() != Qt::LeftButton) return CallPreviousPlayerProc(event);
    // Clicks on the control panel's band belong to the movie.
    if (!AboveControlBand(event->position())) return CallPreviousPlayerProc(event);
    // Above it the picture is a handle that moves the window.
    if (!IsZoomed()) DragStart = event->position();
    return true;
}

bool HandleDoubleClick(QMouseEvent* event) {
    DragStart.reset();
    if (event->button() == Qt::LeftButton && AboveControlBand(event->position()))
        ToggleFullScreen();
    return true;
}

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
    case QEvent::Resize:
        MainWindowResized();
        return false;
    case QEvent::Wheel: {
        // Only the vertical wheel resizes, a step for each whole notch.
        const int notch = WheelNotch(static_cast<QWheelEvent*>(event)->angleDelta().y());
        if (notch != 0) WheelResize(notch * WheelNotchDelta);
        return true;
    }
    default:
        if (event->type() == CommandEventType) {
            const auto* command = static_cast<CommandEvent*>(event);
            if (command->source == CommandSource::Menu) DispatchCommand(command->id);
            return true;
        }
        return false;
    }
}

bool PlayerWindowProc(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        CallPreviousPlayerProc(event);
        TakeCommandLineFile();
        return true;
    case QEvent::KeyPress:
        return HandleKeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::MouseMove:
        return HandleMouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) DragStart.reset();
        return false;
    case QEvent::MouseButtonPress:
        return HandleButtonPress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonDblClick:
        return HandleDoubleClick(static_cast<QMouseEvent*>(event));
    case QEvent::ContextMenu:
        // The context menu opens on the right button's press, not again on its release.
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (CarriesDroppedFile(drag))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        TakeDroppedFile(drop);
        drop->acceptProposedAction();
        return true;
    }
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
