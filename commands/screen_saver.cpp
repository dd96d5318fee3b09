#include "screen_saver.h"

#include "screen_saver_x11.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// A screen saver that does not answer in this time is given up on.
constexpr int kCallTimeoutMs = 2000;

quint32 InhibitCookie = 0;
bool InhibitHeld = false;

// Only an existing session bus is used: asking for one where there is none could
// start a bus of its own.
bool SessionBusAvailable() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(QDir(runtime).filePath(QStringLiteral("bus"))).exists();
}

QDBusMessage CallScreenSaver(const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
}

bool InhibitThroughBus() {
    if (InhibitHeld) return true;
    if (!SessionBusAvailable() || !QDBusConnection::sessionBus().isConnected()) return false;
    const QDBusMessage reply =
        CallScreenSaver(QStringLiteral("Inhibit"),
                        {QStringLiteral("zimo"), QStringLiteral("Playing in full screen")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    InhibitCookie = reply.arguments().constFirst().toUInt();
    InhibitHeld = true;
    return true;
}

void ReleaseThroughBus() {
    if (!InhibitHeld) return;
    InhibitHeld = false;
    const quint32 cookie = InhibitCookie;
    if (QDBusConnection::sessionBus().isConnected())
        CallScreenSaver(QStringLiteral("UnInhibit"), {cookie});
}

} // namespace

bool InhibitScreenSaver() {
    // A desktop's saver service may sit on the bus while the X server's own saver or
    // DPMS still blanks the screen, so both are held off.
    const bool server = SuspendX11ScreenSaver();
    const bool bus = InhibitThroughBus();
    return server || bus;
}

void ReleaseScreenSaver() {
    ResumeX11ScreenSaver();
    ReleaseThroughBus();
}

bool ScreenSaverInhibited() {
    return InhibitHeld || X11ScreenSaverSuspended();
}
