// A stand-in for the desktop's screen saver on a private session bus: it takes the
// name org.freedesktop.ScreenSaver and prints every Inhibit and UnInhibit it gets,
// one line each, on its standard output.
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QTextStream>

#include <cstdio>

class ScreenSaverAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    explicit ScreenSaverAdaptor(QObject* parent) : QDBusAbstractAdaptor(parent) {}
public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        Report(QString("Inhibit %1 %2 -> %3").arg(application, reason).arg(next_));
        return next_++;
    }
    void UnInhibit(uint cookie) { Report(QString("UnInhibit %1").arg(cookie)); }

private:
    static void Report(const QString& line) {
        std::fputs((line + "\n").toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
    uint next_ = 41;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QObject root;
    new ScreenSaverAdaptor(&root);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/ScreenSaver", &root) ||
        !bus.registerService("org.freedesktop.ScreenSaver"))
        return 1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "fake_screensaver.moc"
