#include "shape.h"

#include "swf/tag_codes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace zimo::movie {

FillStyle FillStyle::linear(std::vector<GradientStop> stops, PointPx from, PointPx to) {
    // The gradient square spans -16384..16384 twips on its x axis; map that span onto
    // from..to, and its y axis onto the perpendicular of the same length.
    const double dx = (to.x - from.x) * 20.0, dy = (to.y - from.y) * 20.0;
    FillStyle f;
    f.kind = Kind::Linear;
    f.stops = std::move(stops);
    f.matrix.scaleX = fixed16(dx / 32768.0);
    f.matrix.rotateSkew0 = fixed16(dy / 32768.0);
    f.matrix.rotateSkew1 = fixed16(-dy / 32768.0);
    f.matrix.scaleY = fixed16(dx / 32768.0);
    f.matrix.translateX = twips((from.x + to.x) / 2.0);
    f.matrix.translateY = twips((from.y + to.y) / 2.0);
    return f;
}

int Shape::addFill(FillStyle f) {
    fills_.push_back(std::move(f));
    return static_cast<int>(fills_.size());
}

int Shape::addLine(LineStyle l) {
    lines_.push_back(l);
    return static_cast<int>(lines_.size());
}

void Shape::rectangle(double x0, double y0, double x1, double y1, int fill, int line) {
    polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, fill, line);
}

void Shape::polygon(const std::vector<PointPx>& corners, int fill, int line) {
    if (corners.size() < 3) return;
    double area2 = 0; // positive when clockwise on the screen
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const auto& a = corners[i];
        const auto& b = corners[(i + 1) % corners.size()];
        area2 += a.x * b.y - b.x * a.y;
    }
    Path p;
    (area2 >= 0 ? p.fill1 : p.fill0) = fill;
    p.line = line;
    p.start = toTwips(corners.front());
    for (std::size_t i = 1; i <= corners.size(); ++i)
        p.edges.push_back({false, {}, toTwips(corners[i % corners.size()])});
    paths_.push_back(std::move(p));
}

void Shape::circle(Point centre, std::int32_t radius, int inside, int line, int outside) {
    // Anchors every 45 degrees on the circle, control points on the tangents' crossings.
    const double step = std::numbers::pi / 4;
    const double controlRadius = radius / std::cos(step / 2);
    auto at = [&](double angle, double r) {
        return Point{centre.x + static_cast<std::int32_t>(std::lround(r * std::cos(angle))),
                     centre.y + static_cast<std::int32_t>(std::lround(r * std::sin(angle)))};
    };
    Path p;
    p.fill0 = outside;
    p.fill1 = inside; // angles grow clockwise on the screen
    p.line = line;
    p.start = at(0, radius);
    for (int k = 0; k < 8; ++k)
        p.edges.push_back({true, at((k + 0.5) * step, controlRadius), at((k + 1) * step, radius)});
    p.edges.back().to = p.start;
    paths_.push_back(std::move(p));
}

void Shape::line(PointPx from, PointPx to, int lineStyle) {
    Path p;
    p.line = lineStyle;
    p.start = toTwips(from);
    p.edges.push_back({false, {}, toTwips(to)});
    paths_.push_back(std::move(p));
}

namespace {

struct Extent {
    double xMin = std::numeric_limits<double>::max(), xMax = std::numeric_limits<double>::lowest();
    double yMin = std::numeric_limits<double>::max(), yMax = std::numeric_limits<double>::lowest();

