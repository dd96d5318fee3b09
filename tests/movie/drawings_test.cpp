// The panel's drawings: boxes (half of each stroke included), the shape versions their
// features need, gradient axes, and the generator's geometry helpers.
#include "movie_fixture.h"
#include "shape.h"
#include "text.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace movietest;

namespace {

// Where a gradient matrix puts positions 0 and 255 (twips).
std::pair<std::pair<double, double>, std::pair<double, double>> axisOf(const Matrix& m) {
    auto at = [&](double gx) {
        return std::make_pair(m.tx + gx * m.sx / 65536.0, m.ty + gx * m.r0 / 65536.0);
    };
    return {at(-16384), at(16384)};
}

} // namespace

TEST(Drawings, BoxesOfThePanelItems) {
    struct Box {
        const char* path;
        double x0, x1, y0, y1; // px
    };
    const Box boxes[] = {
        {"controlpanel.main_bg", -0.50, 426.40, -0.50, 25.50},
        {"controlpanel.sliderbackground", -0.35, 150.10, -0.25, 9.85},
        {"controlpanel.seektotime", 0, 1, 0, 1},
        {"controlpanel.sliderpassedtime", 0, 85, 0.70, 6.70},
        // The knob's discs sit on whole twips: 0.02 to 0.03 px inside the rounded figures.
        {"controlpanel.slider", -7.25, 8.15, -8, 7.40},
        {"controlpanel.volumecontrol.volumehitarea", -5, 30, -8, 8},
        {"controlpanel.volumecontrol.volumemask", 0, 25.85, -6.10, 6.40},
        // Declared a little past its blocks, so the indicator's box comes out as designed.
        {"controlpanel.volumecontrol.volumeslider", -47.2, 45.05, -8.10, 8.30},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.path);
        const ShapeInfo s = shapeOf(findItem(b.path));
        EXPECT_DOUBLE_EQ(px(s.bounds.xMin), b.x0);
        EXPECT_DOUBLE_EQ(px(s.bounds.xMax), b.x1);
        EXPECT_DOUBLE_EQ(px(s.bounds.yMin), b.y0);
        EXPECT_DOUBLE_EQ(px(s.bounds.yMax), b.y1);
        // The stored box is the outlines plus half their strokes, except the groove's and
        // the level blocks', which reach a little further.
        const Rect g = geometricBounds(s.paths, s.lines);
        const std::string path = b.path;
        if (path != "controlpanel.sliderbackground" &&
            path != "controlpanel.volumecontrol.volumeslider") {
            EXPECT_EQ(g.xMin, s.bounds.xMin);
            EXPECT_EQ(g.xMax, s.bounds.xMax);
            EXPECT_EQ(g.yMin, s.bounds.yMin);
            EXPECT_EQ(g.yMax, s.bounds.yMax);
        }
    }
}

TEST(Drawings, PlayPauseContentBox) {
    // The face's outline gives the control's box: -0.35..28.50 x 0..26.
    const auto places = placementsIn(findItem("controlpanel.playpause"));
    const auto& face = characters().at(*places.at(0).character);
    const ShapeInfo s = readShape(face.code, face.body);
    EXPECT_EQ(s.bounds.xMin, -7);
    EXPECT_EQ(s.bounds.xMax, 570);
    EXPECT_EQ(s.bounds.yMin, 0);
    EXPECT_EQ(s.bounds.yMax, 520);
}

