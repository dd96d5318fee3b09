// The control panel over the bottom of the picture: it wakes under the pointer and fades,
// its button pauses and resumes, its knob seeks, and its indicator follows the volume keys.
#include "trial.h"

#include <QElapsedTimer>

namespace {

using Panel = Trial;

// Waits until the picture holds still: two frames a little apart are the same.
bool WaitForStill(const Session& session, const QRect& area) {
    return WaitUntil(
        [&] {
            const Frame a = session.grab();
            Settle(300);
            return DifferingPixels(a, session.grab(), area) == 0;
        },
        8000, 0);
}

bool WaitForMoving(const Session& session, const QRect& area) {
    return WaitUntil(
        [&] {
            const Frame a = session.grab();
            Settle(300);
            return DifferingPixels(a, session.grab(), area) > 500;
        },
        8000, 0);
}

TEST_F(Panel, HoverWakesAndItFadesAway) {
    start();
    const Frame playing = waitForPicture();
    ASSERT_TRUE(playing.valid());
    EXPECT_TRUE(PanelHidden(playing)) << "the panel shows before anything woke it";

    // A diagonal move over the bottom strip wakes it.
    const Frame woken = session.wakePanel();
    ASSERT_TRUE(woken.valid()) << "hovering the bottom strip did not show the panel";

    // Away from the strip, it stays a while (some 44 ticks), then fades out.
    session.moveTo(QPointF(woken.width() / 2.0, woken.height() / 3.0));
    QElapsedTimer away;
    away.start();
    const Frame soon = session.grab();
    if (away.elapsed() < 800) {
        EXPECT_TRUE(PanelShown(soon)) << "the panel went at once";
    }
    const Frame faded = session.waitForFrame(PanelHidden, 10000);
    ASSERT_TRUE(faded.valid()) << "the panel never faded out";
    EXPECT_GT(away.elapsed(), 1000) << "the panel faded out too early";
}

TEST_F(Panel, PauseButtonStopsAndResumes) {
    start();
    const Frame playing = waitForPicture();
    ASSERT_TRUE(playing.valid());
    const QRect picture = PictureRect(playing);
    const Frame withPause = session.wakePanel(60);
    ASSERT_TRUE(withPause.valid());

    // Pause: the picture stops, the button shows the play symbol.
    session.click(PlayButtonCentre(withPause));
    ASSERT_TRUE(WaitForStill(session, picture)) << "the picture did not stop";
    const Frame a = session.grab();
    Settle(1000);
    EXPECT_EQ(DifferingPixels(a, session.grab(), picture), 0) << "the paused picture moved";
    const Frame withPlay = session.wakePanel(60);
    ASSERT_TRUE(withPlay.valid());
    EXPECT_GT(DifferingPixels(withPause, withPlay, PlayButtonArea(withPlay)), 40)
        << "the button still shows the pause symbol";

    // Play again: it moves, and the pause symbol is back.
    session.click(PlayButtonCentre(withPlay));
    EXPECT_TRUE(WaitForMoving(session, picture)) << "the picture did not move on";
    const Frame resumed = session.wakePanel(60);
    ASSERT_TRUE(resumed.valid());
    EXPECT_LT(DifferingPixels(withPause, resumed, PlayButtonArea(resumed)), 10)
        << "the button does not show the pause symbol again";
}

TEST_F(Panel, KnobDragSeeks) {
    start();
    const Frame playing = waitForPicture();
    ASSERT_TRUE(playing.valid());
    const QRect picture = PictureRect(playing);

    const Frame before = session.wakePanel(200);
    ASSERT_TRUE(before.valid());
    const int knob = KnobX(before);
    ASSERT_GE(knob, 0) << "no knob on the seek groove";
    const double position = BandProgress(before, picture);
    ASSERT_GE(position, 0);
    ASSERT_LT(position, 0.3) << "the clip played on too far for this trial";
    // The time text reads 00:0x: its tens of seconds are the same glyph as its first 0.
    const std::vector<QImage> early = TimeGlyphs(before);
    ASSERT_GE(early.size(), 5u) << "no time text";
    EXPECT_TRUE(SameGlyph(early[3], early[0]));
    EXPECT_NEAR(knob, KnobXFor(before, position), 8) << "the knob is not where the clip is";

    // Drag it to 70 % and let go.
    const double target = 0.7;
    const double y = GrooveY(before);
    session.drag(QPointF(knob, y), QPointF(KnobXFor(before, target), y));
    session.moveTo(QPointF(before.width() / 2.0, before.height() / 3.0));

    // The picture jumps there and plays on.
    const Frame jumped = session.waitForFrame(
        [&](const Frame& f) { return BandProgress(f, picture) >= target - 0.04; });
    ASSERT_TRUE(jumped.valid()) << "the picture did not follow the knob";
    const double landed = BandProgress(jumped, picture);
    EXPECT_LT(landed, target + 0.1) << "the picture went past the knob's place";
    EXPECT_GT(DifferingPixels(before, jumped, picture), 1000);
    EXPECT_TRUE(
        session
            .waitForFrame([&](const Frame& f) { return BandProgress(f, picture) > landed + 0.01; })
            .valid())
        << "playing did not go on after the drag";

    // The knob and the time text tell the new place.
    const Frame after = session.wakePanel(200);
    ASSERT_TRUE(after.valid());
    EXPECT_NEAR(KnobX(after), KnobXFor(after, BandProgress(after, picture)), 8);
    // 00:2x now (or 00:1x when it landed a little short): the tens of seconds are no 0.
    const std::vector<QImage> late = TimeGlyphs(after);
    ASSERT_GE(late.size(), 5u) << "no time text";
    EXPECT_FALSE(SameGlyph(late[3], late[0])) << "the time text did not follow the knob";
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SameGlyph(early[i], late[i])) << "glyph " << i;
}

TEST_F(Panel, VolumeKeysAndMuteChangeTheIndicator) {
    start();
    ASSERT_TRUE(waitForPicture().valid());
    const Frame loud = session.wakePanel();
    ASSERT_TRUE(loud.valid());
    const int full = CountPixels(loud, VolumeBarsArea(loud), IsRed);
    ASSERT_GT(full, 40) << "the indicator should start at full volume, in red";
    auto red = [](const Frame& f) { return CountPixels(f, VolumeBarsArea(f), IsRed); };

    // Mute: all bars grey.
    session.key("m");
    EXPECT_TRUE(waitForPanel([&](const Frame& f) { return red(f) <= full / 10; }).valid())
        << "M did not mute the indicator";
    session.key("m");
    EXPECT_TRUE(waitForPanel([&](const Frame& f) { return red(f) >= full * 9 / 10; }).valid())
        << "a second M did not bring the volume back";

    // Down sixteen times: from the top, the first steps keep full volume, then about half.
    for (int i = 0; i < 16; ++i)
        session.key("Down");
    const Frame lower = waitForPanel([&](const Frame& f) { return red(f) < full * 8 / 10; });
    ASSERT_TRUE(lower.valid()) << "Down did not lower the indicator";
    EXPECT_GT(red(lower), full / 10) << "Down went all the way to silence";
    for (int i = 0; i < 16; ++i)
        session.key("Up");
    EXPECT_TRUE(waitForPanel([&](const Frame& f) { return red(f) >= full * 9 / 10; }).valid())
        << "Up did not raise the indicator again";
    EXPECT_EQ(session.run.process.state(), QProcess::Running);
}

} // namespace
