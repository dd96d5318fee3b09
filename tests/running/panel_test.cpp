// The control panel: waking and fading, the volume codes, the time texts, play/pause,
// the click strip and the knob drag, driven with stepped ticks and stage pointer events.
#include "clip_maker.h"
#include "movie_fixture.h"

namespace {

using zimo::script::Value;

class Panel : public MovieFixture {
protected:
    void SetUp() override {
        MovieFixture::SetUp();
        start();
    }
    Value callRoot(const char* function, std::initializer_list<Value> args) {
        std::vector<Value> list(args);
        auto& engine = movie.engine();
        return engine.callMethod(Value(movie.root()), function, list);
    }
    double volume() {
        auto& engine = movie.engine();
        return engine.toNumber(
            engine.callMethod(engine.getVariable(movie.root(), "audio"), "getVolume"));
    }
    void playClip(const ClipSpec& clip) {
        set("Ff", makeClip(clip));
        ASSERT_TRUE(tickUntil([&] { return var("totaltime") != "" && var("totaltime") != "NaN"; }));
    }
    // The panel's top edge on the stage.
    double panelTop() { return num("controlpanel._y"); }
};

TEST_F(Panel, WakesOnADiagonalMoveAndFadesOnSchedule) {
    EXPECT_NEAR(num("controlpanel._alpha"), 0, 1e-9);
    movie.pointerMove({100, panelTop() + 10});
    ticks(1); // the wake-up tick
    EXPECT_NEAR(num("controlpanel._alpha"), 100, 1e-9);
    ticks(42);
    EXPECT_NEAR(num("controlpanel._alpha"), 100, 1e-9);
    // A purely horizontal move does not renew it.
    movie.pointerMove({180, panelTop() + 10});
    ticks(1); // the 43rd tick after the wake-up
    EXPECT_NEAR(num("controlpanel._alpha"), 100, 1e-9);
    ticks(1); // the 44th: the first fade step
    EXPECT_NEAR(num("controlpanel._alpha"), 95, 1e-9);
    ticks(18);
    EXPECT_NEAR(num("controlpanel._alpha"), 5, 1e-9);
    ticks(1); // the 63rd: transparent
    EXPECT_NEAR(num("controlpanel._alpha"), 0, 1e-9);
    // A pointer away from the panel wakes nothing.
    movie.pointerMove({50, 50});
    ticks(1);
    EXPECT_NEAR(num("controlpanel._alpha"), 0, 1e-9);
}

TEST_F(Panel, VolumeCodesFromStart) {
    set("Vlm", "1001");
    set("Vlm", "1001");
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 27.5, 1e-9);
    EXPECT_EQ(volume(), 100);

    set("Vlm", "1000");
    EXPECT_EQ(volume(), 0);
    set("Vlm", "1002");
    EXPECT_EQ(volume(), 100);
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 27.5, 1e-9);
}

TEST_F(Panel, ElevenStepsDownFromTheStartLeaveFullVolume) {
    for (int i = 0; i < 11; ++i)
        set("Vlm", "999");
    EXPECT_EQ(volume(), 100);
    set("Vlm", "999");
    EXPECT_NEAR(volume(), 91.2, 1e-9);
}

TEST_F(Panel, MuteBeforeAnyStepRestoresTheStoredPosition) {
    set("Vlm", "1000");
    set("Vlm", "1002");
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 52.8, 1e-9);
    EXPECT_EQ(volume(), 100);
}

TEST_F(Panel, FormatsTimes) {
    auto& engine = movie.engine();
    auto format = [&](double s) { return engine.toString(callRoot("formattime", {Value(s)})); };
    EXPECT_EQ(format(600), "10:00");
    EXPECT_EQ(format(59.5), "00:59");
    EXPECT_EQ(format(65.7), "01:05");
    EXPECT_EQ(format(3600), "60:00");
    EXPECT_EQ(format(6000), "100:00");
    EXPECT_EQ(format(0), "00:00");
}