TEST(Drawings, ShapeVersionsFollowTheirFeatures) {
    // The groove's lines: square ends, not widened horizontally, so DefineShape4.
    const ShapeInfo groove = shapeOf(findItem("controlpanel.sliderbackground"));
    EXPECT_EQ(groove.version, 4);
    EXPECT_TRUE(groove.shape4Flags & 0x02) << "uses non-scaling strokes";
    ASSERT_EQ(groove.lines.size(), 2u);
    for (const auto& l : groove.lines) {
        EXPECT_EQ(l.width, 20);
        EXPECT_EQ(l.startCap, 2);
        EXPECT_EQ(l.endCap, 2);
        EXPECT_TRUE(l.noHScale);
        EXPECT_FALSE(l.noVScale);
    }
    int lines = 0;
    for (const auto& p : groove.paths)
        lines += p.line != 0 && p.fill0 == 0 && p.fill1 == 0;
    EXPECT_EQ(lines, 3);
    ASSERT_TRUE(groove.edgeBounds);
    EXPECT_EQ(groove.edgeBounds->xMin, 6);   // left line at 0.3
    EXPECT_EQ(groove.edgeBounds->yMax, 184); // bottom line at 9.2

    // The invisible hit area needs alpha: DefineShape3, #010101 at alpha 0.
    const ShapeInfo hit = shapeOf(findItem("controlpanel.volumecontrol.volumehitarea"));
    EXPECT_EQ(hit.version, 3);
    ASSERT_EQ(hit.fills.size(), 1u);
    EXPECT_EQ(hit.fills[0].rgba, 0x01010100u);

    // Opaque drawings keep to the first version.
    EXPECT_EQ(shapeOf(findItem("controlpanel.main_bg")).version, 1);

    // The level blocks: red left of the registration point, dark grey right of it.
    const ShapeInfo level = shapeOf(findItem("controlpanel.volumecontrol.volumeslider"));
    ASSERT_EQ(level.fills.size(), 2u);
    EXPECT_EQ(level.fills[0].rgba, 0xFF2B2BFFu);
    EXPECT_EQ(level.fills[1].rgba, 0x6A6A6AFFu);
}

TEST(Drawings, GradientAxesMapOntoTheGivenPoints) {
    struct Axis {
        const char* path;
        double y0, y255; // px
    };
    const Axis axes[] = {
        {"controlpanel.main_bg", 24.4, 0.6},
        {"controlpanel.sliderbackground", 8.9, 0},
        {"controlpanel.sliderpassedtime", 9.46, 0.64},
    };
    for (const auto& a : axes) {
        SCOPED_TRACE(a.path);
        const ShapeInfo s = shapeOf(findItem(a.path));
        ASSERT_EQ(s.fills.at(0).type, 0x10);
        const auto [from, to] = axisOf(s.fills[0].matrix);
        EXPECT_NEAR(from.second, a.y0 * 20, 0.5);
        EXPECT_NEAR(to.second, a.y255 * 20, 0.5);
        EXPECT_NEAR(from.first, to.first, 0.01) << "vertical";
    }
}

TEST(Drawings, KnobIsThreeDiscsEachOverTheLast) {
    const ShapeInfo knob = shapeOf(findItem("controlpanel.slider"));
    ASSERT_EQ(knob.fills.size(), 3u);
    ASSERT_EQ(knob.paths.size(), 3u);
    // Outer disc, inner disc over it, outlined dot over that.
    EXPECT_EQ(knob.paths[0].fill0, 0);
    EXPECT_EQ(knob.paths[0].fill1, 1);
    EXPECT_EQ(knob.paths[1].fill0, 1);
    EXPECT_EQ(knob.paths[1].fill1, 2);
    EXPECT_EQ(knob.paths[2].fill0, 2);
    EXPECT_EQ(knob.paths[2].fill1, 3);
    EXPECT_NE(knob.paths[2].line, 0);
    EXPECT_EQ(knob.fills[0].stops, (std::vector<std::pair<int, std::uint32_t>>{
                                       {24, 0x000000FF}, {222, 0xFFFFFFFF}, {255, 0xFFFFFFFF}}));
    // The rim brightens upwards and to the left, about 9 degrees off the vertical.
    const auto [from, to] = axisOf(knob.fills[0].matrix);
    const double lean = std::atan2(from.first - to.first, from.second - to.second) * 180 / M_PI;
    EXPECT_NEAR(lean, 9, 0.5);
    EXPECT_GT(from.second, to.second);
}

namespace zm = zimo::movie;

