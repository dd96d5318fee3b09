// Vector shapes: fill and line styles, outlines made of straight and quadratic edges, and the
// DefineShape tags that store them. Coordinates are twips unless a name says pixels.
#pragma once

#include "swf_records.h"

#include <optional>
#include <vector>

namespace zimo::movie {

struct Point {
    std::int32_t x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// A point in pixels, for drawing code.
struct PointPx {
    double x = 0, y = 0;
};

inline Point toTwips(PointPx p) {
    return {twips(p.x), twips(p.y)};
}

struct GradientStop {
    std::uint8_t position; // 0..255 along the gradient's axis
    Rgba color;
};

struct FillStyle {
    enum class Kind { Solid, Linear };
    Kind kind = Kind::Solid;
    Rgba color;                      // Solid
    Matrix matrix;                   // Linear: gradient square onto the shape
    std::vector<GradientStop> stops; // Linear

    static FillStyle solid(Rgba c) { return {Kind::Solid, c, {}, {}}; }
    // A linear gradient whose position 0 lies at `from` and position 255 at `to` (pixels).
    static FillStyle linear(std::vector<GradientStop> stops, PointPx from, PointPx to);
};

struct LineStyle {
    std::uint16_t width = 20; // twips
    Rgba color;
    // Extended styles, which need DefineShape4.
    bool squareCaps = false;
    bool noHScale = false; // the width does not grow when the item is stretched horizontally

    bool extended() const { return squareCaps || noHScale; }
};

struct Edge {
    bool curved = false;
    Point control; // curved edges only
    Point to;
};

// One run of connected edges from `start`, drawn with the given styles: 1-based indices
// into the shape's fills and lines, 0 for none. fill0 lies left of the direction of travel
// and fill1 right of it (screen coordinates, y downwards), so a clockwise outline carries its
// fill as fill1.
struct Path {
    int fill0 = 0, fill1 = 0, line = 0;
    Point start;
    std::vector<Edge> edges;
};

class Shape {
public:
    int addFill(FillStyle f);
    int addLine(LineStyle l);

    // Closed outlines, traced clockwise so `fill` is inside; fill or line may be 0.
    void rectangle(double x0, double y0, double x1, double y1, int fill, int line = 0);
    void polygon(const std::vector<PointPx>& corners, int fill, int line = 0);
    // A circle of eight quadratic edges, clockwise, `outside` the fill outside it (for discs
    // drawn over an earlier disc of the same shape) and `inside` the fill within it.
    void circle(Point centre, std::int32_t radius, int inside, int line = 0, int outside = 0);
    // An open straight stroke.
    void line(PointPx from, PointPx to, int line);
    void addPath(Path p) { paths_.push_back(std::move(p)); }

    // Kept as the shape's box instead of the computed one (outlines plus half their width).
    void setBounds(Rect r) { boundsOverride_ = r; }

    const std::vector<FillStyle>& fills() const { return fills_; }
    const std::vector<LineStyle>& lines() const { return lines_; }
    const std::vector<Path>& paths() const { return paths_; }
    const std::optional<Rect>& boundsOverride() const { return boundsOverride_; }

private:
    std::vector<FillStyle> fills_;
    std::vector<LineStyle> lines_;
    std::vector<Path> paths_;
    std::optional<Rect> boundsOverride_;
};

// The outlines' extent without strokes, and the shape's box including half of each stroke.
Rect edgeBounds(const std::vector<Path>& paths);
Rect shapeBounds(const Shape& shape);

// The lowest DefineShape version that holds the shape: 1, 2 (many styles), 3 (translucent
// colours) or 4 (extended line styles).
int shapeVersion(const Shape& shape);

// The complete DefineShape/DefineShape3/DefineShape4 tag.
Bytes defineShape(std::uint16_t id, const Shape& shape);

// SHAPERECORDs and the end record, byte-aligned at the end: the part shared with glyphs.
void writeShapeRecords(SwfWriter& w, const std::vector<Path>& paths, int fillBits, int lineBits);

} // namespace zimo::movie
