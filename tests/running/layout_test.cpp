// The picture's layout on the stage, its rotation, and the panel docked and narrowed
// with the stage.
#include "clip_maker.h"
#include "clips.h"
#include "movie_fixture.h"

namespace {

class Layout : public MovieFixture {
protected:
    void SetUp() override {
        MovieFixture::SetUp();
        start();
    }
    void playClip(const ClipSpec& clip) {
        set("Ff", makeClip(clip));
        for (int i = 0; i < 300 && var("totaltime") == ""; ++i)
            ticks(1);
        ticks(1);
    }
    void resize(int w, int h) {
        movie.stage().setViewSize(QSize(w, h));
        ticks(1);
    }
    void expectPicture(double x, double y, double w, double h) {
        EXPECT_NEAR(num("vidplayer._x"), x, 0.01);
        EXPECT_NEAR(num("vidplayer._y"), y, 0.01);
        EXPECT_NEAR(num("vidplayer._width"), w, 0.01);
        EXPECT_NEAR(num("vidplayer._height"), h, 0.01);
    }
};

TEST_F(Layout, WideFileGetsBarsAboveAndBelowAndTurnsInQuarterSteps) {
    playClip({640, 360, 2});
    expectPicture(0, 45, 480, 270);
    set("RTo", "1");
    expectPicture(105, 0, 270, 360);
    EXPECT_EQ(num("vidplayer.player._rotation"), 90);
    set("RTo", "2");
    expectPicture(0.6, 0, 478.8, 360);
    EXPECT_EQ(std::abs(num("vidplayer.player._rotation")), 180);
    set("RTo", "-1");
    expectPicture(105, 0, 270, 360);
    EXPECT_EQ(num("vidplayer.player._rotation"), -90);
    set("RTo", "0");
    EXPECT_EQ(num("vidplayer.player._rotation"), 0);
}

TEST_F(Layout, FileOfTheStagesRatioFillsIt) {
    playClip({320, 240, 2});
    expectPicture(0, 0, 480, 360);
}

TEST_F(Layout, FileWithoutSizeFillsTheStageInEveryRotation) {
    playClip({320, 180, 2, true, false});
    for (const char* code : {"1", "2", "-1", "0"}) {
        set("RTo", code);
        expectPicture(0, 0, 480, 360);
    }
}

TEST_F(Layout, PanelDocksAndNarrowStagesHideItsParts) {
    resize(640, 400);
    EXPECT_NEAR(num("controlpanel._y") + 26.57, 400, 0.01);
    EXPECT_NEAR(num("controlpanel.timer._x"), 640 - 130, 1e-9);
    EXPECT_NEAR(num("controlpanel.volumecontrol._x"), 640 - 50, 1e-9);
    EXPECT_EQ(var("controlpanel.seektotime._visible"), "true");
    resize(199, 300);
    for (const char* item : {"seektotime", "sliderpassedtime", "slider", "sliderbackground"})
        EXPECT_EQ(var(QString("controlpanel.%1._visible").arg(item)), "false") << item;
    EXPECT_EQ(var("controlpanel.timer._visible"), "true");
    resize(149, 300);
    EXPECT_EQ(var("controlpanel.timer._visible"), "false");
    EXPECT_EQ(var("controlpanel.playpause._visible"), "true");
    EXPECT_EQ(var("controlpanel.volumecontrol._visible"), "true");
    resize(480, 360);
    EXPECT_EQ(var("controlpanel.timer._visible"), "true");
    EXPECT_EQ(var("controlpanel.slider._visible"), "true");
}

// A recorded broadcast whose picture changes size midway keeps its proportions: 4:3 fills
// the stage, the 8:3 that follows gets bars.
TEST_F(Layout, APictureChangingSizeIsLaidOutAnew) {
    set("Ff", zimo::media::test::sizeChangingClip());
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 1.0; }));
    expectPicture(0, 0, 480, 360);
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 2.5; }));
    EXPECT_EQ(var("flv_width"), "320");
    expectPicture(0, 90, 480, 180);
}

TEST_F(Layout, ZeroHeightStageShrinksThePictureAndTheNextResizeRestoresIt) {
    playClip({640, 360, 2});
    resize(480, 0);
    EXPECT_EQ(num("vidplayer._height"), 0);
    resize(480, 360);
    expectPicture(0, 45, 480, 270);
}

} // namespace
