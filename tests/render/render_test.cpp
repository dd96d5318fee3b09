// Pixels of rendered test movies.
#include "display/video_surface.h"
#include "render/renderer.h"
#include "stage/stage.h"
#include "test_movies.h"

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;

constexpr Color kRed{255, 0, 0};
constexpr Color kBlue{0, 0, 255};

struct Rendered {
    stage::Stage stage;
    QImage image;
};

std::unique_ptr<Rendered> render(const MovieMaker& m, QSize size = {100, 100},
                                 const std::function<void(stage::Stage&)>& setup = {}) {
    auto r = std::make_unique<Rendered>();
    const Bytes file = m.file();
    EXPECT_TRUE(r->stage.load(file)) << r->stage.error();
    if (setup) setup(r->stage);
    r->image = r->stage.renderImage(size);
    return r;
}

// Colour channels within a tolerance.
::testing::AssertionResult near(QColor actual, QColor expected, int tolerance = 2) {
    if (std::abs(actual.red() - expected.red()) <= tolerance &&
        std::abs(actual.green() - expected.green()) <= tolerance &&
        std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual.name().toStdString() << " instead of " << expected.name().toStdString();
}

QColor px(const Rendered& r, int x, int y) {
    return r.image.pixelColor(x, y);
}

TEST(RenderShapes, SharedEdgeFillsBothSides) {
    ShapeBuilder s;
    const int left = s.solid(kRed), right = s.solid(kBlue);
    s.moveTo(50, 80).styles(0, left, 0).lineTo(10, 80).lineTo(10, 20).lineTo(50, 20);
    s.styles(right, left, 0).lineTo(50, 80);
    s.styles(right, 0, 0).lineTo(90, 80).lineTo(90, 20).lineTo(50, 20);
    MovieMaker m;
    m.add(s.tag(1)).add(placeTag(1, 1)).showFrame();
    auto r = render(m);
    EXPECT_TRUE(near(px(*r, 30, 50), Qt::red));
    EXPECT_TRUE(near(px(*r, 48, 50), Qt::red));
    EXPECT_TRUE(near(px(*r, 51, 50), Qt::blue));
    EXPECT_TRUE(near(px(*r, 70, 50), Qt::blue));
    EXPECT_TRUE(near(px(*r, 5, 50), Qt::white)); // the default background
    EXPECT_TRUE(near(px(*r, 50, 90), Qt::white));
}

TEST(RenderShapes, GradientsInterpolateAndPad) {
    // Red to blue across x 25..75 of a rect 0..100; the ends continue outside.
    ShapeBuilder s;
    const int g = s.linear({{0, kRed}, {255, kBlue}}, Place{50 / 1638.4, 0, 0, 1, 50, 0});
    s.styles(0, g, 0).rect(0, 0, 100, 40);
    ShapeBuilder t; // three stops, with a hard edge in the middle
    const int g3 = t.linear({{0, kRed}, {128, {0, 255, 0}}, {128, kBlue}, {255, kBlue}},
                            Place{100 / 1638.4, 0, 0, 1, 50, 0});
    t.styles(0, g3, 0).rect(0, 60, 100, 100);
    MovieMaker m;
    m.add(s.tag(1)).add(t.tag(2)).add(placeTag(1, 1)).add(placeTag(2, 2)).showFrame();
    auto r = render(m);
    EXPECT_TRUE(near(px(*r, 2, 20), Qt::red));
    EXPECT_TRUE(near(px(*r, 24, 20), Qt::red, 8));
    EXPECT_TRUE(near(px(*r, 50, 20), QColor(128, 0, 127), 4));
    EXPECT_TRUE(near(px(*r, 76, 20), Qt::blue, 8));
    EXPECT_TRUE(near(px(*r, 97, 20), Qt::blue));
    EXPECT_TRUE(near(px(*r, 25, 80), QColor(128, 127, 0), 6)); // half way red → green
    EXPECT_TRUE(near(px(*r, 53, 80), Qt::blue, 6));
}

TEST(RenderShapes, ColourTransformsAndAlpha) {
    ShapeBuilder s;
    s.styles(0, s.solid({200, 100, 50}), 0).rect(0, 0, 100, 100);
    MovieMaker m;
    m.add(movie::tag(9, {0, 0, 0}));
    m.add(s.tag(1));
    m.add(placeTag(1, 1, Place{1, 0, 0, 1, 0, 0}, CxForm{128, 256, 512, 256, 0, 10, 0, 0}));
    m.add(placeTag(2, 1, Place{1, 0, 0, 1, 50, 0}, CxForm{256, 256, 256, 0, 0, 0, 0, 0}));
    m.showFrame();
    auto r = render(m);
    EXPECT_TRUE(near(px(*r, 25, 50), QColor(100, 110, 100)));
    EXPECT_TRUE(near(px(*r, 75, 50), QColor(100, 110, 100))); // the copy above is invisible

    auto half = render(m, {100, 100}, [](stage::Stage& p) {
        EXPECT_TRUE(p.root()->childAt(2));
        p.root()->childAt(2)->setColorTransform({1, 1, 1, 0.5, 0, 0, 0, 0});
    });
    EXPECT_TRUE(near(px(*half, 75, 50), QColor(150, 105, 75), 3));
}

TEST(RenderShapes, MaskLimitsTheDepthsItCovers) {
    ShapeBuilder mask, strip, top;
    mask.styles(0, mask.solid({0, 255, 0}), 0).rect(0, 0, 50, 100);
    strip.styles(0, strip.solid(kRed), 0).rect(0, 40, 100, 60);
    top.styles(0, top.solid(kBlue), 0).rect(0, 70, 100, 80);
    MovieMaker m;
    m.add(mask.tag(1)).add(strip.tag(2)).add(top.tag(3));
    m.add(placeTag(1, 1, {}, {}, "mask", 2)).add(placeTag(2, 2)).add(placeTag(3, 3));
    m.showFrame();
    auto r = render(m);
    EXPECT_TRUE(near(px(*r, 25, 50), Qt::red));
    EXPECT_TRUE(near(px(*r, 75, 50), Qt::white)); // masked off
    EXPECT_TRUE(near(px(*r, 25, 20), Qt::white)); // the mask itself is not drawn
    EXPECT_TRUE(near(px(*r, 75, 75), Qt::blue));  // above the mask's depths
}

int inkedRun(const QImage& image, int y, int from, int to) {
    int n = 0;
    for (int x = from; x < to; ++x)
        if (image.pixelColor(x, y).red() > 128 && image.pixelColor(x, y).green() < 128) ++n;
    return n;
}

TEST(RenderStrokes, NonScalingWidthUnderStretching) {
    auto lineShape = [](bool noHScale) {
        ShapeBuilder s(4);
        LineSpec ls;
        ls.width = 2;
        ls.color = kRed;
        ls.noHScale = noHScale;
        s.styles(0, 0, s.line(ls)).moveTo(5, 10).lineTo(5, 90);
        return s;
    };
    MovieMaker m;
    m.add(lineShape(true).tag(1)).add(lineShape(false).tag(2));
    m.add(placeTag(1, 1, Place{8, 0, 0, 1, -15, 0})); // the line lands at x 25
    m.add(placeTag(2, 2, Place{8, 0, 0, 1, 35, 0}));  // and at x 75
    m.showFrame();
    auto r = render(m);
    const int thin = inkedRun(r->image, 50, 0, 50);
    const int wide = inkedRun(r->image, 50, 50, 100);
    EXPECT_GE(thin, 1);
    EXPECT_LE(thin, 3);
    EXPECT_GE(wide, 8);
    EXPECT_LE(wide, 10);
}

TEST(RenderStrokes, Caps) {
    auto line = [](int cap) {
        ShapeBuilder s(4);
        LineSpec ls;
        ls.width = 10;
        ls.color = kRed;
        ls.startCap = ls.endCap = cap;
        s.styles(0, 0, s.line(ls)).moveTo(20, 0).lineTo(80, 0);
        return s;
    };
    MovieMaker m;
    m.add(line(1).tag(1)).add(line(2).tag(2)).add(line(0).tag(3));
    m.add(placeTag(1, 1, Place{1, 0, 0, 1, 0, 20}));
    m.add(placeTag(2, 2, Place{1, 0, 0, 1, 0, 50}));
    m.add(placeTag(3, 3, Place{1, 0, 0, 1, 0, 80}));
    m.showFrame();
    auto r = render(m);
    EXPECT_TRUE(near(px(*r, 17, 20), Qt::white)); // no caps: ends at x 20
    EXPECT_TRUE(near(px(*r, 21, 20), Qt::red));
    EXPECT_TRUE(near(px(*r, 17, 46), Qt::red));   // square: 5 px beyond, corners too
    EXPECT_TRUE(near(px(*r, 17, 80), Qt::red));   // round: beyond on the axis
    EXPECT_TRUE(near(px(*r, 15, 75), Qt::white)); // but not in the corner
}

// A font whose "1" is a 500-unit-wide box, 700 units tall, advancing 500 units.
MovieMaker textMovie(int align) {
    MovieMaker m;
    m.add(movie::tag(9, {255, 255, 255}));
    m.add(fontTag(1, {{u'1', 0, -700, 500, 0, 500}}, 800, 200, 0));
    FieldSpec f;
    f.x0 = 0;
    f.x1 = 100;
    f.y0 = 0;
    f.y1 = 30;
    f.fontId = 1;
    f.height = 20.48; // 0.02 px a font unit: the glyph is 10 × 14 px
    f.align = align;
    f.text = "11";
    f.variable = "value";
    m.add(editTextTag(2, f)).add(placeTag(1, 2, {}, {}, "field")).showFrame();
    return m;
}

std::pair<int, int> inkSpan(const QImage& image, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y).red() < 128) {
            if (first < 0) first = x;
            last = x;
        }
    }
    return {first, last};
}