    void add(double x, double y) {
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    }
    bool empty() const { return xMin > xMax; }
};

// The extreme of a quadratic edge along one axis, if it lies inside the edge.
void addCurveExtreme(double a, double c, double b, double& at, bool& found) {
    const double d = a - 2 * c + b;
    if (d == 0) return;
    const double t = (a - c) / d;
    if (t > 0 && t < 1) {
        at = t;
        found = true;
    }
}

Extent pathExtent(const Path& p) {
    Extent e;
    Point pen = p.start;
    e.add(pen.x, pen.y);
    for (const auto& edge : p.edges) {
        if (edge.curved) {
            for (int axis = 0; axis < 2; ++axis) {
                const double a = axis ? pen.y : pen.x, c = axis ? edge.control.y : edge.control.x,
                             b = axis ? edge.to.y : edge.to.x;
                double t = 0;
                bool found = false;
                addCurveExtreme(a, c, b, t, found);
                if (found) {
                    const auto q = [&](double p0, double p1, double p2) {
                        return (1 - t) * (1 - t) * p0 + 2 * t * (1 - t) * p1 + t * t * p2;
                    };
                    e.add(q(pen.x, edge.control.x, edge.to.x), q(pen.y, edge.control.y, edge.to.y));
                }
            }
        }
        e.add(edge.to.x, edge.to.y);
        pen = edge.to;
    }
    return e;
}

Rect toRect(const Extent& e) {
    if (e.empty()) return {};
    return {static_cast<std::int32_t>(std::floor(e.xMin)),
            static_cast<std::int32_t>(std::ceil(e.xMax)),
            static_cast<std::int32_t>(std::floor(e.yMin)),
            static_cast<std::int32_t>(std::ceil(e.yMax))};
}

void writeFillStyle(SwfWriter& w, const FillStyle& f, int version) {
    auto colour = [&](Rgba c) { version >= 3 ? writeRgba(w, c) : writeRgb(w, c); };
    if (f.kind == FillStyle::Kind::Solid) {
        w.u8(0x00);
        colour(f.color);
        return;
    }
    if (f.stops.size() < 1 || f.stops.size() > 15)
        throw std::invalid_argument("a gradient holds 1 to 15 stops");
    w.u8(0x10);
    writeMatrix(w, f.matrix);
    // Pad spread, RGB interpolation, then the stop count.
    w.u8(static_cast<std::uint8_t>(f.stops.size()));
    for (const auto& s : f.stops) {
        w.u8(s.position);
        colour(s.color);
    }
}

void writeLineStyle(SwfWriter& w, const LineStyle& l, int version) {
    w.u16(l.width);
    if (version < 4) {
        version >= 3 ? writeRgba(w, l.color) : writeRgb(w, l.color);
        return;
    }
    const std::uint32_t cap = l.squareCaps ? 2 : 0; // 0 round, 2 square
    const std::uint32_t join = 0;                   // round
    w.ubits(cap, 2);
    w.ubits(join, 2);
    w.ubits(0, 1); // no fill: a plain colour follows
    w.ubits(l.noHScale ? 1 : 0, 1);
    w.ubits(0, 1); // scales vertically
    w.ubits(0, 1); // no pixel hinting
    w.ubits(0, 5);
    w.ubits(0, 1); // closed paths are joined
    w.ubits(cap, 2);
    writeRgba(w, l.color);
}

void writeStyleArrays(SwfWriter& w, const Shape& s, int version) {
    auto count = [&](std::size_t n) {
        if (n < 0xff) {
            w.u8(static_cast<std::uint8_t>(n));
        } else if (version >= 2 && n <= 0xffff) {
            w.u8(0xff);
            w.u16(static_cast<std::uint16_t>(n));
        } else {
            throw std::invalid_argument("too many styles in one shape");
        }
    };
    count(s.fills().size());
    for (const auto& f : s.fills())
        writeFillStyle(w, f, version);
    count(s.lines().size());
    for (const auto& l : s.lines())
        writeLineStyle(w, l, version);
}

void writeEdge(SwfWriter& w, Point from, const Edge& e) {
    if (e.curved) {
        const std::int32_t v[4] = {e.control.x - from.x, e.control.y - from.y, e.to.x - e.control.x,
                                   e.to.y - e.control.y};
        int n = 2;
        for (auto d : v)
            n = std::max(n, signedBitsFor(d));
        if (n > 17) throw std::invalid_argument("edge too long");
        w.ubits(0b10, 2);
        w.ubits(n - 2, 4);
        for (auto d : v)
            w.sbits(d, n);
        return;
    }
    const std::int32_t dx = e.to.x - from.x, dy = e.to.y - from.y;
    int n = std::max({2, signedBitsFor(dx), signedBitsFor(dy)});
    if (n > 17) throw std::invalid_argument("edge too long");
    w.ubits(0b11, 2);
    w.ubits(n - 2, 4);
    if (dx != 0 && dy != 0) {
        w.ubits(1, 1);
        w.sbits(dx, n);
        w.sbits(dy, n);
    } else {
        w.ubits(0, 1);
        w.ubits(dx == 0 ? 1 : 0, 1); // vertical
        w.sbits(dx == 0 ? dy : dx, n);
    }
}

} // namespace

