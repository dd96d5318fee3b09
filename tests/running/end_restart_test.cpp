// At the end of a file the play/pause button starts it again from the start, with its
// picture and its sound, for every pair of codecs a Flash Video file may carry (HEVC too,
// under the number streaming sites give it and in the extended layout).
#include "movie_fixture.h"

#include "display/video_surface.h"
#include "running/media_objects.h"

#include "clips.h"

namespace {

using namespace zimo::media::test;

class EndRestart : public MovieFixture {
protected:
    void SetUp() override {
        MovieFixture::SetUp();
        start();
    }
    int shownNumber() {
        auto* surface =
            dynamic_cast<zimo::display::VideoSurface*>(movie.stage().find(u"vidplayer.player"));
        return surface ? pictureNumber(surface->picture()) : -1;
    }
};

TEST_F(EndRestart, PlayPauseAtTheEndPlaysAgainFromTheStartWithSound) {
    const QPointF button(14, num("controlpanel._y") + 13);
    for (Codecs codecs :
         {Codecs::Flv1Mp3, Codecs::H264Aac, Codecs::FlashSvAdpcm, Codecs::Flv1Nellymoser,
          Codecs::Flv1Speex, Codecs::Flv1Pcm, Codecs::H264Mp3, Codecs::HevcAac,
          Codecs::HevcAacExtended, Codecs::H264Opus}) {
        SCOPED_TRACE(codecsName(codecs));
        set("Ff", numberedClip(codecs, Layout::Flv));
        // To the end: the position reaches the duration and stays.
        ASSERT_TRUE(tickUntil([&] {
            const QString total = var("totaltime");
            return !total.isEmpty() && total != "NaN" && num("ns.time") >= num("totaltime");
        }));
        const int last = shownNumber();
        EXPECT_GE(last, 45);
        movie.pointerPress(button);
        movie.pointerRelease(button);
        EXPECT_EQ(var("controlpanel.playpause._currentframe"), "1");
        ticks(1);
        EXPECT_LT(num("ns.time"), 0.1);
        const zimo::media::Stream& stream = movie.streams().front()->stream();
        EXPECT_NEAR(stream.stats().soundFrom, 0, 1e-6);
        EXPECT_LE(shownNumber(), 2);
        ticks(15);
        EXPECT_NEAR(num("ns.time"), 0.5, 0.05);
        EXPECT_NEAR(shownNumber(), 12, 1);
    }
}

} // namespace
