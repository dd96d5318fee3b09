#include "display/properties.h"

#include "display/movie_clip.h"

#include <cmath>
#include <numbers>

namespace zimo::display {

std::optional<Property> propertyByName(QStringView name) {
    static const struct {
        const char* name;
        Property p;
    } table[] = {
        {"_x", Property::X},
        {"_y", Property::Y},
        {"_xscale", Property::XScale},
        {"_yscale", Property::YScale},
        {"_rotation", Property::Rotation},
        {"_width", Property::Width},
        {"_height", Property::Height},
        {"_alpha", Property::Alpha},
        {"_visible", Property::Visible},
        {"_currentframe", Property::CurrentFrame},
        {"_totalframes", Property::TotalFrames},
        {"_framesloaded", Property::FramesLoaded},
        {"_name", Property::Name},
        {"_xmouse", Property::XMouse},
        {"_ymouse", Property::YMouse},
    };
    for (const auto& e : table)
        if (name.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0) return e.p;
    return std::nullopt;
}

namespace {

std::optional<double> toNumber(const PropertyValue& v) {
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1.0 : 0.0;
    if (const auto* s = std::get_if<QString>(&v)) {
        bool ok = false;
        const double d = s->trimmed().toDouble(&ok);
        if (ok) return d;
    }
    return std::nullopt;
}

QPointF localMouse(const DisplayObject& item, QPointF stage) {
    bool invertible = false;
    const QTransform inverse = item.worldTransform().inverted(&invertible);
    return invertible ? inverse.map(stage) : QPointF();
}

constexpr double kRadians = std::numbers::pi / 180.0;

} // namespace

PropertyValue getProperty(const DisplayObject& item, Property p, QPointF stageMouse) {
    const auto* clip = dynamic_cast<const MovieClip*>(&item);
    switch (p) {
    case Property::X:
        return item.matrix().tx;
    case Property::Y:
        return item.matrix().ty;
    case Property::XScale:
        return item.xScale() * 100;
    case Property::YScale:
        return item.yScale() * 100;
    case Property::Rotation:
        return item.rotation();
    case Property::Width:
        return item.boundsInParent().width();
    case Property::Height:
        return item.boundsInParent().height();
    case Property::Alpha:
        return item.colorTransform().am * 100;
    case Property::Visible:
        return item.visible();
    case Property::CurrentFrame:
        if (clip) return static_cast<double>(clip->currentFrame());
        return std::monostate{};
    case Property::TotalFrames:
        if (clip) return static_cast<double>(clip->totalFrames());
        return std::monostate{};
    case Property::FramesLoaded:
        if (clip) return static_cast<double>(clip->framesLoaded());
        return std::monostate{};
    case Property::Name:
        return item.name();
    case Property::XMouse:
        return localMouse(item, stageMouse).x();
    case Property::YMouse:
        return localMouse(item, stageMouse).y();
    }
    return std::monostate{};
}

void setBoxWidth(DisplayObject& item, double width) {
    const QRectF box = item.contentBounds();
    if (box.isNull() || !std::isfinite(width)) return;
    width = std::max(width, 0.0);
    const double r = item.rotation() * kRadians;
    const double c = std::abs(std::cos(r)), s = std::abs(std::sin(r));
    const double sx = item.xScale(), sy = item.yScale();
    if (c * box.width() >= s * box.height()) {
        if (box.width() <= 0) return;
        const double k =
            std::max(0.0, (width - s * std::abs(sy) * box.height()) / (c * box.width()));
        item.setXScale(sx < 0 ? -k : k);
    } else {
        const double k =
            std::max(0.0, (width - c * std::abs(sx) * box.width()) / (s * box.height()));
        item.setYScale(sy < 0 ? -k : k);
    }
}

void setBoxHeight(DisplayObject& item, double height) {
    const QRectF box = item.contentBounds();
    if (box.isNull() || !std::isfinite(height)) return;
    height = std::max(height, 0.0);
    const double r = item.rotation() * kRadians;
    const double c = std::abs(std::cos(r)), s = std::abs(std::sin(r));
    const double sx = item.xScale(), sy = item.yScale();
    if (c * box.height() >= s * box.width()) {
        if (box.height() <= 0) return;
        const double k =
            std::max(0.0, (height - s * std::abs(sx) * box.width()) / (c * box.height()));
        item.setYScale(sy < 0 ? -k : k);
    } else {
        const double k =
            std::max(0.0, (height - c * std::abs(sy) * box.height()) / (s * box.width()));
        item.setXScale(sx < 0 ? -k : k);
    }
}

bool setProperty(DisplayObject& item, Property p, const PropertyValue& value) {
    if (p == Property::Name) {
        if (const auto* s = std::get_if<QString>(&value)) {
            item.setName(*s);
            return true;
        }
        const auto n = toNumber(value);
        if (!n) return false;
        item.setName(formatNumber(*n));
        return true;
    }
    if (p == Property::Visible) {
        if (const auto* b = std::get_if<bool>(&value)) {
            item.setVisible(*b);
            return true;
        }
        const auto n = toNumber(value);
        if (!n || std::isnan(*n)) return false;
        item.setVisible(*n != 0);
        return true;
    }
    const auto n = toNumber(value);
    if (!n || !std::isfinite(*n)) return false;
    switch (p) {
    case Property::X:
        item.setPosition(*n, item.matrix().ty);
        return true;
    case Property::Y:
        item.setPosition(item.matrix().tx, *n);
        return true;
    case Property::XScale:
        item.setXScale(*n / 100);
        return true;
    case Property::YScale:
        item.setYScale(*n / 100);
        return true;
    case Property::Rotation:
        item.setRotation(*n);
        return true;
    case Property::Width:
        setBoxWidth(item, *n);
        return true;
    case Property::Height:
        setBoxHeight(item, *n);
        return true;
    case Property::Alpha: {
        auto c = item.colorTransform();
        c.am = *n / 100;
        item.setColorTransform(c);
        item.markTransformedByScript();
        return true;
    }
    default:
        return false;
    }
}

QString formatNumber(double n) {
    if (std::isnan(n)) return QStringLiteral("NaN");
    if (std::isinf(n)) return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (n == std::trunc(n) && std::abs(n) < 1e15) return QString::number(static_cast<qint64>(n));
    return QString::number(n, 'g', 15);
}

QString formatValue(const PropertyValue& value) {
    if (const auto* d = std::get_if<double>(&value)) return formatNumber(*d);
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    if (const auto* s = std::get_if<QString>(&value)) return *s;
    return {};
}

} // namespace zimo::display