Rect edgeBounds(const std::vector<Path>& paths) {
    Extent all;
    for (const auto& p : paths) {
        const auto e = pathExtent(p);
        if (e.empty()) continue;
        all.add(e.xMin, e.yMin);
        all.add(e.xMax, e.yMax);
    }
    return toRect(all);
}

Rect shapeBounds(const Shape& shape) {
    if (shape.boundsOverride()) return *shape.boundsOverride();
    Extent all;
    for (const auto& p : shape.paths()) {
        const auto e = pathExtent(p);
        if (e.empty()) continue;
        double half = 0;
        if (p.line > 0 && p.line <= static_cast<int>(shape.lines().size()))
            half = shape.lines()[p.line - 1].width / 2.0;
        all.add(e.xMin - half, e.yMin - half);
        all.add(e.xMax + half, e.yMax + half);
    }
    return toRect(all);
}

int shapeVersion(const Shape& shape) {
    for (const auto& l : shape.lines())
        if (l.extended()) return 4;
    for (const auto& l : shape.lines())
        if (l.color.a != 255) return 3;
    for (const auto& f : shape.fills()) {
        if (f.color.a != 255) return 3;
        for (const auto& s : f.stops)
            if (s.color.a != 255) return 3;
    }
    if (shape.fills().size() >= 0xff || shape.lines().size() >= 0xff) return 2;
    return 1;
}

void writeShapeRecords(SwfWriter& w, const std::vector<Path>& paths, int fillBits, int lineBits) {
    int fill0 = 0, fill1 = 0, line = 0;
    for (const auto& p : paths) {
        // Style change: only the styles that differ, always with a move to the path's start.
        const bool f0 = p.fill0 != fill0, f1 = p.fill1 != fill1, l = p.line != line;
        w.ubits(0, 1); // not an edge
        w.ubits(0, 1); // no new styles
        w.ubits(l, 1);
        w.ubits(f1, 1);
        w.ubits(f0, 1);
        w.ubits(1, 1); // move to
        const int n = std::max(signedBitsFor(p.start.x), signedBitsFor(p.start.y));
        w.ubits(n, 5);
        w.sbits(p.start.x, n);
        w.sbits(p.start.y, n);
        if ((f0 && p.fill0 >= (1 << fillBits)) || (f1 && p.fill1 >= (1 << fillBits)) ||
            (l && p.line >= (1 << lineBits)))
            throw std::invalid_argument("style index out of range");
        if (f0) w.ubits(p.fill0, fillBits);
        if (f1) w.ubits(p.fill1, fillBits);
        if (l) w.ubits(p.line, lineBits);
        fill0 = p.fill0;
        fill1 = p.fill1;
        line = p.line;
        Point pen = p.start;
        for (const auto& e : p.edges) {
            if (e.to == pen && !e.curved) continue;
            writeEdge(w, pen, e);
            pen = e.to;
        }
    }
    w.ubits(0, 6); // end of shape
    w.flushBits();
}

Bytes defineShape(std::uint16_t id, const Shape& shape) {
    const int version = shapeVersion(shape);
    SwfWriter w;
    w.u16(id);
    writeRect(w, shapeBounds(shape));
    if (version == 4) {
        writeRect(w, edgeBounds(shape.paths()));
        // No fill winding rule; non-scaling strokes if any, scaling strokes if any.
        bool nonScaling = false, scaling = false;
        for (const auto& l : shape.lines())
            (l.noHScale ? nonScaling : scaling) = true;
        w.u8(static_cast<std::uint8_t>((nonScaling ? 2 : 0) | (scaling ? 1 : 0)));
    }
    writeStyleArrays(w, shape, version);
    const int fillBits = unsignedBitsFor(static_cast<std::uint32_t>(shape.fills().size()));
    const int lineBits = unsignedBitsFor(static_cast<std::uint32_t>(shape.lines().size()));
    w.ubits(fillBits, 4);
    w.ubits(lineBits, 4);
    writeShapeRecords(w, shape.paths(), fillBits, lineBits);
    const int code = version == 4   ? swf::kTagDefineShape4
                     : version == 3 ? swf::kTagDefineShape3
                     : version == 2 ? swf::kTagDefineShape2
                                    : swf::kTagDefineShape;
    return tag(code, w.data());
}

} // namespace zimo::movie
