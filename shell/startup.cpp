#include "startup.h"

#include "channel/movie_channel.h"
#include "commands/dispatch.h"
#include "commands/menus.h"
#include "commands/window_modes.h"
#include "files/association.h"
#include "files/file_intake.h"
#include "files/settings.h"
#include "globals.h"
#include "main_window.h"
#include "movie_deploy.h"
#include "player_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QWidget>

namespace {

void ShowInstallError() {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                    QStringLiteral("Install Adobe Flash Player."), QMessageBox::Ok);
    box.exec();
}

} // namespace

bool StartUp() {
    // The names under which the settings are kept, and the program's version.
    QCoreApplication::setOrganizationName(QStringLiteral("Quorbin"));
    QCoreApplication::setApplicationName(QStringLiteral("ZP"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    // The installed menu entry the window belongs to (its Wayland app_id; on X11 the
    // entry names the window's class).
    QGuiApplication::setDesktopFileName(QStringLiteral("zimo"));
    ReadScreenMetrics();
    ResetShellState();
    ContextMenu = LoadContextMenu(QStringLiteral("P"));
    MainWindow = CreateMainWindow();
    PlayerWindow = CreatePlayerControl(MainWindow);
    if (!PlayerWindow) {
        ShowInstallError();
        return false;
    }
    if (!DeployMovie()) return false;
    // Repeat as it was left last time.
    if (ReadSetting(QStringLiteral("Rep"), PathBufferA) && PathBufferA.startsWith(QLatin1Char('1')))
        ToggleRepeat();
    if (IsAssociated()) {
        AssociationFlag = !AssociationFlag;
        ToggleMenuCheck(CurrentMenu(), 12);
    }
    PlayerWindow->setAcceptDrops(true);
    // The picture takes the keys and reports every movement of the mouse over it.
    PlayerWindow->setMouseTracking(true);
    PlayerWindow->setFocus();
    ShowMainWindow();
    ExpectCommandLineFile();
    return true;
}

void Shutdown() {
    if (!ShutdownDone) {
        ShutdownDone = true;
        SendFile(QString());
        if (PlayerWindow) PlayerWindow->setAcceptDrops(false);
        // The screen saver goes back to its own state.
        SetScreenSaverActive(true);
        PlayerControl = nullptr;
    }
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void ReleaseShell() {
    // Each stream stops its decoding, then its sound output, as the control goes: no
    // thread of the player and no sound object is left for the exit handlers of the
    // toolkit and the sound system.
    delete MainWindow; // the player control is its child
    MainWindow = nullptr;
    PlayerWindow = nullptr;
    PlayerControl = nullptr;
    SavedMenuBar = nullptr;
    delete ContextMenu;
    ContextMenu = nullptr;
}
