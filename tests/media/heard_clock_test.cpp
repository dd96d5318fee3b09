// The heard-time line against device reports shaped like a sound server's: a played time
// that runs ahead before the server knows its latency and then stands still, a buffer
// taken in whole blocks, small stalls and leaps later on, seeks, pauses and a device that
// stops playing.
#include "media/heard_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zimo::media {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A device fed in 10 ms steps: `given` is how much it was handed (from media time 0), `taken`
// how much the server has taken out of its buffer, `played` what it reports played.
struct Device {
    HeardClock clock;
    double given = 0, taken = 0, played = 0;
    std::int64_t now = 0;

    void give(double us, double pts) {
        clock.give(us, pts);
        given += us;
    }
    void read() { clock.observe(played, given - taken, now); }
    double heardMs() const { return 1000 * clock.heard(now).value_or(kNaN); }
};

TEST(HeardClockTest, StartsWhereTheServerBeginsTakingTheSoundNotWhereThePlayedTimeRanAhead) {
    Device d;
    // The first fill, in runs as long as the decoder's frames (the device is handed each
    // frame's samples as a run of its own).
    for (int i = 0; i < 5; ++i)
        d.give(29'000, i * 0.029);
    // The played time runs ahead of the sound to everything given, then stands still,
    // while the server takes nothing for 400 ms.
    for (int ms = 0; ms <= 400; ms += 10) {
        d.now = ms * 1000;
        d.played = std::min(145'000.0, ms * 1000.0);
        d.read();
        EXPECT_FALSE(d.clock.heard(d.now)) << ms;
    }
    // The server takes its first block: the sound starts now, from 0. The device is read
    // (how far it got) before it is given more.
    d.now = 410'000;
    d.taken = 105'000;
    d.read();
    d.give(105'000, 0.145);
    d.read();
    EXPECT_NEAR(d.heardMs(), 0.0, 0.01);
    // The played time stands still at 145 ms until the sound gets there, then runs on with
    // it; the line runs with the clock meanwhile and never moves back.
    double last = 0;
    for (int ms = 420; ms <= 2000; ms += 10) {
        d.now = ms * 1000;
        const double truth = (ms - 410) * 1000.0;
        d.played = std::max(145'000.0, truth);
        if (d.given - d.played < 150'000) d.give(10'000, d.given / 1e6);
        d.taken = std::min(d.given, std::floor(truth / 105'000 + 1) * 105'000);
        d.read();
        const double heard = d.heardMs();
        EXPECT_NEAR(heard, truth / 1000, 1.0) << ms;
        EXPECT_GE(heard, last);
        last = heard;
    }
}

TEST(HeardClockTest, EvensOutAPlayedTimeThatSwingsAroundTheSoundAndStaysSmooth) {
    Device d;
    d.give(200'000, 0.0);
    d.taken = 100'000;
    d.read();
    // The played time falls behind the sound by 90 ms over 6 s, then leaps back ahead, and
    // stands still for 10 ms now and then; the sound itself runs with the clock.
    double worst = 0, last = 0;
    for (int ms = 10; ms <= 30'000; ms += 10) {
        d.now = ms * 1000;
        const double truth = ms * 1000.0;
        const double swing = 45'000 - 90'000 * std::fmod(ms / 6000.0, 1.0);
        if ((ms / 10) % 7 != 0) d.played = truth + swing;
        d.give(10'000, d.given / 1e6);
        d.taken = d.given - 100'000;
        d.read();
        const double heard = d.heardMs();
        if (ms > 5000) worst = std::max(worst, std::abs(heard - ms));
        EXPECT_NEAR(heard - last, 10.0, 0.5) << ms; // no steps: the pace of the clock
        last = heard;
    }
    EXPECT_LT(worst, 25.0);
}

TEST(HeardClockTest, ABreakInTheSoundMovesTheLineAtOnce) {
    Device d;
    d.give(1'000'000, 0.0);
    d.taken = 500'000;
    d.read();
    d.now = 100'000;
    d.played = 100'000;
    d.read();
    EXPECT_NEAR(d.heardMs(), 100, 1);
    // The device skipped 300 ms of what it was given.
    d.now = 110'000;
    d.played = 410'000;
    d.read();
    EXPECT_NEAR(d.heardMs(), 410, 1);
}

TEST(HeardClockTest, SoundOfALeftPositionIsNotHeardAsTimeAndTheNewSoundTakesOver) {
    Device d;
    d.give(300'000, 5.0);
    d.taken = 150'000;
    d.read();
    d.now = d.played = 50'000;
    d.read();
    EXPECT_NEAR(d.heardMs(), 5050, 1);
    EXPECT_TRUE(d.clock.pending());
    // A seek to 20 s: what the device holds is no longer timed.
    d.clock.untimeGiven();
    EXPECT_FALSE(d.clock.heard(d.now));
    EXPECT_FALSE(d.clock.pending());
    d.give(300'000, 20.0);
    EXPECT_TRUE(d.clock.pending());
    for (int ms = 60; ms <= 310; ms += 10) {
        d.now = d.played = ms * 1000;
        d.taken = std::min(d.given, d.played + 100'000);
        d.read();
        if (ms < 300)
            EXPECT_FALSE(d.clock.heard(d.now)) << ms;
        else
            EXPECT_NEAR(d.heardMs(), 20'000 + ms - 300, 1) << ms;
    }
}

// A device given 400 ms of sound, all taken, and played and read for its first 100 ms.
Device PlayingItsFirst100Ms() {
    Device d;
    d.give(400'000, 0.0);
    d.taken = 400'000;
    for (int ms = 0; ms <= 100; ms += 10) {
        d.now = d.played = ms * 1000;
        d.read();
    }
    return d;
}

TEST(HeardClockTest, ADeviceThatStopsOrRunsDryIsNotHeardAndAPauseStartsAfresh) {
    Device d = PlayingItsFirst100Ms();
    EXPECT_NEAR(d.heardMs(), 100, 1);
    // Stands still: carried on for a while, then given up.
    d.now = 400'000;
    d.read();
    EXPECT_NEAR(d.heardMs(), 400, 1);
    d.now = 700'000;
    d.read();
    EXPECT_FALSE(d.clock.heard(d.now));
    // Resumes after a pause: heard again from where it stood.
    d.clock.interrupt();
    d.now = 5'000'000;
    d.read();
    EXPECT_NEAR(d.heardMs(), 100, 1);
    // Never heard beyond the sound it was given, and nothing once all of it is played.
    d.now = 5'400'000;
    EXPECT_NEAR(d.heardMs(), 400, 1);
    d.played = 400'000;
    d.read();
    EXPECT_FALSE(d.clock.heard(d.now));
    EXPECT_FALSE(d.clock.pending());

    // No longer read at all, as when the sound server goes away: given up as well.
    Device gone = PlayingItsFirst100Ms();
    gone.now = 400'000;
    EXPECT_NEAR(gone.heardMs(), 400, 1);
    gone.now = 700'000;
    EXPECT_FALSE(gone.clock.heard(gone.now));
}

} // namespace
} // namespace zimo::media
