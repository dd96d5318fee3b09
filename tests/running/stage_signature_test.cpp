// The stage's fingerprint, by which the control repaints only what changed: it stands
// still while the idle movie ticks, and moves with each change that shows: the panel
// waking and fading, a new picture, the time text, the view's size. A new picture
// repaints the picture's rectangle, not the whole view.
#include "clip_maker.h"
#include "movie_fixture.h"

#include "control/stage_signature.h"

namespace {

using zimo::changedArea;
using zimo::stageLook;
using zimo::stageSignature;

class StageSignature : public MovieFixture {
protected:
    void SetUp() override {
        MovieFixture::SetUp();
        start();
        ticks(1);
    }
    std::uint64_t signature() { return stageSignature(movie.stage()); }
};

TEST_F(StageSignature, StandsStillWhileNothingShowsAChange) {
    const std::uint64_t idle = signature();
    ticks(60);
    EXPECT_EQ(signature(), idle);
    // A variable nothing shows changes nothing.
    set("Rpt", "1");
    ticks(1);
    EXPECT_EQ(signature(), idle);
}

TEST_F(StageSignature, FollowsThePanelWakingAndFading) {
    const std::uint64_t hidden = signature();
    set("Vlm", "1001"); // a volume step wakes the panel
    const std::uint64_t awake = signature();
    EXPECT_NE(awake, hidden);
    ticks(45); // the panel stays awake, then fades 5 points a tick
    std::uint64_t last = signature();
    int changes = 0;
    for (int i = 0; i < 25; ++i) {
        ticks(1);
        if (signature() != last) ++changes;
        last = signature();
    }
    EXPECT_GE(changes, 19);
    EXPECT_EQ(num("controlpanel._alpha"), 0);
    ticks(10);
    EXPECT_EQ(signature(), last);
}

TEST_F(StageSignature, FollowsPicturesTextAndTheViewSize) {
    set("Ff", makeClip({}));
    ticks(3);
    std::uint64_t last = signature();
    int changes = 0;
    for (int i = 0; i < 30; ++i) {
        ticks(1); // 25 pictures a second on 30 ticks
        if (signature() != last) ++changes;
        last = signature();
    }
    EXPECT_GE(changes, 24);
    // Paused, with the panel hidden: nothing moves.
    movie.engine().callMethod(movie.engine().getVariable(movie.root(), "ns"), "pause");
    ticks(2);
    last = signature();
    ticks(30);
    EXPECT_EQ(signature(), last);
    movie.stage().setViewSize(QSize(640, 480));
    EXPECT_NE(signature(), last);
}

TEST_F(StageSignature, ANewPictureRepaintsItsRectangleAndThePanelItsStrip) {
    set("Ff", makeClip({640, 360, 2})); // 480 × 270 at y = 45, the panel hidden
    ticks(3);
    const QRect view(0, 0, 480, 360);
    zimo::StageLook last = stageLook(movie.stage());
    QRegion area;
    for (int i = 0; i < 10 && area.isEmpty(); ++i) {
        ticks(1);
        area = changedArea(last, stageLook(movie.stage()), view);
    }
    EXPECT_EQ(area.boundingRect(), QRect(0, 43, 480, 274)); // with 2 px for smoothed edges
    last = stageLook(movie.stage());
    set("Vlm", "1001"); // the panel wakes over the bottom of the picture
    area = changedArea(last, stageLook(movie.stage()), view);
    EXPECT_EQ(area.boundingRect().bottom(), 359);
    EXPECT_GT(area.boundingRect().top(), 320);
    // A new view size repaints everything.
    last = stageLook(movie.stage());
    movie.stage().setViewSize(QSize(640, 480));
    EXPECT_EQ(changedArea(last, stageLook(movie.stage()), view), QRegion(view));
}

} // namespace
