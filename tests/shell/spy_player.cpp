// A player library for tests of the real program with its real player: it loads the
// player named by ZIMO_TEST_REAL_PLAYER, passes everything on to it, and appends to the
// file named by ZIMO_TEST_VARIABLE_LOG each variable the shell assigns ("name=value",
// the value's file-name bytes exact) and, once the movie's stream has played half a
// second of a file, "playing=" and the file the movie took.
#include <zimo/file_name_text.h>
#include <zimo/player_control.h>

#include <QFile>
#include <QLibrary>
#include <QTimer>
#include <QWidget>

namespace {

void Log(const QString& name, const QString& value) {
    QFile log(qEnvironmentVariable("ZIMO_TEST_VARIABLE_LOG"));
    if (log.open(QIODevice::Append)) log.write(zimo::fileNameBytes(name + "=" + value) + "\n");
}

class SpyPlayer final : public zimo::PlayerControl {
public:
    explicit SpyPlayer(zimo::PlayerControl* real) : real_(real) {
        auto* timer = new QTimer(real->window());
        QObject::connect(timer, &QTimer::timeout, timer, [this] { watchPlayback(); });
        timer->start(50);
    }
    QWidget* window() override { return real_->window(); }
    bool controlEvent(QEvent* event) override { return real_->controlEvent(event); }
    bool putMovie(const QString& path) override { return real_->putMovie(path); }
    void setVariable(const QString& name, const QString& value) override {
        Log(name, value);
        real_->setVariable(name, value);
    }
    QString getVariable(const QString& path) override { return real_->getVariable(path); }
    QByteArray loadedMovie() const override { return real_->loadedMovie(); }

private:
    void watchPlayback() {
        const QString file = real_->getVariable("fName");
        if (file.isEmpty() || file == reported_) return;
        if (real_->getVariable("ns.time").toDouble() < 0.5) return;
        reported_ = file;
        Log("playing", file);
    }

    zimo::PlayerControl* real_;
    QString reported_;
};

} // namespace

extern "C" Q_DECL_EXPORT zimo::PlayerControl* zimo_CreateControl(QWidget* host) {
    QLibrary library(qEnvironmentVariable("ZIMO_TEST_REAL_PLAYER"));
    auto create = reinterpret_cast<zimo::CreateControlFunction>(library.resolve(ZIMO_PLAYER_ENTRY));
    zimo::PlayerControl* real = create ? create(host) : nullptr;
    // The spy lives as long as the real control, which its host owns.
    return real ? new SpyPlayer(real) : nullptr;
}
