// The shell's process-wide state. Everything here lives for the whole run and is
// touched only on the user-interface thread.
#pragma once

#include <QString>

#include <functional>

class QEvent;
class QMainWindow;
class QMenu;
class QMenuBar;
class QWidget;

namespace zimo {
class PlayerControl;
}

struct ScreenMetricsRecord {
    int screenWidth = 0;
    int screenHeight = 0;
    int captionHeight = 0;
    int menuBarHeight = 0;
};

// The control's own handling of an event on its window, as it was before the shell
// put its own handler in front. Returns whether the control consumed the event.
using PlayerProc = std::function<bool(QEvent*)>;

extern QMainWindow* MainWindow;
extern QWidget* PlayerWindow;
extern zimo::PlayerControl* PlayerControl;
extern QMenu* ContextMenu;
extern QMenuBar* SavedMenuBar;
extern int CursorTimerId;
extern PlayerProc PreviousPlayerProc;
extern ScreenMetricsRecord ScreenMetrics;
extern bool CursorShown;
extern bool BarsShown;
extern int RotationIndex;
extern QString RepeatValue;
extern unsigned PaintCounter;
extern bool AssociationFlag;
extern bool ShutdownDone;
// Scratch strings for paths, settings values and the command line. They grow as
// needed, so no path is ever cut short.
extern QString PathBufferA;
extern QString PathBufferB;

// Sets the flags and counters to their values at start-up.
void ResetShellState();
