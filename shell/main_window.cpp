#include "main_window.h"

#include "commands/menus.h"
#include "commands/window_procs.h"
#include "globals.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {

// How long to wait, at most, for the window manager to frame a newly shown window, and
// how long a window on the screen may stay without a frame before it is taken to have
// none (no window manager frames it).
constexpr int kFrameWaitMs = 3000;
constexpr int kUnframedMs = 200;

QMargins WaitForFrameMargins() {
    // Only a window system with window managers puts frames around windows.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    QElapsedTimer waited;
    waited.start();
    QElapsedTimer unframed;
    QMargins margins;
    while (waited.elapsed() < kFrameWaitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QWindow* handle = MainWindow->windowHandle();
        margins = handle ? handle->frameMargins() : QMargins();
        if (!margins.isNull()) break;
        if (handle && handle->isExposed()) {
            if (!unframed.isValid()) unframed.start();
            if (unframed.elapsed() > kUnframedMs) break;
        }
        QThread::msleep(5);
    }
    return margins;
}

} // namespace

int InitialWindowLeft(int screenWidth) {
    return screenWidth / 2 - MainWindowWidth / 2;
}

int InitialWindowTop(int screenHeight) {
    return screenHeight / 2 - MainWindowHeight / 2;
}

void ReadScreenMetrics() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen ? screen->geometry() : QRect();
    ScreenMetrics.screenLeft = geometry.left();
    ScreenMetrics.screenTop = geometry.top();
    ScreenMetrics.screenWidth = geometry.width();
    ScreenMetrics.screenHeight = geometry.height();
}

QMainWindow* CreateMainWindow() {
    auto* window = new QMainWindow;
    window->setWindowTitle(QStringLiteral("FLV Player zimo"));
    window->setWindowIcon(QIcon(QStringLiteral(":/zimo/icon.png")));
    window->setObjectName(QStringLiteral("zimo"));
    window->move(ScreenMetrics.screenLeft + InitialWindowLeft(ScreenMetrics.screenWidth),
                 ScreenMetrics.screenTop + InitialWindowTop(ScreenMetrics.screenHeight));
    window->resize(MainWindowWidth, MainWindowHeight);
    window->setMenuBar(LoadMenuBar(QStringLiteral("T")));
    InstallMainWindowProc(window);
    return window;
}

void ShowMainWindow() {
    const int left = ScreenMetrics.screenLeft + InitialWindowLeft(ScreenMetrics.screenWidth);
    const int top = ScreenMetrics.screenTop + InitialWindowTop(ScreenMetrics.screenHeight);
    MainWindow->show();
    // The frame's size is known only once the window manager has framed the window;
    // then the client area is made as large as the outer frame allows.
    const QMargins margins = WaitForFrameMargins();
    MainWindow->resize(MainWindowWidth - margins.left() - margins.right(),
                       MainWindowHeight - margins.top() - margins.bottom());
    MainWindow->move(left, top);
    // The caption is everything the frame adds above the client area; it goes with
    // the title bar in compact mode and full screen.
    ScreenMetrics.captionHeight = margins.top();
    ScreenMetrics.menuBarHeight =
        MainWindow->menuWidget() ? MainWindow->menuWidget()->sizeHint().height() : 0;
}