TEST(ShapeGeometry, LinearGradientMapsTheSquareOntoItsAxis) {
    const auto f =
        zm::FillStyle::linear({{0, zm::rgb(0)}, {255, zm::rgb(0xffffff)}}, {10, 20}, {40, -20});
    Matrix m{f.matrix.scaleX,      f.matrix.scaleY,     f.matrix.rotateSkew0,
             f.matrix.rotateSkew1, f.matrix.translateX, f.matrix.translateY};
    const auto [from, to] = axisOf(m);
    EXPECT_NEAR(from.first, 200, 0.5);
    EXPECT_NEAR(from.second, 400, 0.5);
    EXPECT_NEAR(to.first, 800, 0.5);
    EXPECT_NEAR(to.second, -400, 0.5);
}

TEST(ShapeGeometry, CirclesAreClosedClockwiseAndRound) {
    zm::Shape s;
    s.circle({100, -50}, 154, 1, 0, 2);
    const auto& p = s.paths().at(0);
    EXPECT_EQ(p.fill1, 1) << "inside lies right of a clockwise outline";
    EXPECT_EQ(p.fill0, 2);
    ASSERT_EQ(p.edges.size(), 8u);
    EXPECT_EQ(p.edges.back().to, p.start);
    for (const auto& e : p.edges) {
        ASSERT_TRUE(e.curved);
        // Each edge's midpoint stays within half a twip of the circle.
        zm::Point from = &e == &p.edges.front() ? p.start : (&e - 1)->to;
        const double mx = (from.x + 2 * e.control.x + e.to.x) / 4.0 - 100;
        const double my = (from.y + 2 * e.control.y + e.to.y) / 4.0 + 50;
        EXPECT_NEAR(std::hypot(mx, my), 154, 1.0);
    }
    const zm::Rect b = zm::shapeBounds(s);
    EXPECT_EQ(b.xMin, -54);
    EXPECT_EQ(b.xMax, 254);
    EXPECT_EQ(b.yMin, -204);
    EXPECT_EQ(b.yMax, 104);
}

TEST(ShapeGeometry, PolygonsTakeTheirFillInsideWhicheverWayTheyRun) {
    zm::Shape s;
    s.polygon({{0, 0}, {10, 0}, {10, 10}}, 1);
    s.polygon({{0, 0}, {10, 10}, {10, 0}}, 1);
    EXPECT_EQ(s.paths()[0].fill1, 1);
    EXPECT_EQ(s.paths()[1].fill0, 1);
}

TEST(GlyphOutlines, ParsesAndClosesContours) {
    const auto glyphs = zm::parseGlyphOutlines("# comment\n"
                                               "glyph - 341\n"
                                               "M 45.5 -232\nL 45.5 -312\nL 295.5 -312\n"
                                               "L 295.5 -232\n"
                                               "glyph : 285\nM 0 0\nQ 10 -10 20 0\n");
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].code, '-');
    EXPECT_EQ(glyphs[0].advance, 341);
    ASSERT_EQ(glyphs[0].contours.size(), 1u);
    EXPECT_EQ(glyphs[0].contours[0].start, (zm::Point{46, -232}));
    EXPECT_EQ(glyphs[0].contours[0].edges.size(), 4u) << "closed back to its start";
    EXPECT_EQ(glyphs[1].contours[0].edges.size(), 2u);
    EXPECT_TRUE(glyphs[1].contours[0].edges[0].curved);
}

TEST(GlyphOutlines, RejectsMalformedInput) {
    for (const char* bad : {"M 0 0\n", "glyph 0\n", "glyph 0 570\nL 1 2\n", "glyph 0 570\nM x y\n",
                            "glyph 0 570\nM 0 0\nQ 1 2 3\n", "glyph 0 570\nZ\n",
                            "glyph 0 570\nM 1e9 0\n", "glyph 0 -5\n"})
        EXPECT_THROW(zm::parseGlyphOutlines(bad), std::invalid_argument) << bad;
}
