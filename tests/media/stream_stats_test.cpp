// The stream's playback figures: every decoded picture ends up shown or dropped, passing
// over pictures on the way to a seek target drops nothing, and the offset of the picture
// from the clock is sampled only while playing.
#include "media/stream.h"

#include "media/clock.h"

#include "clips.h"

#include <gtest/gtest.h>

namespace zimo::media {
namespace {

using namespace test;

class StreamStatsTest : public ::testing::Test {
protected:
    ManualClock clock;
    Stream stream{Stream::Options{&clock, false}};

    // One tick of a player: the clock moves, then it looks for a new picture and takes it.
    void tick(int ms) {
        clock.advanceMs(ms);
        ASSERT_TRUE(stream.waitForDecoder());
        stream.pollReports();
        stream.frameSerial();
        stream.currentFrame();
    }
    void playToEnd(int stepMs) {
        for (int i = 0; i < 400 && !stream.stats().ended; ++i)
            tick(stepMs);
        ASSERT_TRUE(stream.stats().ended);
    }
};

// Flv1VideoOnly: 4 s at 25 pictures a second, a key frame each second.

TEST_F(StreamStatsTest, TicksAsFastAsThePicturesShowEveryPictureOnTime) {
    stream.play(clipPath(Clip::Flv1VideoOnly));
    tick(0); // the first picture shows at once
    playToEnd(40);
    const Stream::Stats s = stream.stats();
    EXPECT_EQ(s.decoded, 100u);
    EXPECT_EQ(s.shown, 100u);
    EXPECT_EQ(s.dropped, 0u);
    EXPECT_GT(s.offsetSamples, 90u);
    EXPECT_EQ(s.soundSamples, 0u);
    EXPECT_LT(s.offsetMaxAbs, 1e-6);
    EXPECT_NEAR(s.position, 4.0, 0.05);
}

TEST_F(StreamStatsTest, SlowTicksDropPicturesAndAccountForEachOne) {
    stream.play(clipPath(Clip::Flv1VideoOnly));
    tick(0); // the first picture shows at once
    playToEnd(100);
    const Stream::Stats s = stream.stats();
    EXPECT_EQ(s.decoded, 100u);
    EXPECT_GT(s.dropped, 50u);
    EXPECT_EQ(s.shown + s.dropped, s.decoded);
    // The picture shown is the latest due: never ahead of the clock, less than one
    // picture behind it.
    EXPECT_LE(s.offsetSum, 0);
    EXPECT_LT(s.offsetMaxAbs, 0.04 + 1e-6);
}

TEST_F(StreamStatsTest, SeekingAndPausingAreNotDropsOrSamples) {
    stream.play(clipPath(Clip::Flv1VideoOnly));
    tick(0); // the first picture shows at once
    tick(40);
    stream.seek(2.5); // decodes forward from the key frame at 2 s
    tick(0);
    EXPECT_EQ(stream.stats().dropped, 0u);
    const std::uint64_t samples = stream.stats().offsetSamples;
    stream.pause(true);
    for (int i = 0; i < 5; ++i)
        tick(40);
    EXPECT_EQ(stream.stats().offsetSamples, samples);
    stream.pause(false);
    tick(40);
    EXPECT_EQ(stream.stats().offsetSamples, samples + 1);
    EXPECT_EQ(stream.stats().dropped, 0u);
}

} // namespace
} // namespace zimo::media
