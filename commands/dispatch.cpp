#include "dispatch.h"

#include "channel/movie_channel.h"
#include "files/association.h"
#include "files/file_intake.h"
#include "files/settings.h"
#include "menus.h"
#include "shell/globals.h"
#include "window_modes.h"

#include <QDesktopServices>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

void DispatchCommand(int id) {
    switch (id) {
    case 1:
        OpenFileCommand();
        break;
    case 2:
        CloseMainWindow();
        break;
    case 3:
        RotateStep(RotateDirection::Left);
        break;
    case 4:
        RotateStep(RotateDirection::Right);
        break;
    case 5:
        ToggleRepeat();
        break;
    case 6:
        VolumeUp();
        break;
    case 7:
        VolumeDown();
        break;
    case 8:
        ToggleMute();
        break;
    case 9:
        ToggleFullScreen();
        break;
    case 10:
        ToggleTopmost();
        break;
    case 11:
        OpenProductsPage();
        break;
    case 12:
        ToggleAssociation();
        break;
    case 13:
        ShowAbout();
        break;
    case 14:
        ToggleCompactMode();
        break;
    default:
        break;
    }
}

void ToggleRepeat() {
    const bool on = ToggleMenuCheck(CurrentMenu(), 5);
    ToggleMenuCheck(ContextMenu, 5);
    SendRepeat(on);
    WriteSetting(QStringLiteral("Rep"), RepeatValue);
}

void ToggleMute() {
    const bool on = ToggleMenuCheck(CurrentMenu(), 8);
    ToggleMenuCheck(ContextMenu, 8);
    SendMute(on);
}

void CloseMainWindow() {
    if (MainWindow) MainWindow->close();
}

void OpenProductsPage() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(ProductsPageAddress)));
}

QString AboutText() {
    const QString separator = QStringLiteral("\n\r");
    return QStringLiteral("FLV Player zimo") + separator + QLatin1String(AboutNotice) + separator +
           QLatin1String(AboutWebAddress) + QString(16, QLatin1Char(' '));
}

void ShowAbout() {
    QMessageBox box(QMessageBox::Information, QStringLiteral("About"), AboutText(), QMessageBox::Ok,
                    MainWindow);
    box.setObjectName(QStringLiteral("AboutBox"));
    box.exec();
}
