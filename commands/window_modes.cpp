#include "window_modes.h"

#include "menus.h"
#include "screen_saver.h"
#include "shell/globals.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimerEvent>
#include <QWindow>

namespace {

// The cursor timer is a plain timer of the event loop; this object only receives it.
class CursorTimerHost final : public QObject {
protected:
    void timerEvent(QTimerEvent* event) override { CursorTimerProc(event->timerId()); }
};

QObject* CursorTimerOwner() {
    static auto* host = new CursorTimerHost;
    return host;
}

void KillCursorTimer() {
    if (CursorTimerId != 0) CursorTimerOwner()->killTimer(CursorTimerId);
    CursorTimerId = 0;
}

// Changes one window flag of the main window. A window already on the screen stays
// mapped: the new flags go straight to the window system.
void SetMainWindowFlag(Qt::WindowType flag, bool on) {
    Qt::WindowFlags flags = MainWindow->windowFlags();
    flags.setFlag(flag, on);
    if (flags == MainWindow->windowFlags()) return;
    if (QWindow* handle = MainWindow->windowHandle()) {
        MainWindow->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        MainWindow->setWindowFlags(flags);
    }
}

// The window's place and size before full screen, as the window system's restore
// gives it back: the client area of the last normal (not maximised) presentation.
QRect NormalPlacement;

// The caption goes once the window system has put the window in full screen. Taken away
// before, it leaves a window system that draws the frame in the program (Wayland's
// client-side decorations) remembering the normal size without the frame, and each
// return from full screen would shrink the window by the frame.
bool CaptionGoesWhenFull = false;

void DropCaptionWhenFull() {
    const QScreen* screen = MainWindow->screen();
    if (!CaptionGoesWhenFull || !MainWindow->isFullScreen() || !screen ||
        MainWindow->size() != screen->size())
        return;
    CaptionGoesWhenFull = false;
    SetCaptionVisible(false);
}

QMargins FrameMargins() {
    const QWindow* handle = MainWindow->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

// For a moment after full screen ends, the window system may still answer with a size of
// its own: a Wayland compositor's late reply, reckoned with or without the frame the
// program draws, can leave the window smaller or larger than before by just that frame.
// Such a size is taken back to the normal placement; any other size (the user's) stays.
constexpr int kPlacementHoldMs = 3000;
QElapsedTimer PlacementHold;

void KeepNormalPlacement() {
    if (!PlacementHold.isValid() || PlacementHold.elapsed() > kPlacementHoldMs) return;
    if (IsZoomed() || !NormalPlacement.isValid()) return;
    const QMargins frame = FrameMargins();
    const QSize size = MainWindow->size();
    if (frame.isNull() || (size != NormalPlacement.marginsRemoved(frame).size() &&
                           size != NormalPlacement.marginsAdded(frame).size()))
        return;
    PlacementHold.invalidate();
    MainWindow->resize(NormalPlacement.size());
}

} // namespace

bool IsZoomed() {
    return MainWindow && (MainWindow->isMaximized() || MainWindow->isFullScreen());
}

bool HasCaption() {
    return MainWindow && !MainWindow->windowFlags().testFlag(Qt::FramelessWindowHint);
}

void SetCursorVisible(bool show) {
    if (show) KillCursorTimer();
    if (show == CursorShown) return;
    // The override cursor is a stack, like a display count; CursorShown keeps it at
    // most one step deep.
    if (show)
        QGuiApplication::restoreOverrideCursor();
    else
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    CursorShown = show;
}

void SetScreenSaverActive(bool active) {
    if (active)
        ReleaseScreenSaver();
    else
        InhibitScreenSaver();
}

void SetMenuBarVisible(bool show) {
    if (show && SavedMenuBar) {
        SavedMenuBar->setVisible(true);
        return;
    }
    if (QMenuBar* bar = AttachedMenuBar()) SavedMenuBar = bar;
    if (SavedMenuBar) SavedMenuBar->setVisible(false);
}

void SetCaptionVisible(bool show) {
    SetMainWindowFlag(Qt::FramelessWindowHint, !show);
}

void EnterFullScreen() {
    NormalPlacement = MainWindow->normalGeometry();
    CaptionGoesWhenFull = true;
    SetMenuBarVisible(false);
    MainWindow->showFullScreen();
    DropCaptionWhenFull();
    SetScreenSaverActive(false);
    StartCursorTimer();
}

void MainWindowResized() {
    DropCaptionWhenFull();
    KeepNormalPlacement();
}

void LeaveFullScreen() {
    CaptionGoesWhenFull = false;
    MainWindow->showNormal();
    if (BarsShown) {
        SetCaptionVisible(true);
        SetMenuBarVisible(true);
    }
    // Whatever the window manager remembered across the frame's changes, the window
    // goes back to its normal placement, also when it was maximised before.
    if (NormalPlacement.isValid()) MainWindow->setGeometry(NormalPlacement);
    PlacementHold.start();
    SetScreenSaverActive(true);
    SetCursorVisible(true);
}

void ToggleFullScreen() {
    // The mode follows the mark alone, never the window's actual state.
    const bool on = ToggleMenuCheck(CurrentMenu(), 9);
    ToggleMenuCheck(ContextMenu, 9);
    if (on)
        EnterFullScreen();
    else
        LeaveFullScreen();
}

void SetTopmost(bool on) {
    SetMainWindowFlag(Qt::WindowStaysOnTopHint, on);
}

void ToggleTopmost() {
    ToggleMenuCheck(CurrentMenu(), 10);
    const bool on = ToggleMenuCheck(ContextMenu, 10);
    SetTopmost(on);
}

void StartCursorTimer() {
    KillCursorTimer();
    CursorTimerId = CursorTimerOwner()->startTimer(CursorHideDelay);
}

void CursorTimerProc(int timerId) {
    // The timer fires once.
    if (timerId != CursorTimerId) return;
    KillCursorTimer();
    if (!MainWindow) return;
    const QRect frame = MainWindowRect();
    const int y = QCursor::pos().y() - frame.top();
    // A cursor resting on the control panel's band stays visible.
    if (IsZoomed() && !HasCaption() && y < frame.height() - ControlBandHeight)
        SetCursorVisible(false);
}

void ToggleCompactMode() {
    if (IsZoomed()) return;
    const bool compact = ToggleMenuCheck(ContextMenu, 14);
    // The frame as it is before the bars go or come back.
    const QRect frame = MainWindowRect();
    const QMargins margins = FrameMargins();
    SetMenuBarVisible(!compact);
    SetCaptionVisible(!compact);
    BarsShown = !compact;
    // The top edge moves by the caption and the menu bar, so the picture keeps its
    // place and size on the screen. A frame's side and bottom borders go and come
    // with the caption; the picture stays put across them too.
    const int d = ScreenMetrics.captionHeight + ScreenMetrics.menuBarHeight;
    if (compact) {
        MainWindow->setGeometry(frame.left() + margins.left(), frame.top() + d,
                                frame.width() - margins.left() - margins.right(),
                                frame.height() - d - margins.bottom());
    } else {
        // The window system puts its frame around the client area placed here: the
        // frame's top edge ends d higher than the frameless window's.
        MainWindow->setGeometry(frame.left(), frame.top() - ScreenMetrics.menuBarHeight,
                                frame.width(), frame.height() + ScreenMetrics.menuBarHeight);
    }
}

QRect MainWindowRect() {
    // The window system's frame as it is now; the widget's own idea of its frame may
    // lag behind a change of the window flags.
    if (const QWindow* handle = MainWindow->windowHandle()) return handle->frameGeometry();
    return MainWindow->frameGeometry();
}

void SetFrameGeometry(const QRect& frame) {
    const QMargins margins = FrameMargins();
    MainWindow->setGeometry(frame.marginsRemoved(margins));
}
