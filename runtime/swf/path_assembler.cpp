#include "swf/path_assembler.h"

#include <QPainterPathStroker>

#include <algorithm>

namespace zimo::swf {

void PathAssembler::beginGroup(std::vector<FillStyle> fills, std::vector<LineStyle> lines) {
    if (groupOpen_) closeGroup();
    group_ = PendingGroup{};
    group_.fillStyles = std::move(fills);
    group_.lineStyles = std::move(lines);
    groupOpen_ = true;
    fill0_ = fill1_ = line_ = 0;
    lineBroken_ = true;
}

void PathAssembler::moveTo(std::int64_t x, std::int64_t y) {
    pen_ = {x, y};
    lineBroken_ = true;
}

void PathAssembler::lineBy(std::int64_t dx, std::int64_t dy) {
    Edge e;
    e.from = pen_;
    e.to = {pen_.x + dx, pen_.y + dy};
    e.control = e.to;
    addEdge(e);
}

void PathAssembler::curveBy(std::int64_t cdx, std::int64_t cdy, std::int64_t adx,
                            std::int64_t ady) {
    Edge e;
    e.from = pen_;
    e.control = {pen_.x + cdx, pen_.y + cdy};
    e.to = {e.control.x + adx, e.control.y + ady};
    e.curve = true;
    addEdge(e);
}

void PathAssembler::addEdge(const Edge& e) {
    pen_ = e.to;
    if (!groupOpen_) beginGroup({}, {});
    const auto fillCount = group_.fillStyles.size();
    // A fill on both sides of an edge cancels out for that fill.
    if (fill0_ != fill1_) {
        if (fill0_ != 0 && fill0_ <= fillCount) group_.fillEdges[fill0_].push_back(e.reversed());
        if (fill1_ != 0 && fill1_ <= fillCount) group_.fillEdges[fill1_].push_back(e);
    }
    if (line_ != 0 && line_ <= group_.lineStyles.size()) {
        auto& chains = group_.chains[line_];
        if (lineBroken_ || chains.empty() || chains.back().back().to != e.from)
            chains.emplace_back();
        chains.back().push_back(e);
        lineBroken_ = false;
    } else {
        lineBroken_ = true;
    }
}

void PathAssembler::appendEdge(QPainterPath& path, const Edge& e) const {
    if (e.curve)
        path.quadTo(toF(e.control), toF(e.to));
    else
        path.lineTo(toF(e.to));
}

QPainterPath PathAssembler::contours(const std::vector<Edge>& edges) const {
    QPainterPath path;
    path.setFillRule(rule_);
    // Edges by start and by end point, each list consumed front to back.
    std::map<Point, std::vector<std::size_t>> byStart, byEnd;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        byStart[edges[i].from].push_back(i);
        byEnd[edges[i].to].push_back(i);
    }
    std::vector<bool> used(edges.size(), false);
    auto take = [&](std::map<Point, std::vector<std::size_t>>& index, Point p) {
        auto it = index.find(p);
        if (it == index.end()) return edges.size();
        auto& list = it->second;
        while (!list.empty() && used[list.back()])
            list.pop_back();
        return list.empty() ? edges.size() : list.back();
    };
    for (auto& [p, list] : byStart)
        std::reverse(list.begin(), list.end());
    for (auto& [p, list] : byEnd)
        std::reverse(list.begin(), list.end());
    for (std::size_t first = 0; first < edges.size(); ++first) {
        if (used[first]) continue;
        const Point start = edges[first].from;
        path.moveTo(toF(start));
        Edge e = edges[first];
        used[first] = true;
        while (true) {
            appendEdge(path, e);
            if (e.to == start) break;
            std::size_t next = take(byStart, e.to);
            if (next < edges.size()) {
                e = edges[next];
            } else {
                // Badly oriented data: follow an edge that ends here, backwards.
                next = take(byEnd, e.to);
                if (next >= edges.size()) break;
                e = edges[next].reversed();
            }
            used[next] = true;
        }
        path.closeSubpath();
    }
    return path;
}

QPainterPath PathAssembler::chainPath(const std::vector<std::vector<Edge>>& chains) const {
    QPainterPath path;
    for (const auto& chain : chains) {
        path.moveTo(toF(chain.front().from));
        for (const auto& e : chain)
            appendEdge(path, e);
        if (chain.size() > 1 && chain.back().to == chain.front().from) path.closeSubpath();
    }
    return path;
}

namespace {

Qt::PenCapStyle qtCap(CapStyle c) {
    switch (c) {
    case CapStyle::None:
        return Qt::FlatCap;
    case CapStyle::Square:
        return Qt::SquareCap;
    case CapStyle::Round:
        break;
    }
    return Qt::RoundCap;
}

Qt::PenJoinStyle qtJoin(JoinStyle j) {
    switch (j) {
    case JoinStyle::Bevel:
        return Qt::BevelJoin;
    case JoinStyle::Miter:
        return Qt::MiterJoin;
    case JoinStyle::Round:
        break;
    }
    return Qt::RoundJoin;
}

} // namespace

void PathAssembler::closeGroup() {
    ShapeGeometry::Group g;
    for (auto& [style, edges] : group_.fillEdges) {
        ShapeGeometry::Fill f;
        f.style = static_cast<int>(style) - 1;
        f.path = contours(edges);
        out_.bounds = out_.bounds.isNull() ? f.path.boundingRect()
                                           : out_.bounds.united(f.path.boundingRect());
        g.fills.push_back(std::move(f));
    }
    for (auto& [style, chains] : group_.chains) {
        const LineStyle& ls = group_.lineStyles[style - 1];
        ShapeGeometry::Stroke s;
        s.style = static_cast<int>(style) - 1;
        s.path = chainPath(chains);
        const double half = ls.width / 2;
        const QRectF box = s.path.boundingRect().adjusted(-half, -half, half, half);
        out_.bounds = out_.bounds.isNull() ? box : out_.bounds.united(box);
        QPainterPathStroker stroker;
        stroker.setWidth(std::max(ls.width, 1.0));
        stroker.setCapStyle(qtCap(ls.startCap));
        stroker.setJoinStyle(qtJoin(ls.join));
        s.outline = stroker.createStroke(s.path);
        g.strokes.push_back(std::move(s));
    }
    g.fillStyles = std::move(group_.fillStyles);
    g.lineStyles = std::move(group_.lineStyles);
    if (!g.fills.empty() || !g.strokes.empty()) out_.groups.push_back(std::move(g));
    group_ = PendingGroup{};
    groupOpen_ = false;
}

ShapeGeometry PathAssembler::finish() {
    if (groupOpen_) closeGroup();
    return std::move(out_);
}

bool ShapeGeometry::contains(QPointF p) const {
    if (empty() || !bounds.contains(p)) return false;
    for (const auto& g : groups) {
        for (const auto& f : g.fills)
            if (f.path.contains(p)) return true;
        for (const auto& s : g.strokes)
            if (s.outline.contains(p)) return true;
    }
    return false;
}

} // namespace zimo::swf
