// The player control: the child widget the shell hosts. It runs the movie on a timer at
// the movie's frame rate and shows its stage over the whole widget. Between ticks it
// sleeps until a picture is due: the streams tell it when one is decoded, and a
// single-shot timer wakes it when the next one comes due; a tick due within a few
// milliseconds of a picture runs on the same wake-up. It repaints only where the stage
// changed.
#pragma once

#include "running/running_movie.h"
#include "stage_signature.h"

#include <zimo/player_control.h>

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>

namespace zimo {

class PlayerWidget final : public QWidget, public PlayerControl {
public:
    explicit PlayerWidget(QWidget* parent);
    ~PlayerWidget() override;

    QWidget* window() override { return this; }
    bool controlEvent(QEvent* event) override { return QWidget::event(event); }
    bool putMovie(const QString& path) override;
    void setVariable(const QString& name, const QString& value) override;
    QString getVariable(const QString& path) override;
    QByteArray loadedMovie() const override { return movieBytes_; }

    // The running movie, for tests.
    running::RunningMovie& movie() { return movie_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void onTick();
    void tick();
    void onPictures();
    void armPictureTimer();
    // Makes the pictures for the device pixels the widget has now.
    void followPixelRatio();
    // Asks for a paint of what changed since the stage was last painted.
    void repaintChanges();

    running::RunningMovie movie_;
    QTimer timer_; // the movie's frame tick
    int tickMs_ = 33;
    QTimer pictureTimer_; // single shot, for the next picture due
    QElapsedTimer sinceTick_;
    QByteArray movieBytes_;
    StageLook painted_; // the stage as last asked to be painted
    std::atomic<bool> newsPosted_{false};
};

} // namespace zimo
