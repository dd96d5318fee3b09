// The stage: pointer events and the press rule, drags, buttons, ticks, loading.
#include "display/button_item.h"
#include "stage/stage.h"
#include "test_movies.h"

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;

class Events : public display::ActionSink {
public:
    void frameActions(display::MovieClip& clip, std::span<const std::uint8_t> actions) override {
        log.push_back("frame " + clip.name().toStdString() + " " + std::to_string(actions[0]));
    }
    void pointerEvent(display::DisplayObject& target, display::PointerEvent e) override {
        static const char* names[] = {"press", "release", "releaseOutside", "rollOver", "rollOut"};
        log.push_back(std::string(names[static_cast<int>(e)]) + " " + target.name().toStdString());
    }
    void buttonActions(display::ButtonItem& b, std::uint16_t condition,
                       std::span<const std::uint8_t> actions) override {
        log.push_back("button " + b.name().toStdString() + " " + std::to_string(condition) + " " +
                      std::to_string(actions[0]));
    }
    void tickDone() override { log.push_back("tick"); }
    std::vector<std::string> log;
};

// "knob" (a 10 × 10 square) and "pad" (0..100 × 50..100) on a 100 × 100 stage; a
// button "btn" at 60..80 × 0..20 whose hit area is its face and whose over state is red.
MovieMaker pointerMovie() {
    ShapeBuilder knob, pad, up, over;
    knob.styles(0, knob.solid({0, 0, 0}), 0).rect(-5, -5, 5, 5);
    pad.styles(0, pad.solid({0, 0, 255}), 0).rect(0, 50, 100, 100);
    up.styles(0, up.solid({0, 255, 0}), 0).rect(0, 0, 20, 20);
    over.styles(0, over.solid({255, 0, 0}), 0).rect(0, 0, 20, 20);
    movie::SwfWriter b;
    b.u16(5);
    b.u8(0);
    b.u16(0); // action offset, patched below
    const std::size_t offsetAt = 3;
    auto record = [&](std::uint8_t states, std::uint16_t id) {
        b.u8(states);
        b.u16(id);
        b.u16(1);
        b.u8(0); // identity matrix
        b.u8(0); // no colour change
    };
    record(0x01 | 0x08, 3); // up + hit area
    record(0x02 | 0x04, 4); // over + down
    b.u8(0);
    Bytes body = b.data();
    const std::size_t actionsAt = body.size();
    body[offsetAt] = static_cast<std::uint8_t>(actionsAt - offsetAt);
    // Two condition records: press (0x0004) and release (0x0008).
    for (std::uint8_t cond : {0x04, 0x08}) {
        const bool last = cond == 0x08;
        const Bytes rec = {static_cast<std::uint8_t>(last ? 0 : 6), 0, cond, 0, cond, 0};
        body.insert(body.end(), rec.begin(), rec.end());
    }
    MovieMaker m;
    m.add(knob.tag(1)).add(pad.tag(2)).add(up.tag(3)).add(over.tag(4));
    m.add(movie::tag(34, body));
    m.add(placeTag(1, 2, {}, {}, "pad"));
    m.add(placeTag(2, 1, Place{1, 0, 0, 1, 20, 75}, {}, "knob"));
    m.add(placeTag(3, 5, Place{1, 0, 0, 1, 60, 0}, {}, "btn"));
    m.add(doActionTag({0x07, 0x00}));
    m.showFrame();
    return m;
}

struct Fixture {
    Fixture() {
        const Bytes file = pointerMovie().file();
        EXPECT_TRUE(stage.load(file)) << stage.error();
        stage.setActionSink(&events);
        stage.find(u"pad")->setTakesPresses(true);
        stage.find(u"knob")->setTakesPresses(true);
    }
    stage::Stage stage;
    Events events;
};

TEST(StagePointer, PressReleaseAndReleaseOutside) {
    Fixture f;
    f.stage.pointerMove({20, 75});
    f.stage.pointerPress({20, 75});
    f.stage.pointerRelease({21, 76});
    f.stage.pointerMove({50, 60});
    f.stage.pointerPress({50, 60});
    EXPECT_EQ(f.stage.pressedItem(), f.stage.find(u"pad"));
    f.stage.pointerMove({50, 20}); // dragged off: no roll events while pressed
    f.stage.pointerRelease({50, 20});
    EXPECT_EQ(f.stage.pressedItem(), nullptr);
    f.stage.pointerPress({10, 10}); // nothing there takes presses
    f.stage.pointerRelease({10, 10});
    const std::vector<std::string> expected = {"rollOver knob",     "press knob",   "release knob",
                                               "rollOut knob",      "rollOver pad", "press pad",
                                               "releaseOutside pad"};
    EXPECT_EQ(f.events.log, expected);
}