TEST_F(Panel, PlayPauseTogglesTheButtonAndTheStream) {
    playClip({160, 120, 4});
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 0.3; }));
    EXPECT_EQ(var("controlpanel.playpause._currentframe"), "1");
    const QPointF button(14, panelTop() + 13);
    movie.pointerPress(button);
    movie.pointerRelease(button);
    EXPECT_EQ(var("controlpanel.playpause._currentframe"), "2");
    const double paused = num("ns.time");
    ticks(10);
    EXPECT_NEAR(num("ns.time"), paused, 1e-6);
    movie.pointerPress(button);
    movie.pointerRelease(button);
    EXPECT_EQ(var("controlpanel.playpause._currentframe"), "1");
    ticks(10);
    EXPECT_GT(num("ns.time"), paused + 0.2);
}

TEST_F(Panel, ClickOnTheStripSeeksByItsOwnFormula) {
    playClip({160, 120, 4});
    const double total = num("totaltime");
    const double x = 200;
    movie.pointerPress({x, panelTop() + 14});
    movie.pointerRelease({x, panelTop() + 14});
    ticks(1);
    const double expected = (x - 40) / num("controlpanel.seektotime._width") * total;
    EXPECT_NEAR(num("ns.time"), expected, 0.05);
}

// A file written as it was streamed says its duration is 0: it plays with the length
// found in it, the knob moving and the button pausing rather than going back to the start.
// Told a duration of 0 all the same, the movie leaves the knob where it is.
TEST_F(Panel, ZeroDurationIsMendedAndWouldLeaveTheKnobAlone) {
    const double before = num("controlpanel.slider._x");
    set("Ff", makeClip({160, 120, 2, true, true, 0.0}));
    ASSERT_TRUE(tickUntil([&] { return num("totaltime") > 1.9; }))
        << var("totaltime").toStdString();
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 0.3; }));
    EXPECT_GT(num("controlpanel.slider._x"), before);
    EXPECT_EQ(var("controlpanel.timer.seek_total_time"), "00:02");
    const double playing = num("ns.time");
    const QPointF button(14, panelTop() + 13);
    movie.pointerPress(button);
    movie.pointerRelease(button);
    EXPECT_EQ(var("controlpanel.playpause._currentframe"), "2");
    ticks(5);
    EXPECT_GE(num("ns.time"), playing);

    auto& engine = movie.engine();
    zimo::script::Object* zero = engine.newObject();
    zimo::script::Pinned keep(engine, zero);
    engine.set(zero, "duration", Value(0.0));
    const Value args[] = {Value(zero)};
    engine.callMethod(engine.getVariable(movie.root(), "ns"), "onMetaData", args);
    const double knob = num("controlpanel.slider._x");
    ticks(2);
    EXPECT_EQ(num("controlpanel.slider._x"), knob);
    EXPECT_EQ(var("controlpanel.timer.seek_total_time"), "00:00");
}

TEST_F(Panel, DraggingTheKnobWhilePausedEndsPlaying) {
    playClip({160, 120, 4});
    ticks(5);
    const QPointF button(14, panelTop() + 13);
    movie.pointerPress(button);
    movie.pointerRelease(button);
    ASSERT_EQ(var("controlpanel.playpause._currentframe"), "2");
    // The knob, on the stage.
    const double knobX = num("controlpanel.slider._x") * 1.00345;
    const double knobY = panelTop() + num("controlpanel.slider._y");
    movie.pointerMove({knobX, knobY});
    movie.pointerPress({knobX, knobY});
    EXPECT_EQ(var("slidingposition"), "true");
    movie.pointerMove({knobX + 150, knobY + 30}); // off the knob's line: it stays on it
    ticks(2);
    EXPECT_NEAR(num("controlpanel.slider._y"), knobY - panelTop(), 1e-6);
    movie.pointerRelease({knobX + 150, knobY + 30});
    EXPECT_EQ(var("slidingposition"), "false");
    EXPECT_EQ(var("controlpanel.playpause._currentframe"), "1");
    const double landed = num("ns.time");
    const double expected = (num("controlpanel.slider._x") - 40) / (480 - 190) * num("totaltime");
    EXPECT_NEAR(landed, expected, 0.1);
    ticks(10);
    EXPECT_GT(num("ns.time"), landed + 0.2);
}

} // namespace
