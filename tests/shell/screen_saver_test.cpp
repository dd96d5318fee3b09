// Full screen holds the screen saver off through the session bus and gives it back on
// leaving and at shut-down; without a bus nothing happens.
#include "commands/screen_saver.h"
#include "commands/window_modes.h"
#include "shell/globals.h"
#include "shell/startup.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

class ScreenSaver : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "needs a session bus";
        service.start(ZIMO_FAKE_SCREENSAVER, {});
        ASSERT_TRUE(service.waitForReadyRead(10000));
        ASSERT_EQ(service.readLine().trimmed(), "ready");
    }
    void TearDown() override {
        service.kill();
        service.waitForFinished();
    }
    // The next line the service printed.
    QString next() {
        if (!service.canReadLine()) service.waitForReadyRead(5000);
        return QString::fromUtf8(service.readLine()).trimmed();
    }
    QProcess service;
};

TEST_F(ScreenSaver, InhibitIsHeldOnceAndReleasedWithItsCookie) {
    SetScreenSaverActive(false);
    EXPECT_TRUE(ScreenSaverInhibited());
    EXPECT_TRUE(next().startsWith("Inhibit zimo "));
    // A second request while held asks nothing more.
    SetScreenSaverActive(false);
    SetScreenSaverActive(true);
    EXPECT_FALSE(ScreenSaverInhibited());
    EXPECT_EQ(next(), "UnInhibit 41");
    // Releasing what is not held asks nothing.
    SetScreenSaverActive(true);
    SetScreenSaverActive(false);
    EXPECT_TRUE(next().endsWith("-> 42"));
    SetScreenSaverActive(true);
    EXPECT_EQ(next(), "UnInhibit 42");
}

TEST_F(ScreenSaver, ShutDownGivesTheScreenSaverBack) {
    ResetShellState();
    SetScreenSaverActive(false);
    EXPECT_TRUE(next().startsWith("Inhibit"));
    Shutdown();
    EXPECT_EQ(next(), "UnInhibit 41");
    EXPECT_FALSE(ScreenSaverInhibited());
}

TEST(ScreenSaverWithoutBus, NothingHappens) {
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", "/nonexistent");
    // Only a fresh process would see a bus vanish; what is checked here is that no
    // bus is asked for when none is announced.
    if (address.isEmpty()) {
        SetScreenSaverActive(false);
        EXPECT_FALSE(ScreenSaverInhibited());
        SetScreenSaverActive(true);
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