TEST(RenderText, AlignmentWithinTheField) {
    // The baseline is 2 + 16 px down; the ink runs from y 4 to 18.
    auto left = render(textMovie(0));
    EXPECT_EQ(inkSpan(left->image, 10), std::make_pair(2, 21));
    EXPECT_EQ(inkSpan(left->image, 2), std::make_pair(-1, -1));
    EXPECT_EQ(inkSpan(left->image, 20), std::make_pair(-1, -1));
    auto right = render(textMovie(1));
    EXPECT_EQ(inkSpan(right->image, 10), std::make_pair(78, 97));
    auto centre = render(textMovie(2));
    EXPECT_EQ(inkSpan(centre->image, 10), std::make_pair(40, 59));
    // The text follows what is set on the field.
    auto changed = render(textMovie(1), {100, 100}, [](stage::Stage& p) {
        EXPECT_TRUE(p.setProperty(u"value", QStringLiteral("1")));
    });
    EXPECT_EQ(inkSpan(changed->image, 10), std::make_pair(88, 97));
}

TEST(RenderText, StaticTextRuns) {
    // DefineText: one run of two "1" glyphs at baseline (10, 50), 20.48 px high, the
    // second 30 px after the first.
    movie::SwfWriter w;
    w.u16(3);
    w.rect(0, 2000, 0, 2000);
    w.u8(0);  // identity matrix
    w.u8(1);  // glyph bits
    w.u8(12); // advance bits
    w.u8(0x80 | 0x08 | 0x04 | 0x02 | 0x01);
    w.u16(1);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    w.s16(200);
    w.s16(1000);
    w.u16(410); // 20.5 px
    w.u8(2);
    w.ubits(0, 1);
    w.sbits(600, 12);
    w.ubits(0, 1);
    w.sbits(600, 12);
    w.flushBits();
    w.u8(0);
    MovieMaker m;
    m.add(movie::tag(9, {255, 255, 255}));
    m.add(fontTag(1, {{u'1', 0, -700, 500, 0, 500}}, 800, 200, 0));
    m.add(movie::tag(11, w.data())).add(placeTag(1, 3)).showFrame();
    auto r = render(m);
    EXPECT_EQ(inkSpan(r->image, 45), std::make_pair(10, 49));
    EXPECT_TRUE(near(px(*r, 15, 45), Qt::black));
    EXPECT_TRUE(near(px(*r, 30, 45), Qt::white)); // between the glyphs
    EXPECT_TRUE(near(px(*r, 15, 30), Qt::white)); // above the glyph: 14 px tall
}

