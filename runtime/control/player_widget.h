// The player control: the child widget the shell hosts. It runs the movie on a timer at
// the movie's frame rate and shows its stage over the whole widget.
#pragma once

#include "bindings/movie_runtime.h"

#include <zimo/player_control.h>

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace zimo {

class PlayerWidget final : public QWidget, public PlayerControl {
public:
    explicit PlayerWidget(QWidget* parent);

    QWidget* window() override { return this; }
    bool controlEvent(QEvent* event) override { return QWidget::event(event); }
    bool putMovie(const QString& path) override;
    void setVariable(const QString& name, const QString& value) override;
    QString getVariable(const QString& path) override;
    QByteArray loadedMovie() const override { return movieBytes_; }

    // The running movie, for tests.
    bindings::MovieRuntime& runtime() { return runtime_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void onTick();
    void onPictureTimer();

    bindings::MovieRuntime runtime_;
    QTimer timer_;
    QTimer pictureTimer_; // between ticks, while a stream is open
    QElapsedTimer sinceTick_;
    QByteArray movieBytes_;
    std::uint64_t paintedSignature_ = 0; // of the stage as last painted
};

} // namespace zimo