TEST(StagePointer, RollOverAndOut) {
    Fixture f;
    f.stage.pointerMove({50, 60});
    f.stage.pointerMove({20, 75});
    f.stage.pointerMove({50, 20});
    const std::vector<std::string> expected = {"rollOver pad", "rollOut pad", "rollOver knob",
                                               "rollOut knob"};
    EXPECT_EQ(f.events.log, expected);
}

TEST(StagePointer, DragFollowsThePointerWithinBounds) {
    Fixture f;
    auto* knob = f.stage.find(u"knob");
    f.stage.pointerPress({22, 75});
    f.stage.startDrag(*knob, true, QRectF(QPointF(10, 75), QPointF(90, 75)));
    EXPECT_DOUBLE_EQ(knob->matrix().tx, 22);
    f.stage.pointerMove({60, 30});
    EXPECT_DOUBLE_EQ(knob->matrix().tx, 60);
    EXPECT_DOUBLE_EQ(knob->matrix().ty, 75); // a zero-height rectangle keeps it on its line
    f.stage.pointerMove({95, 75});
    EXPECT_DOUBLE_EQ(knob->matrix().tx, 90);
    f.stage.stopDrag();
    f.stage.pointerMove({30, 75});
    EXPECT_DOUBLE_EQ(knob->matrix().tx, 90);
    // Without locking, the grab offset stays.
    f.stage.pointerMove({92, 77});
    f.stage.startDrag(*knob, false);
    f.stage.pointerMove({50, 50});
    EXPECT_DOUBLE_EQ(knob->matrix().tx, 48);
    EXPECT_DOUBLE_EQ(knob->matrix().ty, 48);
}

TEST(StagePointer, ButtonStatesAndActions) {
    Fixture f;
    auto* btn = dynamic_cast<display::ButtonItem*>(f.stage.find(u"btn"));
    ASSERT_TRUE(btn);
    ASSERT_TRUE(btn->hasHitArea());
    auto face = [&] { return btn->children().begin()->second->characterId(); };
    EXPECT_EQ(face(), 3);
    f.stage.pointerMove({70, 10});
    EXPECT_EQ(btn->state(), display::ButtonState::Over);
    EXPECT_EQ(face(), 4);
    f.stage.pointerPress({70, 10});
    EXPECT_EQ(btn->state(), display::ButtonState::Down);
    f.stage.pointerRelease({70, 10});
    EXPECT_EQ(btn->state(), display::ButtonState::Over);
    f.stage.pointerMove({10, 10});
    EXPECT_EQ(btn->state(), display::ButtonState::Up);
    EXPECT_EQ(face(), 3);
    const std::vector<std::string> expected = {"rollOver btn",   "button btn 4 4", "press btn",
                                               "button btn 8 8", "release btn",    "rollOut btn"};
    EXPECT_EQ(f.events.log, expected);
}

TEST(StageTicks, ActionsThenTickDone) {
    stage::Stage stage;
    Events events;
    stage.setActionSink(&events);
    const Bytes file = pointerMovie().file();
    ASSERT_TRUE(stage.load(file));
    stage.tick(); // one frame on the root: its actions ran at load, nothing new
    const std::vector<std::string> expected = {"frame  7", "tick"};
    EXPECT_EQ(events.log, expected);
    EXPECT_EQ(stage.frameRate(), 30);
}

TEST(StageLoading, BadMovieKeepsThePreviousOne) {
    stage::Stage stage;
    const Bytes file = pointerMovie().file();
    ASSERT_TRUE(stage.load(file));
    Bytes bad = file;
    bad.resize(bad.size() / 2);
    EXPECT_FALSE(stage.load(bad));
    EXPECT_FALSE(stage.error().empty());
    EXPECT_TRUE(stage.find(u"knob"));
}

TEST(StageScaling, ResizeHandlerUnderNoScale) {
    stage::Stage stage;
    ASSERT_TRUE(stage.load(pointerMovie().file()));
    int calls = 0;
    stage.setStageResizeHandler([&] { ++calls; });
    stage.setViewSize({300, 200});
    EXPECT_EQ(calls, 0); // the fitted stage keeps its size
    stage.setScaleMode(stage::ScaleMode::NoScale);
    EXPECT_EQ(calls, 1);
    stage.setViewSize({320, 200});
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(stage.stageSize(), QSizeF(320, 200));
    EXPECT_EQ(stage.viewToStage({7, 9}), QPointF(7, 9));
}

} // namespace