TEST(RenderVideo, PictureStretchedOverTheSurface) {
    MovieMaker m;
    m.add(videoTag(1, 160, 120));
    m.add(placeTag(1, 1, Place{0.25, 0, 0, 0.5, 10, 0}, {}, "player")).showFrame();
    auto empty = render(m);
    EXPECT_TRUE(near(px(*empty, 20, 20), Qt::white));
    auto shown = render(m, {100, 100}, [](stage::Stage& p) {
        auto* video = dynamic_cast<display::VideoSurface*>(p.find(u"player"));
        ASSERT_TRUE(video);
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::green);
        video->setPicture(picture);
    });
    EXPECT_TRUE(near(px(*shown, 11, 1), Qt::green));
    EXPECT_TRUE(near(px(*shown, 48, 58), Qt::green));
    EXPECT_TRUE(near(px(*shown, 52, 30), Qt::white)); // 10 + 160 × 0.25 = 50
    EXPECT_TRUE(near(px(*shown, 30, 62), Qt::white)); // 120 × 0.5 = 60
}

// The background is left unfilled only under an opaque picture drawn pixel for pixel: it
// shows through a picture with alpha, a surface made half transparent, and around a
// picture made for another place (stretched by the painter, its edges blended).
TEST(RenderVideo, BackgroundShowsWhereNoOpaquePictureCoversIt) {
    MovieMaker m(60, 60);
    m.add(movie::tag(9, {0, 0, 255})).add(videoTag(1, 40, 40));
    m.add(placeTag(1, 1, Place{1, 0, 0, 1, 10, 10}, {}, "player")).showFrame();
    struct Case {
        QImage::Format format;
        QColor colour;
        double alpha;
        QColor expected;
    };
    const Case cases[] = {
        {QImage::Format_RGB32, Qt::green, 1.0, Qt::green},
        {QImage::Format_ARGB32, Qt::transparent, 1.0, Qt::blue},
        {QImage::Format_RGB32, Qt::green, 0.5, QColor(0, 128, 127)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << ", alpha " << c.alpha);
        auto shown = render(m, {60, 60}, [&](stage::Stage& p) {
            auto* video = dynamic_cast<display::VideoSurface*>(p.find(u"player"));
            ASSERT_TRUE(video);
            QImage picture(40, 40, c.format);
            picture.fill(c.colour);
            // Made for its place: 40 × 40 at (10, 10), upright.
            video->setSmoothing(true);
            video->setPicture(picture, media::PictureTarget{QSize(40, 40)});
            swf::ColorTransform cx;
            cx.am = c.alpha;
            video->setColorTransform(cx);
            const QRegion covered = render::Renderer::opaqueArea(*p.root(), p.stageToView(), 1.0);
            EXPECT_EQ(covered, c.expected == Qt::green ? QRegion(10, 10, 40, 40) : QRegion());
        });
        EXPECT_TRUE(near(px(*shown, 30, 30), c.expected));
        EXPECT_TRUE(near(px(*shown, 5, 5), Qt::blue));
        EXPECT_TRUE(near(px(*shown, 55, 30), Qt::blue));
    }
}

