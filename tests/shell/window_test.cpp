// The window modes, the menus' marks, the keys and the mouse on a real X server with
// a window manager, in one process started the way the program starts.
#include "commands/dispatch.h"
#include "commands/menus.h"
#include "commands/window_modes.h"
#include "commands/window_procs.h"
#include "files/settings.h"
#include "shell/globals.h"
#include "shell/startup.h"

#include <zimo/player_control.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << "x" << r.height() << ")";
}
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Lets the window manager and Qt catch up until done holds or a few seconds pass.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 4000) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // A little more, for events that follow the one waited for.
    QTest::qWait(50);
    return true;
}

QRect Frame() {
    return MainWindowRect();
}
QRect Picture() {
    return QRect(PlayerWindow->mapToGlobal(QPoint(0, 0)), PlayerWindow->size());
}
QString Variable(const char* name) {
    return PlayerControl->getVariable(name);
}
bool BarShown() {
    return AttachedMenuBar() != nullptr;
}

// The mark of id in both menus: "bar/context", each 1 or 0; "-" where the menu has no
// such item.
QString Marks(int id) {
    auto one = [id](const QWidget* menu) {
        return FindMenuItem(menu, id) ? QString::number(IsMenuItemChecked(menu, id)) : "-";
    };
    return one(CurrentMenu()) + "/" + one(ContextMenu);
}

QRect NormalFrame;

// What the window manager says about the main window, for failure messages.
QString XProps() {
    QProcess p;
    p.start("xprop", {"-id", QString::number(MainWindow->winId()), "_NET_FRAME_EXTENTS",
                      "_MOTIF_WM_HINTS", "_NET_WM_STATE"});
    p.waitForFinished(5000);
    return QString::fromLatin1(p.readAllStandardOutput());
}

class Window : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!MainWindow) {
            ASSERT_TRUE(StartUp());
            // The window manager gives new windows the focus; ask for it too, in case it
            // is slow to on a busy machine.
            MainWindow->raise();
            MainWindow->activateWindow();
            ASSERT_TRUE(WaitUntil([] { return MainWindow->isActiveWindow(); }, 15000));
            NormalFrame = Frame();
        }
    }
    void TearDown() override {
        // Back to the normal presentation for the next test.
        if (IsMenuItemChecked(CurrentMenu(), 9)) DispatchCommand(9);
        if (MainWindow->isMaximized()) MainWindow->showNormal();
        if (IsMenuItemChecked(ContextMenu, 14)) DispatchCommand(14);
        if (IsMenuItemChecked(ContextMenu, 10)) DispatchCommand(10);
        WaitUntil([] {
            return !IsZoomed() && HasCaption() &&
                   MainWindow->windowHandle()->frameMargins().top() == ScreenMetrics.captionHeight;
        });
        MainWindow->setGeometry(
            NormalFrame.marginsRemoved(MainWindow->windowHandle()->frameMargins()));
        EXPECT_TRUE(WaitUntil([] { return Frame() == NormalFrame; }))
            << "not back to normal: " << ::testing::PrintToString(Frame())
            << XProps().toStdString();
    }
    void press(Qt::Key key) { QTest::keyClick(PlayerWindow, key); }
};

TEST_F(Window, StartsNormalWithTheMeasuredCaptionAndBar) {
    EXPECT_EQ(Frame().size(), QSize(429, 322));
    EXPECT_TRUE(HasCaption());
    EXPECT_TRUE(BarShown());
    EXPECT_GT(ScreenMetrics.captionHeight, 0);
    EXPECT_EQ(ScreenMetrics.captionHeight, MainWindow->windowHandle()->frameMargins().top());
    EXPECT_EQ(ScreenMetrics.menuBarHeight, MainWindow->menuBar()->height());
    for (int id : {5, 8, 9, 10})
        EXPECT_EQ(Marks(id), "0/0") << id;
    EXPECT_EQ(Marks(12), "0/-");
    EXPECT_EQ(Marks(14), "-/0");
}

