// The shell's process-wide state. Everything here lives for the whole run and is
// touched only on the user-interface thread.
#pragma once

#include <QByteArray>
#include <QList>
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
    // The primary screen's top-left corner on the desktop: other screens may lie left of
    // or above it.
    int screenLeft = 0;
    int screenTop = 0;
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
// The program's arguments as the system passed them, bytes and all, the program first
// (the toolkit's own options already taken out).
extern QList<QByteArray> CommandLine;
// The command line's file has been handed to the movie (it goes once per run).
extern bool CommandLineTaken;
extern bool AssociationFlag;
extern bool ShutdownDone;
// Scratch strings for paths, settings values and the command line. They grow as
// needed, so no path is ever cut short.
extern QString PathBufferA;
extern QString PathBufferB;

// Sets the flags and counters to their values at start-up.
void ResetShellState();
