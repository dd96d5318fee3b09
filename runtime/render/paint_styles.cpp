#include "render/paint_styles.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace zimo::render {

namespace {

double toLinear(double c) {
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double fromLinear(double c) {
    c = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return std::clamp(c * 255.0, 0.0, 255.0);
}

QGradientStops gradientStops(const swf::Gradient& g, const swf::ColorTransform& cx) {
    QGradientStops stops;
    double last = -1;
    auto add = [&](double pos, QColor c) {
        // Qt wants increasing positions; equal ratios make a hard edge.
        pos = std::clamp(pos, 0.0, 1.0);
        if (pos <= last) pos = std::min(1.0, last + 1e-6);
        last = pos;
        stops.push_back({pos, c});
    };
    for (std::size_t i = 0; i < g.stops.size(); ++i) {
        const auto& s = g.stops[i];
        const QColor c = cx.applyTo(s.color);
        if (g.interpolation == swf::InterpolationMode::LinearRgb && i > 0) {
            // Qt blends in plain RGB; put in-between stops blended in linear light.
            const auto& p = g.stops[i - 1];
            const QColor pc = cx.applyTo(p.color);
            constexpr int kSteps = 8;
            for (int k = 1; k < kSteps; ++k) {
                const double t = static_cast<double>(k) / kSteps;
                auto mix = [&](int a, int b) {
                    return fromLinear(toLinear(a) * (1 - t) + toLinear(b) * t);
                };
                const QColor m(static_cast<int>(mix(pc.red(), c.red())),
                               static_cast<int>(mix(pc.green(), c.green())),
                               static_cast<int>(mix(pc.blue(), c.blue())),
                               static_cast<int>(pc.alpha() * (1 - t) + c.alpha() * t));
                add((p.ratio + (s.ratio - p.ratio) * t) / 255.0, m);
            }
        }
        add(s.ratio / 255.0, c);
    }
    return stops;
}

QGradient::Spread spreadOf(swf::SpreadMode m) {
    switch (m) {
    case swf::SpreadMode::Reflect:
        return QGradient::ReflectSpread;
    case swf::SpreadMode::Repeat:
        return QGradient::RepeatSpread;
    case swf::SpreadMode::Pad:
        break;
    }
    return QGradient::PadSpread;
}

} // namespace

QBrush fillBrush(const swf::FillStyle& fill, const swf::ColorTransform& cx) {
    using K = swf::FillKind;
    switch (fill.kind) {
    case K::Solid:
        return QBrush(cx.applyTo(fill.color));
    case K::Bitmap:
        return Qt::NoBrush;
    case K::LinearGradient:
    case K::RadialGradient:
    case K::FocalGradient:
        break;
    }
    const auto& g = fill.gradient;
    if (g.stops.empty()) return Qt::NoBrush;
    if (g.stops.size() == 1) return QBrush(cx.applyTo(g.stops.front().color));
    constexpr double h = swf::kGradientHalfSize;
    QBrush brush;
    if (fill.kind == K::LinearGradient) {
        QLinearGradient lg(-h, 0, h, 0);
        lg.setStops(gradientStops(g, cx));
        lg.setSpread(spreadOf(g.spread));
        brush = QBrush(lg);
    } else {
        QRadialGradient rg(QPointF(0, 0), h,
                           QPointF(fill.kind == K::FocalGradient ? g.focalPoint * h : 0, 0));
        rg.setStops(gradientStops(g, cx));
        rg.setSpread(spreadOf(g.spread));
        brush = QBrush(rg);
    }
    brush.setTransform(fill.matrix.toQTransform());
    return brush;
}

double strokeWidth(const swf::LineStyle& line, const QTransform& world) {
    if (line.width <= 0) return 1.0;
    const double sx = std::hypot(world.m11(), world.m12());
    const double sy = std::hypot(world.m21(), world.m22());
    double factor = (sx + sy) / 2;
    if (line.noHScale && line.noVScale) {
        factor = 1;
    } else if (line.noHScale) {
        factor = sy;
    } else if (line.noVScale) {
        factor = sx;
    }
    return line.width * factor;
}

QPen strokePen(const swf::LineStyle& line, const QTransform& world, const swf::ColorTransform& cx) {
    QPen pen;
    if (line.fill && line.fill->kind != swf::FillKind::Solid) {
        QBrush b = fillBrush(*line.fill, cx);
        b.setTransform(b.transform() * world); // the path is in device units
        pen.setBrush(b);
    } else {
        pen.setColor(cx.applyTo(line.color));
    }
    pen.setWidthF(strokeWidth(line, world));
    switch (line.startCap) {
    case swf::CapStyle::None:
        pen.setCapStyle(Qt::FlatCap);
        break;
    case swf::CapStyle::Square:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case swf::CapStyle::Round:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (line.join) {
    case swf::JoinStyle::Bevel:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case swf::JoinStyle::Miter:
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(line.miterLimit);
        break;
    case swf::JoinStyle::Round:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    return pen;
}

} // namespace zimo::render
