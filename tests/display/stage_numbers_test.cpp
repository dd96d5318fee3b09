// The player movie's stage at its third frame: placements, boxes and drawings of the
// video item and the control panel. Skipped while the movie has no control panel.
#include "display/container.h"
#include "display/edit_text.h"
#include "display/movie_clip.h"
#include "display/properties.h"
#include "stage/stage.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using display::Property;

// Stored boxes are whole twips (0.05 px) and the figures are rounded to hundredths, so a
// box edge may differ by up to half a twip times the scales it passes through (two of
// them, 1.25 and 1.16, for the volume indicator's level blocks).
constexpr double kBox = 0.04;
constexpr int kZoom = 4; // pixel checks render the stage four times larger

class StageNumbers : public ::testing::Test {
protected:
    void SetUp() override {
        QFile file(QStringLiteral(ZIMO_MOVIE_SWF));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << ZIMO_MOVIE_SWF;
        const QByteArray bytes = file.readAll();
        ASSERT_TRUE(stage.load({reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<std::size_t>(bytes.size())}))
            << stage.error();
        stage.gotoFrame(3);
        if (!stage.find(u"controlpanel")) GTEST_SKIP() << "the movie has no control panel yet";
    }

    display::DisplayObject& item(const char16_t* path) {
        auto* i = stage.find(QStringView(path));
        EXPECT_TRUE(i) << QString::fromUtf16(path).toStdString();
        return i ? *i : *stage.root();
    }
    double number(const char16_t* path) {
        const auto v = stage.property(QStringView(path));
        EXPECT_TRUE(std::holds_alternative<double>(v)) << QString::fromUtf16(path).toStdString();
        return std::holds_alternative<double>(v) ? std::get<double>(v) : 0;
    }
    void expectBox(const char16_t* path, double x0, double x1, double y0, double y1) {
        const QRectF b = item(path).boundsInParent();
        const std::string what = QString::fromUtf16(path).toStdString();
        EXPECT_NEAR(b.left(), x0, kBox) << what;
        EXPECT_NEAR(b.right(), x1, kBox) << what;
        EXPECT_NEAR(b.top(), y0, kBox) << what;
        EXPECT_NEAR(b.bottom(), y1, kBox) << what;
    }
    void expectPlacement(const char16_t* path, double x, double y, double sx, double sy) {
        const auto& m = item(path).matrix();
        const std::string what = QString::fromUtf16(path).toStdString();
        EXPECT_NEAR(m.tx, x, 0.001) << what;
        EXPECT_NEAR(m.ty, y, 0.001) << what;
        EXPECT_NEAR(item(path).xScale(), sx, 1e-4) << what;
        EXPECT_NEAR(item(path).yScale(), sy, 1e-4) << what;
    }

    // The colour at a stage point of a render four times the stage's size.
    QColor at(const QImage& image, double x, double y) {
        return image.pixelColor(static_cast<int>(x * kZoom), static_cast<int>(y * kZoom));
    }
    QImage shot() { return stage.renderImage(QSize(480 * kZoom, 360 * kZoom)); }
    // A point in the volume indicator's units, on the stage.
    QPointF volumePoint(double x, double y) {
        return item(u"controlpanel.volumecontrol").worldTransform().map(QPointF(x, y));
    }
    QPointF playpausePoint(double x, double y) {
        return item(u"controlpanel.playpause").worldTransform().map(QPointF(x, y));
    }

    stage::Stage stage;
};

