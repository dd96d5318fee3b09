// Builds a shape's outlines from its edge records.
//
// Each edge carries up to two fills (fill 0 on its left when walked forwards, fill 1 on
// its right) and a line style. The edges of every fill are collected with the fill on
// the same side (fill 0 edges reversed) and joined end to start into closed outlines;
// the edges of every line style are joined into strokes.
#pragma once

#include "swf/shape.h"

#include <cstdint>
#include <map>
#include <vector>

namespace zimo::swf {

class PathAssembler {
public:
    // `unitScale` converts the record coordinates into the outline units.
    explicit PathAssembler(double unitScale, Qt::FillRule rule = Qt::OddEvenFill)
        : scale_(unitScale), rule_(rule) {}

    // Starts a new style group; the fill and line selections go back to none.
    void beginGroup(std::vector<FillStyle> fills, std::vector<LineStyle> lines);
    void setFill0(std::uint32_t style) { fill0_ = style; }
    void setFill1(std::uint32_t style) { fill1_ = style; }
    void setLine(std::uint32_t style) { line_ = style; }
    void moveTo(std::int64_t x, std::int64_t y);
    void lineBy(std::int64_t dx, std::int64_t dy);
    void curveBy(std::int64_t cdx, std::int64_t cdy, std::int64_t adx, std::int64_t ady);

    ShapeGeometry finish();

private:
    struct Point {
        std::int64_t x = 0, y = 0;
        auto operator<=>(const Point&) const = default;
    };
    struct Edge {
        Point from, control, to;
        bool curve = false;
        Edge reversed() const { return {to, control, from, curve}; }
    };
    struct PendingGroup {
        std::vector<FillStyle> fillStyles;
        std::vector<LineStyle> lineStyles;
        std::map<std::uint32_t, std::vector<Edge>> fillEdges;           // by 1-based style
        std::map<std::uint32_t, std::vector<std::vector<Edge>>> chains; // by 1-based style
    };

    void addEdge(const Edge& e);
    void closeGroup();
    QPainterPath contours(const std::vector<Edge>& edges) const;
    QPainterPath chainPath(const std::vector<std::vector<Edge>>& chains) const;
    QPointF toF(Point p) const { return QPointF(p.x * scale_, p.y * scale_); }
    void appendEdge(QPainterPath& path, const Edge& e) const;

    double scale_;
    Qt::FillRule rule_;
    Point pen_;
    std::uint32_t fill0_ = 0, fill1_ = 0, line_ = 0;
    bool lineBroken_ = true; // a move since the last stroked edge
    PendingGroup group_;
    bool groupOpen_ = false;
    ShapeGeometry out_;
};

} // namespace zimo::swf
