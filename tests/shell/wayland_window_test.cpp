// Full screen under a Wayland compositor, in one process started the way the program
// starts: leaving it gives the window back the size and place it had, trip after trip,
// client-side decoration and all.
#include "commands/window_modes.h"
#include "shell/globals.h"
#include "shell/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

namespace {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

std::string Describe(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

TEST(WaylandWindow, FullScreenRoundTripsKeepTheSizeAndPlace) {
    ASSERT_EQ(QGuiApplication::platformName(), "wayland");
    ASSERT_TRUE(StartUp());
    ASSERT_TRUE(WaitUntil([] { return MainWindow->windowHandle()->isExposed(); }));
    const QRect client = MainWindow->geometry();
    const QRect frame = MainWindowRect();
    const QSize screen = MainWindow->screen()->size();
    for (int trip = 1; trip <= 5; ++trip) {
        ToggleFullScreen();
        ASSERT_TRUE(WaitUntil([&] { return MainWindow->size() == screen; }))
            << "trip " << trip << ": " << Describe(MainWindow->geometry());
        ToggleFullScreen();
        // The compositor answers in its own time: the placement must come back and stay.
        QElapsedTimer held;
        EXPECT_TRUE(WaitUntil([&] {
            if (MainWindow->isFullScreen() || MainWindow->geometry() != client) {
                held.invalidate();
                return false;
            }
            if (!held.isValid()) held.start();
            return held.elapsed() > 300;
        })) << "trip "
            << trip << ": " << Describe(MainWindow->geometry()) << " for " << Describe(client);
    }
    EXPECT_EQ(MainWindowRect(), frame) << Describe(MainWindowRect());
    EXPECT_TRUE(HasCaption());
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    for (const char* sub : {"config", "data", "tmp"})
        QDir(home.path()).mkpath(sub);
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("TMPDIR", (home.path() + "/tmp").toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
