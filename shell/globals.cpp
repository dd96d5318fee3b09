#include "globals.h"

QMainWindow* MainWindow = nullptr;
QWidget* PlayerWindow = nullptr;
zimo::PlayerControl* PlayerControl = nullptr;
QMenu* ContextMenu = nullptr;
QMenuBar* SavedMenuBar = nullptr;
int CursorTimerId = 0;
PlayerProc PreviousPlayerProc;
ScreenMetricsRecord ScreenMetrics;
bool CursorShown = true;
bool BarsShown = true;
int RotationIndex = 1;
QString RepeatValue;
unsigned PaintCounter = 0;
QList<QByteArray> CommandLine;
bool CommandLineTaken = false;
bool AssociationFlag = false;
bool ShutdownDone = false;
QString PathBufferA;
QString PathBufferB;

void ResetShellState() {
    CursorTimerId = 0;
    CursorShown = true;
    BarsShown = true;
    RotationIndex = 1;
    RepeatValue.clear();
    PaintCounter = 0;
    CommandLineTaken = false;
    AssociationFlag = false;
    ShutdownDone = false;
    PathBufferA.clear();
    PathBufferB.clear();
}
