#include "player_widget.h"

#include "swf/container.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zimo {

namespace {

// Frame rates outside this range are taken as its nearest end.
constexpr double kMinFrameRate = 1.0;
constexpr double kMaxFrameRate = 120.0;
// A tick never makes timers jump further than this, after a stall of the event loop.
constexpr double kMaxTickMs = 250.0;
// A tick due this close to a picture runs on the picture's wake-up, this much early or
// late at most: while a clip plays at the movie's rate, ticks fall in step with its
// pictures and the thread wakes once for both.
constexpr int kMergeMs = 4;

} // namespace

PlayerWidget::PlayerWidget(QWidget* parent)
    : QWidget(parent), movie_(running::RunningMovie::Options{}) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { onTick(); });
    pictureTimer_.setTimerType(Qt::PreciseTimer);
    pictureTimer_.setSingleShot(true);
    connect(&pictureTimer_, &QTimer::timeout, this, [this] { onPictures(); });
    // Called on a decoding thread: one queued call at a time reaches this thread.
    movie_.setStreamNotifier([this] {
        if (newsPosted_.exchange(true)) return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                newsPosted_ = false;
                onPictures();
            },
            Qt::QueuedConnection);
    });
}

PlayerWidget::~PlayerWidget() {
    movie_.setStreamNotifier({});
}

bool PlayerWidget::putMovie(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const std::span<const std::uint8_t> span{data, static_cast<std::size_t>(bytes.size())};
    if (!swf::openContainer(span).ok) return false;
    if (!movie_.load(span)) return false;
    movieBytes_ = bytes;
    movie_.stage().setViewSize(size());
    // By the time the movie is in, its main script has run: variables the host sets from
    // now on reach its watchers.
    movie_.settle();
    const double rate = std::clamp(movie_.stage().frameRate(), kMinFrameRate, kMaxFrameRate);
    tickMs_ = static_cast<int>(std::lround(1000.0 / rate));
    timer_.start(tickMs_);
    sinceTick_.start();
    painted_ = {};
    update();
    return true;
}

void PlayerWidget::setVariable(const QString& name, const QString& value) {
    movie_.setVariable(name, value);
    repaintChanges();
}

QString PlayerWidget::getVariable(const QString& path) {
    return movie_.getVariable(path);
}

// The tick timer's time.
void PlayerWidget::onTick() {
    // Held for a moment past a picture that would come due just after: no picture came,
    // so the ticks go on at their own pace.
    if (timer_.interval() != tickMs_) timer_.start(tickMs_);
    tick();
}

void PlayerWidget::tick() {
    const double elapsed = std::min(double(sinceTick_.restart()), kMaxTickMs);
    movie_.tick(elapsed); // shows the pictures due, too
    // Most ticks of an idle or paused player change nothing that shows.
    repaintChanges();
    armPictureTimer();
}

// News from a stream, or the next picture's time: the pictures due go up.
void PlayerWidget::onPictures() {
    if (timer_.isActive() && timer_.remainingTime() <= kMergeMs) {
        // The tick comes due in a moment: it runs now, with the pictures, and the next
        // one waits a moment past its time for the next picture, so that it comes due
        // just after that picture, within the merge, whatever the wake-ups' jitter.
        timer_.start(tickMs_ + kMergeMs / 2);
        tick();
        return;
    }
    if (movie_.refreshPictures()) repaintChanges();
    armPictureTimer();
}

void PlayerWidget::armPictureTimer() {
    if (const auto due = movie_.nextPictureDueMs())
        pictureTimer_.start(*due);
    else
        pictureTimer_.stop();
}

void PlayerWidget::repaintChanges() {
    StageLook now = stageLook(movie_.stage());
    const QRegion area = changedArea(painted_, now, rect());
    painted_ = std::move(now);
    if (!area.isEmpty()) update(area);
}

void PlayerWidget::paintEvent(QPaintEvent*) {
    followPixelRatio();
    QPainter painter(this); // clipped to the area asked for
    if (!movie_.stage().loaded()) painter.fillRect(rect(), Qt::black);
    movie_.stage().render(painter, size());
}

void PlayerWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    followPixelRatio();
    movie_.stage().setViewSize(size());
    painted_ = stageLook(movie_.stage()); // the whole widget is painted anyway
}

// The window can move to a screen of another scale, or its screen change scale, without a
// resize (Wayland keeps the size in view pixels); it is painted again then, and the
// pictures are made again for the new device pixels before they are drawn.
void PlayerWidget::followPixelRatio() {
    const double ratio = devicePixelRatioF();
    if (ratio == movie_.devicePixelRatio()) return;
    movie_.setDevicePixelRatio(ratio);
    movie_.refreshPictures();
}

void PlayerWidget::mouseMoveEvent(QMouseEvent* event) {
    movie_.pointerMove(movie_.stage().viewToStage(event->position()));
}

void PlayerWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    movie_.pointerPress(movie_.stage().viewToStage(event->position()));
    repaintChanges();
}

void PlayerWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    movie_.pointerRelease(movie_.stage().viewToStage(event->position()));
    repaintChanges();
}

} // namespace zimo
