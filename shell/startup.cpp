#include "startup.h"

#include "channel/movie_channel.h"
#include "globals.h"
#include "main_window.h"
#include "movie_deploy.h"
#include "player_host.h"

#include <QCoreApplication>
#include <QMainWindow>
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
    ReadScreenMetrics();
    ResetShellState();
    MainWindow = CreateMainWindow();
    PlayerWindow = CreatePlayerControl(MainWindow);
    if (!PlayerWindow) {
        ShowInstallError();
        return false;
    }
    if (!DeployMovie()) return false;
    PlayerWindow->setAcceptDrops(true);
    ShowMainWindow();
    return true;
}

void Shutdown() {
    if (!ShutdownDone) {
        ShutdownDone = true;
        SendFile(QString());
        if (PlayerWindow) PlayerWindow->setAcceptDrops(false);
        PlayerControl = nullptr;
    }
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
