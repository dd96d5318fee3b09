// The player movie's scripts running on the real display list and script engine.
#include "movie_fixture.h"

namespace {

using Movie = MovieFixture;

TEST_F(Movie, ReachesItsMainFrameAndStartsIdle) {
    start();
    EXPECT_EQ(var("_currentframe"), "3");
    EXPECT_EQ(var("vidscale"), "1.33");
    EXPECT_EQ(var("fName"), "");
    EXPECT_EQ(var("Rpt"), "0");
    EXPECT_EQ(var("controlpanel._alpha"), "0");
    EXPECT_EQ(var("Stage.scaleMode"), "noScale");
    ticks(1);
    EXPECT_EQ(var("controlpanel.timer.seek_time"), "00:00");
    EXPECT_EQ(var("controlpanel.timer.seek_total_time"), "--:--");
}

TEST_F(Movie, VolumeCodesMoveTheKnob) {
    start();
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 52.8, 1e-9);
    set("Vlm", "1001");
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 27.5, 1e-9);
    set("Vlm", "1001");
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 27.5, 1e-9);
    EXPECT_EQ(var("controlpanel._alpha"), "100");
    set("Vlm", "1000");
    EXPECT_EQ(var("controlpanel.volumecontrol.volumeslider._x"), "0");
    set("Vlm", "1002");
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 27.5, 1e-9);
}

TEST_F(Movie, AssignmentsBeforeTheMainScriptAreNotActedUpon) {
    loadOnly();
    set("Rpt", "1");
    set("Vlm", "1000");
    movie.settle();
    EXPECT_EQ(var("Rpt"), "0");
    EXPECT_NEAR(num("controlpanel.volumecontrol.volumeslider._x"), 52.8, 1e-9);
}

} // namespace