::testing::AssertionResult near(QColor actual, QRgb expected, int tolerance = 3) {
    const QColor e(expected);
    if (std::abs(actual.red() - e.red()) <= tolerance &&
        std::abs(actual.green() - e.green()) <= tolerance &&
        std::abs(actual.blue() - e.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual.name().toStdString() << " instead of " << e.name().toStdString();
}

TEST_F(StageNumbers, RootItems) {
    EXPECT_EQ(stage.movie()->header.stage, QRectF(0, 0, 480, 360));
    EXPECT_EQ(stage.root()->totalFrames(), 6);
    EXPECT_EQ(item(u"vidplayer").depth(), 1);
    EXPECT_EQ(item(u"controlpanel").depth(), 3);
    expectPlacement(u"vidplayer", 0, 0, 1.03448, 1.03746);
    expectPlacement(u"controlpanel", 0, 334, 1.00345, 0.999954);
    EXPECT_NEAR(number(u"vidplayer._width"), 480, kBox);
    EXPECT_NEAR(number(u"vidplayer._height"), 360, kBox);
    EXPECT_NEAR(number(u"vidplayer.player._width"), 464, kBox);
    EXPECT_NEAR(number(u"vidplayer.player._height"), 347, kBox);
    expectPlacement(u"vidplayer.player", 0, 0, 2.89999, 2.89166);
    expectBox(u"controlpanel", -0.53, 486.58, 334.05, 360.62);
    EXPECT_NEAR(number(u"controlpanel._height"), 26.57, kBox);
    // Panel x 430 lies at stage x 431.48.
    EXPECT_NEAR(item(u"controlpanel").worldTransform().map(QPointF(430, 0)).x(), 431.48, 0.01);
}

TEST_F(StageNumbers, PanelItems) {
    struct Row {
        const char16_t* path;
        int depth;
        double x, y, sx, sy;
        double x0, x1, y0, y1; // box in the panel
    };
    const Row rows[] = {
        {u"controlpanel.main_bg", 1, 0, 1.10, 1.05051, 1.00069, -0.53, 447.94, 0.60, 26.62},
        {u"controlpanel.sliderbackground", 3, 37, 9.55, 1.35127, 0.887466, 36.53, 239.83, 9.33,
         18.29},
        {u"controlpanel.timer", 5, 245, 6, 0.766068, 0.750122, 244.85, 313.77, 6, 20.70},
        {u"controlpanel.seektotime", 13, 37, 10.10, 199.999, 7.99998, 37, 237, 10.10, 18.10},
        {u"controlpanel.volumecontrol", 15, 343.95, 13.70, 1.34451, 1.16153, 337.23, 484.91, 1.85,
         25.67},
        {u"controlpanel.sliderpassedtime", 22, 37.80, 9.45, 0.49765, 1.16667, 37.80, 80.10, 10.27,
         17.27},
        {u"controlpanel.slider", 24, 79.50, 13.45, 1.0625, 1.0625, 71.77, 88.17, 4.95, 21.34},
        {u"controlpanel.playpause", 28, 0, 0.05, 1, 1, -0.35, 28.50, 0.05, 26.05},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(item(r.path).depth(), r.depth) << QString::fromUtf16(r.path).toStdString();
        expectPlacement(r.path, r.x, r.y, r.sx, r.sy);
        expectBox(r.path, r.x0, r.x1, r.y0, r.y1);
    }
    // The anchor has no content: no size, only a position.
    EXPECT_EQ(item(u"controlpanel.mrdiv").depth(), 9);
    EXPECT_DOUBLE_EQ(number(u"controlpanel.mrdiv._width"), 0);
    EXPECT_DOUBLE_EQ(number(u"controlpanel.mrdiv._height"), 0);
    EXPECT_NEAR(number(u"controlpanel.mrdiv._x"), -0.10, 0.001);
    // The panel's own box runs from the top of the button face to the bottom of the
    // background.
    const QRectF content = item(u"controlpanel").contentBounds();
    EXPECT_NEAR(content.top(), 0.05, kBox);
    EXPECT_NEAR(content.bottom(), 26.62, kBox);
    EXPECT_NEAR(number(u"controlpanel.seektotime._alpha"), 0, 1e-9);
}

TEST_F(StageNumbers, VolumeIndicatorAndPlayPause) {
    expectPlacement(u"controlpanel.volumecontrol.volumeslider", 52.80, -0.10, 1.15559, 1.24989);
    EXPECT_EQ(item(u"controlpanel.volumecontrol.volumehitarea").depth(), 1);
    EXPECT_EQ(item(u"controlpanel.volumecontrol.volumemask").depth(), 2);
    EXPECT_EQ(item(u"controlpanel.volumecontrol.volumemask").clipDepth(), 6);
    EXPECT_EQ(item(u"controlpanel.volumecontrol.volumeslider").depth(), 3);
    const QRectF vc = item(u"controlpanel.volumecontrol").contentBounds();
    EXPECT_NEAR(vc.left(), -5, kBox);
    EXPECT_NEAR(vc.right(), 104.84, kBox);
    EXPECT_NEAR(vc.top(), -10.20, kBox);
    EXPECT_NEAR(vc.bottom(), 10.30, kBox);

    auto* pp = dynamic_cast<display::MovieClip*>(stage.find(u"controlpanel.playpause"));
    ASSERT_TRUE(pp);
    EXPECT_EQ(pp->currentFrame(), 1);
    EXPECT_EQ(pp->totalFrames(), 2);
    EXPECT_EQ(pp->timeline().frameOfLabel("playing"), 1);
    EXPECT_EQ(pp->timeline().frameOfLabel("paused"), 2);
    ASSERT_TRUE(pp->childAt(1)); // the button face
    EXPECT_NEAR(pp->childAt(1)->boundsInParent().top(), 0, kBox);
    ASSERT_TRUE(pp->childAt(4) && pp->childAt(8));
    EXPECT_NEAR(pp->childAt(4)->matrix().tx, 7.95, 0.001);
    EXPECT_NEAR(pp->childAt(4)->matrix().ty, 8.35, 0.001);
    EXPECT_NEAR(pp->childAt(8)->matrix().tx, 6.95, 0.001);
    EXPECT_NEAR(pp->childAt(4)->colorTransform().ra, 204, 1e-9);
    pp->gotoAndStop(2);
    EXPECT_FALSE(pp->childAt(4));
    EXPECT_FALSE(pp->childAt(8));
    ASSERT_TRUE(pp->childAt(2));
    EXPECT_EQ(pp->childAt(2)->kind(), display::ItemKind::Button);
    EXPECT_NEAR(pp->childAt(2)->matrix().tx, 1.55, 0.001);
}

TEST_F(StageNumbers, TimeDisplay) {
    struct Row {
        const char* variable;
        int depth;
        const char* text;
        swf::TextAlign align;
        double x0, x1; // box in the timer
    };
    const Row rows[] = {
        {"seek_time", 2, "07:40", swf::TextAlign::Left, -0.20, 41.80},
        {"", 3, "/", swf::TextAlign::Center, 39.80, 50},
        {"seek_total_time", 1, "07:40", swf::TextAlign::Right, 47.77, 89.77},
    };
    auto* timer = dynamic_cast<display::Container*>(stage.find(u"controlpanel.timer"));
    ASSERT_TRUE(timer);
    for (const auto& r : rows) {
        auto* field = dynamic_cast<display::EditText*>(timer->childAt(r.depth));
        ASSERT_TRUE(field) << r.depth;
        EXPECT_EQ(field->variableName().toStdString(), r.variable);
        EXPECT_EQ(field->text().toStdString(), r.text);
        EXPECT_EQ(field->def().align, r.align);
        EXPECT_DOUBLE_EQ(field->def().fontHeight, 14);
        const QRectF b = field->boundsInParent();
        EXPECT_NEAR(b.left(), r.x0, kBox) << r.depth;
        EXPECT_NEAR(b.right(), r.x1, kBox) << r.depth;
        EXPECT_NEAR(b.top(), 0, kBox) << r.depth;
        EXPECT_NEAR(b.bottom(), 19.60, kBox) << r.depth;
        ASSERT_TRUE(field->font());
        const auto& font = *field->font();
        EXPECT_EQ(font.name, "Arial_14pt_st");
        EXPECT_EQ(font.glyphs.size(), 13u);
        EXPECT_NEAR(font.ascent / font.unitsPerEm * 1024, 927, 0.5);
        EXPECT_NEAR(font.descent / font.unitsPerEm * 1024, 217, 0.5);
        EXPECT_NEAR(font.glyphs[font.glyphIndex(u'7')].advance / font.unitsPerEm * 1024, 570, 0.5);
        EXPECT_NEAR(font.glyphs[font.glyphIndex(u':')].advance / font.unitsPerEm * 1024, 285, 0.5);
    }
    EXPECT_EQ(stage.property(u"controlpanel.timer.seek_time"),
              display::PropertyValue(QStringLiteral("07:40")));
    EXPECT_EQ(timer->childByName(u"timeseparator"), timer->childAt(3));
}

TEST_F(StageNumbers, PanelColours) {
    const QImage image = shot();
    // Background strip between the groove and the time display.
    EXPECT_TRUE(near(at(image, 242, 336.6), 0xF6F6F6));
    EXPECT_TRUE(near(at(image, 242, 358.5), 0xCFCFCF));
    EXPECT_TRUE(near(at(image, 242, 335.15), 0xB5B5B5, 6)); // top outline
    // The played bar's top edge.
    EXPECT_TRUE(near(at(image, 50, 344.5), 0xFF3333));
}

TEST_F(StageNumbers, VolumeBars) {
    const QRgb red = 0xFF2B2B, grey = 0x6A6A6A;
    auto bar = [&](const QImage& image, double vx, double vy = 0.15) {
        const QPointF p = volumePoint(vx, vy);
        return at(image, p.x(), p.y());
    };
    // Stored position 52.8: everything red.
    QImage image = shot();
    EXPECT_TRUE(near(bar(image, 1), red));
    EXPECT_TRUE(near(bar(image, 7.8), red));
    EXPECT_TRUE(near(bar(image, 25.3), red));
    // Full volume: the boundary at 25.17 splits bar 9.
    ASSERT_TRUE(stage.setProperty(u"controlpanel.volumecontrol.volumeslider._x", 25.0));
    image = shot();
    EXPECT_TRUE(near(bar(image, 7.8), red));
    EXPECT_TRUE(near(bar(image, 24.93), red));
    EXPECT_TRUE(near(bar(image, 25.6), grey));
    // Outside the mask nothing shows.
    EXPECT_FALSE(near(bar(image, 9.0, 5.0), red));
    EXPECT_FALSE(near(bar(image, 9.0, 5.0), grey));
    // Mute: all grey.
    ASSERT_TRUE(stage.setProperty(u"controlpanel.volumecontrol.volumeslider._x", 0.0));
    image = shot();
    EXPECT_TRUE(near(bar(image, 1), grey));
    EXPECT_TRUE(near(bar(image, 7.8), grey));
    EXPECT_TRUE(near(bar(image, 25.3), grey));
}

TEST_F(StageNumbers, InvisiblePressAreasNeverShow) {
    for (double alpha : {100.0, 50.0}) {
        ASSERT_TRUE(stage.setProperty(u"controlpanel._alpha", alpha));
        ASSERT_TRUE(stage.setProperty(u"controlpanel.seektotime._visible", true));
        ASSERT_TRUE(stage.setProperty(u"controlpanel.volumecontrol.volumehitarea._visible", true));
        const QImage with = shot();
        ASSERT_TRUE(stage.setProperty(u"controlpanel.seektotime._visible", false));
        ASSERT_TRUE(stage.setProperty(u"controlpanel.volumecontrol.volumehitarea._visible", false));
        const QImage without = shot();
        EXPECT_TRUE(with == without) << "alpha " << alpha;
    }
}

TEST_F(StageNumbers, PlayPauseSymbols) {
    // A point on the lower part of the left pause bar, and one on the play triangle.
    const QPointF pauseBar = playpausePoint(6.95 + 2.5, 7.40 + 10);
    const QPointF triangle = playpausePoint(1.55 + 8.84 + 3 * 0.897964, 1.05 + 5.85 + 12);
    QImage image = shot();
    EXPECT_TRUE(near(at(image, pauseBar.x(), pauseBar.y()), 0x333333, 6));
    EXPECT_GT(at(image, triangle.x(), triangle.y()).red(), 150);     // the gap between the bars
    stage.setProperty(u"controlpanel.playpause._currentframe", 2.0); // read-only: no effect
    auto* pp = dynamic_cast<display::MovieClip*>(stage.find(u"controlpanel.playpause"));
    ASSERT_TRUE(pp);
    pp->gotoAndStop(2);
    image = shot();
    EXPECT_TRUE(near(at(image, triangle.x(), triangle.y()), 0x333333, 6));
    EXPECT_GT(at(image, pauseBar.x(), pauseBar.y()).red(), 150);
}

TEST(StageMovie, FramesBeforeTheThirdShowOnlyTheBackground) {
    QFile file(QStringLiteral(ZIMO_MOVIE_SWF));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    stage::Stage stage;
    ASSERT_TRUE(stage.load({reinterpret_cast<const std::uint8_t*>(bytes.data()),
                            static_cast<std::size_t>(bytes.size())}));
    EXPECT_EQ(stage.movie()->header.frameRate, 30);
    EXPECT_EQ(stage.movie()->background, (swf::Rgba{0, 0, 0, 255}));
    for (int frame : {1, 2}) {
        stage.gotoFrame(frame);
        const QImage image = stage.renderImage(QSize(480, 360));
        QImage black(image.size(), image.format());
        black.fill(Qt::black);
        EXPECT_TRUE(image == black) << "frame " << frame;
    }
}

} // namespace
