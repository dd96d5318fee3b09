// The program's start-up on a real X server with a window manager: the main window's
// frame, the player control inside it and the movie it loaded.
#include "commands/menus.h"
#include "files/settings.h"
#include "shell/globals.h"
#include "shell/main_window.h"
#include "shell/movie_deploy.h"
#include "shell/startup.h"

#include <zimo/player_control.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QTemporaryDir* ScratchTemp = nullptr;

// The marks of Repeat (both menus) and of the association (menu bar) at the moment
// the main window is first shown.
struct FirstShowSpy : QObject {
    bool seen = false;
    bool repeatInBar = false, repeatInContext = false, associated = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen && event->type() == QEvent::Show && MainWindow && watched == MainWindow) {
            seen = true;
            repeatInBar = IsMenuItemChecked(CurrentMenu(), 5);
            repeatInContext = IsMenuItemChecked(ContextMenu, 5);
            associated = IsMenuItemChecked(CurrentMenu(), 12);
        }
        return false;
    }
};
FirstShowSpy* ShowSpy = nullptr;

TEST(InitialPlacement, CentresTheFrameWithTruncatedHalves) {
    EXPECT_EQ(InitialWindowLeft(1024), 298);
    EXPECT_EQ(InitialWindowTop(768), 223);
    EXPECT_EQ(InitialWindowLeft(1023), 297);
    EXPECT_EQ(InitialWindowTop(767), 222);
    // A screen narrower than the window: the left edge is used as computed.
    EXPECT_EQ(InitialWindowLeft(300), -64);
}

class StartUpOnX : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(StartUp());
        ASSERT_NE(MainWindow, nullptr);
    }
};

TEST_F(StartUpOnX, MainWindowFrameIsCentredAtItsInitialSize) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = MainWindow->frameGeometry();
    EXPECT_EQ(MainWindow->windowTitle(), "FLV Player zimo");
    EXPECT_EQ(frame.size(), QSize(429, 322));
    EXPECT_EQ(frame.topLeft(),
              screen.topLeft() + QPoint(screen.width() / 2 - 214, screen.height() / 2 - 161));
    EXPECT_TRUE(MainWindow->isVisible());
    EXPECT_FALSE(MainWindow->windowIcon().isNull());
    EXPECT_EQ(QCoreApplication::applicationVersion(), "1.0");
}

TEST_F(StartUpOnX, PlayerWindowFillsTheClientAreaAndFollowsIt) {
    ASSERT_NE(PlayerWindow, nullptr);
    EXPECT_EQ(PlayerWindow, MainWindow->centralWidget());
    EXPECT_TRUE(PlayerWindow->acceptDrops());
    MainWindow->resize(600, 400);
    // The window takes the new size at once, but its layout follows only when the window
    // manager has answered: wait for the player window itself.
    const auto expected = [] {
        const int bar = MainWindow->menuWidget() ? MainWindow->menuWidget()->height() : 0;
        return QSize(600, 400 - bar);
    };
    QElapsedTimer waited;
    waited.start();
    while (PlayerWindow->size() != expected() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(MainWindow->size(), QSize(600, 400));
    EXPECT_EQ(PlayerWindow->size(), expected());
}

TEST_F(StartUpOnX, ControlLoadedTheEmbeddedMovieAndTheFileIsGone) {
    ASSERT_NE(PlayerControl, nullptr);
    const QByteArray loaded = PlayerControl->loadedMovie();
    const QByteArray embedded(reinterpret_cast<const char*>(EmbeddedMovie),
                              static_cast<qsizetype>(EmbeddedMovieSize));
    EXPECT_EQ(loaded, embedded);
    EXPECT_TRUE(loaded.startsWith("CWS"));
    EXPECT_EQ(static_cast<unsigned char>(loaded.at(3)), 8);
    EXPECT_TRUE(QDir(ScratchTemp->path()).entryList({"z*"}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(
        QDir(ScratchTemp->path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(StartUpOnX, SavedRepeatAndAssociationAreMarkedBeforeTheWindowShows) {
    ASSERT_TRUE(ShowSpy->seen);
    EXPECT_TRUE(ShowSpy->repeatInBar);
    EXPECT_TRUE(ShowSpy->repeatInContext);
    EXPECT_TRUE(ShowSpy->associated);
    EXPECT_TRUE(AssociationFlag);
    EXPECT_EQ(FindMenuItem(ContextMenu, 12), nullptr);
    EXPECT_EQ(PlayerControl->getVariable("Rpt"), "1");
    EXPECT_EQ(RepeatValue, "1");
    QString rep;
    EXPECT_TRUE(ReadSetting("Rep", rep));
    EXPECT_EQ(rep, "1");
}

TEST_F(StartUpOnX, ShutdownSendsAnEmptyFileOnce) {
    Shutdown();
    EXPECT_TRUE(ShutdownDone);
    EXPECT_EQ(PlayerControl, nullptr);
    EXPECT_FALSE(PlayerWindow->acceptDrops());
    Shutdown(); // a second one only asks the loop to end again
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The movie's temporary file goes into a folder of the test's own.
    QTemporaryDir temp;
    ScratchTemp = &temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    // Settings as a previous run left them: Repeat on, the program the .flv default.
    QDir(temp.path()).mkpath("config/Quorbin");
    qputenv("XDG_CONFIG_HOME", (temp.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (temp.path() + "/data").toLocal8Bit());
    QFile settings(temp.path() + "/config/Quorbin/ZP.conf");
    settings.open(QIODevice::WriteOnly);
    settings.write("[General]\nRep=1\n");
    settings.close();
    QFile mimeApps(temp.path() + "/config/mimeapps.list");
    mimeApps.open(QIODevice::WriteOnly);
    mimeApps.write("[Default Applications]\nvideo/x-flv=ZimoFlv.desktop\n");
    mimeApps.close();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    FirstShowSpy spy;
    ShowSpy = &spy;
    app.installEventFilter(&spy);
    return RUN_ALL_TESTS();
}
