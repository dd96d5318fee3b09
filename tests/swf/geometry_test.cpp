// Assembling outlines from edge records.
#include "swf/movie.h"
#include "test_movies.h"

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;

std::shared_ptr<const swf::ShapeDef> loadShape(const ShapeBuilder& s) {
    MovieMaker m;
    m.add(s.tag(1));
    auto movie = m.load();
    return movie ? movie->get<swf::ShapeDef>(1) : nullptr;
}

const QPainterPath* fillPath(const swf::ShapeDef& def, int style) {
    for (const auto& g : def.geometry.groups)
        for (const auto& f : g.fills)
            if (f.style == style) return &f.path;
    return nullptr;
}

TEST(ShapeGeometry, SharedEdgeSeparatesTwoFills) {
    // Two squares side by side drawn as one outline walk: the middle edge carries the
    // left square as fill 1 and the right square as fill 0, so each fill's edges must be
    // gathered from several records and turned to join up.
    ShapeBuilder s;
    const int left = s.solid({255, 0, 0});
    const int right = s.solid({0, 0, 255});
    s.moveTo(10, 10).styles(0, left, 0).lineTo(0, 10).lineTo(0, 0).lineTo(10, 0);
    s.styles(right, left, 0).lineTo(10, 10); // the shared edge, downwards
    s.styles(right, 0, 0).lineTo(20, 10).lineTo(20, 0).lineTo(10, 0);
    auto def = loadShape(s);
    ASSERT_TRUE(def);
    const QPainterPath* l = fillPath(*def, 0);
    const QPainterPath* r = fillPath(*def, 1);
    ASSERT_TRUE(l && r);
    EXPECT_TRUE(l->contains(QPointF(5, 5)));
    EXPECT_FALSE(l->contains(QPointF(15, 5)));
    EXPECT_TRUE(r->contains(QPointF(15, 5)));
    EXPECT_FALSE(r->contains(QPointF(5, 5)));
    EXPECT_EQ(def->geometry.bounds, QRectF(0, 0, 20, 10));
}

TEST(ShapeGeometry, EdgesAgainstTheWalkStillClose) {
    // Edges whose direction does not follow the outline are joined end to end as well.
    ShapeBuilder s;
    const int fill = s.solid({0, 0, 0});
    s.moveTo(0, 0).styles(0, fill, 0).lineTo(10, 0).lineTo(10, 10);
    s.moveTo(0, 0).lineTo(0, 10).lineTo(10, 10);
    auto def = loadShape(s);
    ASSERT_TRUE(def);
    EXPECT_TRUE(def->geometry.contains(QPointF(5, 5)));
    EXPECT_EQ(fillPath(*def, 0)->elementCount(), 5);
}

TEST(ShapeGeometry, HoleAndCurves) {
    ShapeBuilder s;
    const int fill = s.solid({0, 0, 0});
    s.styles(0, fill, 0).rect(0, 0, 30, 30);
    s.styles(fill, 0, 0).rect(10, 10, 20, 20); // the same fill on the other side: a hole
    s.moveTo(40, 0).styles(0, fill, 0).curveTo(60, 10, 40, 20).lineTo(40, 0);
    auto def = loadShape(s);
    ASSERT_TRUE(def);
    EXPECT_TRUE(def->geometry.contains(QPointF(5, 5)));
    EXPECT_FALSE(def->geometry.contains(QPointF(15, 15)));
    EXPECT_TRUE(def->geometry.contains(QPointF(45, 10)));
    // The curve bulges out to x = 50, half way to its control point.
    EXPECT_NEAR(def->geometry.bounds.right(), 50, 0.01);
}

TEST(ShapeGeometry, StrokesCountForBoxesAndHits) {
    ShapeBuilder s;
    LineSpec ls;
    ls.width = 4;
    const int line = s.line(ls);
    s.styles(0, 0, line).moveTo(0, 0).lineTo(100, 0);
    auto def = loadShape(s);
    ASSERT_TRUE(def);
    EXPECT_EQ(def->geometry.bounds, QRectF(QPointF(-2, -2), QPointF(102, 2)));
    EXPECT_TRUE(def->geometry.contains(QPointF(50, 1.5)));
    EXPECT_FALSE(def->geometry.contains(QPointF(50, 3)));
}

} // namespace
