#include "player_widget.h"

#include "swf/container.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace zimo {

namespace {

// Frame rates outside this range are taken as its nearest end.
constexpr double kMinFrameRate = 1.0;
constexpr double kMaxFrameRate = 120.0;

} // namespace

PlayerWidget::PlayerWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { onTick(); });
}

bool PlayerWidget::putMovie(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const std::span<const std::uint8_t> span{data, static_cast<std::size_t>(bytes.size())};
    if (!swf::openContainer(span).ok) return false;
    if (!player_.load(span)) return false;
    movieBytes_ = bytes;
    player_.setViewSize(size());
    const double rate = std::clamp(player_.frameRate(), kMinFrameRate, kMaxFrameRate);
    timer_.start(static_cast<int>(std::lround(1000.0 / rate)));
    update();
    return true;
}

void PlayerWidget::setVariable(const QString& name, const QString& value) {
    rootVariables_.insert(name, value);
}

QString PlayerWidget::getVariable(const QString& path) {
    auto it = rootVariables_.constFind(path);
    if (it != rootVariables_.constEnd()) return *it;
    return display::formatValue(player_.property(path));
}

void PlayerWidget::onTick() {
    try {
        player_.tick();
    } catch (...) {
        timer_.stop(); // a movie that cannot go on stays on its last frame
    }
    update();
}

void PlayerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    try {
        player_.render(painter, size());
    } catch (...) {
    }
}

void PlayerWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    player_.setViewSize(size());
}

void PlayerWidget::mouseMoveEvent(QMouseEvent* event) {
    try {
        player_.pointerMove(player_.viewToStage(event->position()));
    } catch (...) {
    }
    update();
}

void PlayerWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    try {
        player_.pointerPress(player_.viewToStage(event->position()));
    } catch (...) {
    }
    update();
}

void PlayerWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    try {
        player_.pointerRelease(player_.viewToStage(event->position()));
    } catch (...) {
    }
    update();
}

} // namespace zimo
