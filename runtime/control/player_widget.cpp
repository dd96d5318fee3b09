#include "player_widget.h"

#include "swf/container.h"

#include <QFile>
#include <QPainter>

namespace zimo {

PlayerWidget::PlayerWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

bool PlayerWidget::putMovie(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const auto result = swf::openContainer({data, static_cast<std::size_t>(bytes.size())});
    if (!result.ok) return false;
    movieBytes_ = bytes;
    return true;
}

void PlayerWidget::setVariable(const QString& name, const QString& value) {
    rootVariables_.insert(name, value);
}

QString PlayerWidget::getVariable(const QString& path) { return rootVariables_.value(path); }

void PlayerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

} // namespace zimo