TEST_F(Window, FullScreenAndBackKeepsFrameAndMarks) {
    DispatchCommand(5); // a mark that must survive the trip
    press(Qt::Key_F);
    ASSERT_TRUE(WaitUntil([] { return Frame() == MainWindow->screen()->geometry(); }))
        << ::testing::PrintToString(Frame());
    EXPECT_TRUE(IsZoomed());
    EXPECT_FALSE(HasCaption());
    EXPECT_FALSE(BarShown());
    EXPECT_EQ(Picture(), MainWindow->screen()->geometry());
    EXPECT_EQ(Marks(9), "1/1");
    EXPECT_NE(CursorTimerId, 0);

    // Marks change in the detached bar too, and show when it is back.
    DispatchCommand(8);
    DispatchCommand(10);
    EXPECT_EQ(Marks(8), "1/1");
    EXPECT_EQ(Marks(10), "1/1");

    press(Qt::Key_F);
    ASSERT_TRUE(WaitUntil([] { return Frame() == NormalFrame; }))
        << ::testing::PrintToString(Frame());
    EXPECT_TRUE(HasCaption());
    EXPECT_TRUE(BarShown());
    EXPECT_EQ(Marks(9), "0/0");
    EXPECT_EQ(Marks(8), "1/1");
    EXPECT_EQ(Marks(10), "1/1");
    EXPECT_EQ(Marks(5), "1/1");
    DispatchCommand(5);
    DispatchCommand(8);
}

TEST_F(Window, CompactModeKeepsThePictureInPlace) {
    const QRect frame = Frame();
    const QRect picture = Picture();
    const QMargins margins = MainWindow->windowHandle()->frameMargins();
    const int d = ScreenMetrics.captionHeight + ScreenMetrics.menuBarHeight;
    DispatchCommand(14);
    ASSERT_TRUE(WaitUntil([&] { return Frame().top() == frame.top() + d && Picture() == picture; }))
        << ::testing::PrintToString(Frame()) << ::testing::PrintToString(Picture());
    EXPECT_EQ(Marks(14), "-/1");
    EXPECT_FALSE(HasCaption());
    EXPECT_FALSE(BarShown());
    EXPECT_FALSE(BarsShown);
    // The top is d lower; the height is d smaller, less the frame's bottom border that
    // went with the caption.
    EXPECT_EQ(Frame().height(), frame.height() - d - margins.bottom());
    EXPECT_EQ(Frame().left(), frame.left() + margins.left());

    DispatchCommand(14);
    ASSERT_TRUE(WaitUntil([&] { return Frame() == frame; })) << ::testing::PrintToString(Frame());
    EXPECT_EQ(Picture(), picture);
    EXPECT_TRUE(HasCaption());
    EXPECT_TRUE(BarShown());
    EXPECT_EQ(Marks(14), "-/0");
}

TEST_F(Window, CompactThenFullScreenReturnsToCompact) {
    DispatchCommand(14);
    ASSERT_TRUE(WaitUntil([] { return !HasCaption() && Frame() != NormalFrame; }));
    const QRect compact = Frame();
    press(Qt::Key_F);
    ASSERT_TRUE(WaitUntil([] { return Frame() == MainWindow->screen()->geometry(); }));
    // Command 14 in full screen changes nothing.
    DispatchCommand(14);
    EXPECT_EQ(Marks(14), "-/1");
    press(Qt::Key_F);
    ASSERT_TRUE(WaitUntil([&] { return Frame() == compact; })) << ::testing::PrintToString(Frame());
    EXPECT_FALSE(HasCaption());
    EXPECT_FALSE(BarShown());
    EXPECT_EQ(Marks(14), "-/1");
    EXPECT_EQ(Marks(9), "0/0");
}

TEST_F(Window, MaximisedByTheUserRefusesCompactAndEscTogglesFullScreen) {
    MainWindow->showMaximized();
    ASSERT_TRUE(WaitUntil([] { return MainWindow->isMaximized(); }));
    const QRect maximised = Frame();
    DispatchCommand(14);
    QTest::qWait(100);
    EXPECT_EQ(Marks(14), "-/0");
    EXPECT_TRUE(HasCaption());
    EXPECT_EQ(Frame(), maximised);
    // Dragging and the wheel do nothing either.
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(MainWindow, &wheel);
    QTest::qWait(100);
    EXPECT_EQ(Frame(), maximised);

    press(Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([] { return MainWindow->isFullScreen(); }));
    EXPECT_EQ(Marks(9), "1/1");
    EXPECT_TRUE(MainWindow->isVisible());
    press(Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([] { return Frame() == NormalFrame; }))
        << ::testing::PrintToString(Frame());
    EXPECT_FALSE(IsZoomed());
    EXPECT_TRUE(MainWindow->isVisible());
}

