// A player library for tests of the real program: a black control that appends every
// variable the shell assigns to the file named by ZIMO_TEST_VARIABLE_LOG, one
// "name=value" line each, so a test outside the process can read what was sent.
#include <zimo/player_control.h>

#include <QFile>
#include <QMainWindow>
#include <QPainter>
#include <QWidget>

namespace {

class RecordingPlayer final : public QWidget, public zimo::PlayerControl {
public:
    explicit RecordingPlayer(QWidget* parent) : QWidget(parent) {
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
    }
    QWidget* window() override { return this; }
    bool controlEvent(QEvent* event) override { return QWidget::event(event); }
    bool putMovie(const QString& path) override {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return false;
        movie_ = file.readAll();
        return true;
    }
    void setVariable(const QString& name, const QString& value) override {
        QFile log(qEnvironmentVariable("ZIMO_TEST_VARIABLE_LOG"));
        if (log.open(QIODevice::Append)) log.write((name + "=" + value + "\n").toUtf8());
    }
    QString getVariable(const QString&) override { return {}; }
    QByteArray loadedMovie() const override { return movie_; }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }

private:
    QByteArray movie_;
};

} // namespace

extern "C" Q_DECL_EXPORT zimo::PlayerControl* zimo_CreateControl(QWidget* host) {
    auto* control = new RecordingPlayer(host);
    if (auto* window = qobject_cast<QMainWindow*>(host)) window->setCentralWidget(control);
    control->show();
    return control;
}