TEST(RenderStage, ScaleModes) {
    ShapeBuilder s;
    s.styles(0, s.solid(kRed), 0).rect(0, 0, 10, 10);
    MovieMaker m(100, 100);
    m.add(movie::tag(9, {0, 0, 0})).add(s.tag(1)).add(placeTag(1, 1)).showFrame();
    // Fitted: a 300 × 200 view shows the 100 × 100 stage twice as large, centred.
    auto fit = render(m, {300, 200});
    EXPECT_TRUE(near(px(*fit, 55, 5), Qt::red));
    EXPECT_TRUE(near(px(*fit, 69, 19), Qt::red));
    EXPECT_TRUE(near(px(*fit, 71, 21), Qt::black));
    EXPECT_EQ(fit->stage.stageSize(), QSizeF(100, 100));
    EXPECT_EQ(fit->stage.viewToStage({150, 100}), QPointF(50, 50));
    auto plain =
        render(m, {300, 200}, [](stage::Stage& p) { p.setScaleMode(stage::ScaleMode::NoScale); });
    EXPECT_TRUE(near(px(*plain, 5, 5), Qt::red));
    EXPECT_TRUE(near(px(*plain, 12, 12), Qt::black));
    EXPECT_EQ(plain->stage.stageSize(), QSizeF(300, 200));
}

} // namespace