TEST_F(Window, WheelResizesTheRealWindowAroundItsCentre) {
    const QRect start = Frame();
    ASSERT_EQ(start.size(), QSize(429, 322));
    auto turn = [](int delta) {
        QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(MainWindow, &wheel);
    };
    turn(120);
    ASSERT_TRUE(WaitUntil([] { return Frame().size() == QSize(455, 342); }));
    EXPECT_EQ(Frame().topLeft(), start.topLeft() - QPoint(13, 10));
    turn(-120);
    ASSERT_TRUE(WaitUntil([] { return Frame().size() == QSize(428, 322); }));
    EXPECT_EQ(Frame().topLeft(), start.topLeft() + QPoint(0, 0));
    EXPECT_EQ(Picture().size(), PlayerWindow->size());
    // A touchpad: its gesture's end moves nothing, and three thirds make one step.
    for (const int delta : {0, 40, 40, 40})
        turn(delta);
    ASSERT_TRUE(WaitUntil([] { return Frame().size() == QSize(454, 342); }))
        << ::testing::PrintToString(Frame());
}

TEST_F(Window, AlwaysOnTopReachesTheWindowManager) {
    auto above = [] {
        const QString state = QString::fromLatin1([] {
            QProcess p;
            p.start("xprop", {"-id", QString::number(MainWindow->winId()), "_NET_WM_STATE"});
            p.waitForFinished(5000);
            return p.readAllStandardOutput();
        }());
        return state.contains("_NET_WM_STATE_ABOVE");
    };
    EXPECT_FALSE(above());
    DispatchCommand(10);
    EXPECT_EQ(Marks(10), "1/1");
    EXPECT_TRUE(WaitUntil(above));
    EXPECT_TRUE(MainWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    DispatchCommand(10);
    EXPECT_TRUE(WaitUntil([&] { return !above(); }));
    EXPECT_EQ(Marks(10), "0/0");
}

TEST_F(Window, CursorHidesInFullScreenOutsideTheBandOnly) {
    press(Qt::Key_F);
    ASSERT_TRUE(WaitUntil([] { return MainWindow->isFullScreen() && Frame().top() == 0; }));
    const QRect screen = MainWindow->screen()->geometry();
    ASSERT_NE(CursorTimerId, 0);

    // Resting in the band: the timer fires once and the cursor stays.
    QCursor::setPos(screen.center().x(), screen.bottom() - 5);
    WaitUntil([&] { return QCursor::pos().y() == screen.bottom() - 5; });
    CursorTimerProc(CursorTimerId);
    EXPECT_TRUE(CursorShown);
    EXPECT_EQ(CursorTimerId, 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A movement over the picture restarts it; above the band it hides the cursor.
    QCursor::setPos(screen.center());
    WaitUntil([&] { return QCursor::pos() == screen.center(); });
    QMouseEvent move(QEvent::MouseMove, PlayerWindow->mapFromGlobal(screen.center()),
                     screen.center(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(PlayerWindow, &move);
    ASSERT_NE(CursorTimerId, 0);
    CursorTimerProc(CursorTimerId);
    EXPECT_FALSE(CursorShown);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    // Hiding again does not stack.
    SetCursorVisible(false);
    SetCursorVisible(true);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A right click shows the cursor and the context menu at the cursor.
    SetCursorVisible(false);
    QPoint menuAt;
    QTimer::singleShot(100, [&] {
        menuAt = ContextMenu->pos();
        ContextMenu->close();
    });
    QTest::mousePress(PlayerWindow, Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_TRUE(CursorShown);
    EXPECT_EQ(menuAt, PlayerWindow->mapToGlobal(QPoint(100, 100)));
    EXPECT_EQ(CursorTimerId, 0);

    press(Qt::Key_F);
    ASSERT_TRUE(WaitUntil([] { return !IsZoomed(); }));
    EXPECT_TRUE(CursorShown);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Records which events the control itself gets to see.
struct ControlSpy {
    ControlSpy() {
        saved = PreviousPlayerProc;
        PreviousPlayerProc = [this](QEvent* event) {
            seen << event->type();
            return saved(event);
        };
    }
    ~ControlSpy() { PreviousPlayerProc = saved; }
    PlayerProc saved;
    QList<QEvent::Type> seen;
};

TEST_F(Window, KeysAllEndInTheShellAndReachTheMovieAsVariables) {
    ControlSpy spy;
    press(Qt::Key_Up);
    EXPECT_EQ(Variable("Vlm"), "1001");
    press(Qt::Key_Down);
    EXPECT_EQ(Variable("Vlm"), "999");
    press(Qt::Key_M);
    EXPECT_EQ(Variable("Vlm"), "1000");
    EXPECT_EQ(Marks(8), "1/1");
    press(Qt::Key_M);
    EXPECT_EQ(Variable("Vlm"), "1002");
    press(Qt::Key_R);
    EXPECT_EQ(Variable("RTo"), "1");
    press(Qt::Key_L);
    EXPECT_EQ(Variable("RTo"), "0");
    press(Qt::Key_L);
    EXPECT_EQ(Variable("RTo"), "-1");
    press(Qt::Key_R);
    // With Shift or Ctrl held they still act; other keys do nothing.
    QTest::keyClick(PlayerWindow, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(PlayerWindow, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Variable("Vlm"), "999");
    for (Qt::Key other : {Qt::Key_A, Qt::Key_Space, Qt::Key_Return, Qt::Key_Left, Qt::Key_F1})
        press(other);
    EXPECT_FALSE(spy.seen.contains(QEvent::KeyPress));
    EXPECT_EQ(Variable("Vlm"), "999");
    EXPECT_FALSE(IsZoomed());
}

TEST_F(Window, HeldKeyRepeats) {
    // A held key arrives as a press followed by auto-repeated presses; each one acts.
    const int before = RotationIndex;
    for (int i = 0; i < 3; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier, QString("r"), i > 0);
        QApplication::sendEvent(PlayerWindow, &press);
    }
    EXPECT_EQ(RotationIndex, (before + 3) % 4);
}

TEST_F(Window, OpenInFullScreenShowsTheCursorBeforeTheDialog) {
    press(Qt::Key_F);
    ASSERT_TRUE(WaitUntil([] { return MainWindow->isFullScreen(); }));
    SetCursorVisible(false);
    bool shownAtDialog = false;
    QString title;
    QTimer::singleShot(0, [&] {
        std::function<void()> look = [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return void(QTimer::singleShot(10, look));
            shownAtDialog = CursorShown && QGuiApplication::overrideCursor() == nullptr;
            title = dialog->windowTitle();
            dialog->close();
        };
        look();
    });
    DispatchCommand(1);
    EXPECT_EQ(title, "Select FLV file");
    EXPECT_TRUE(shownAtDialog);
    EXPECT_EQ(CursorTimerId, 0);
}

TEST_F(Window, ClicksInTheBandGoToTheMovieAndAboveItDoNot) {
    ControlSpy spy;
    const int band = PlayerWindow->height() - ControlBandHeight;
    QTest::mousePress(PlayerWindow, Qt::LeftButton, Qt::NoModifier, QPoint(50, band + 5));
    QTest::mouseRelease(PlayerWindow, Qt::LeftButton, Qt::NoModifier, QPoint(50, band + 5));
    EXPECT_EQ(spy.seen.count(QEvent::MouseButtonPress), 1);
    // A double click in the band neither reaches the control nor changes the mode.
    QTest::mouseDClick(PlayerWindow, Qt::LeftButton, Qt::NoModifier, QPoint(50, band + 5));
    EXPECT_FALSE(spy.seen.contains(QEvent::MouseButtonDblClick));
    EXPECT_FALSE(IsZoomed());

    MainWindow->showMaximized();
    ASSERT_TRUE(WaitUntil([] { return MainWindow->isMaximized(); }));
    const QRect maximised = Frame();
    spy.seen.clear();
    QTest::mousePress(PlayerWindow, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTest::mouseRelease(PlayerWindow, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_FALSE(spy.seen.contains(QEvent::MouseButtonPress));
    EXPECT_EQ(Frame(), maximised);
}

TEST_F(Window, DoubleClickAboveTheBandTogglesFullScreen) {
    auto doubleClick = [] {
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(60, 60),
                          PlayerWindow->mapToGlobal(QPointF(60, 60)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(PlayerWindow, &click);
    };
    doubleClick();
    ASSERT_TRUE(WaitUntil([] { return MainWindow->isFullScreen(); }));
    EXPECT_EQ(Marks(9), "1/1");
    doubleClick();
    ASSERT_TRUE(WaitUntil([] { return Frame() == NormalFrame; }))
        << ::testing::PrintToString(Frame());
    EXPECT_EQ(Marks(9), "0/0");
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
