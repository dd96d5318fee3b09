#include "display/action_sink.h"
#include "display/lookup.h"
#include "display/shape_item.h"
#include "stage_fixture.h"
#include "test_movies.h"

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;

// A sprite (id 10) of three frames over two shapes:
//   1: shape 1 "a" at depth 1, x 0 (label "one")
//   2: "a" moves to x 10; shape 2 "b" at depth 2 (label "two")
//   3: "a" removed
std::shared_ptr<const swf::Movie> timelineMovie() {
    ShapeBuilder s1, s2;
    s1.styles(0, s1.solid({255, 0, 0}), 0).rect(0, 0, 10, 10);
    s2.styles(0, s2.solid({0, 255, 0}), 0).rect(0, 0, 20, 20);
    Bytes tags;
    auto add = [&](const Bytes& t) { tags.insert(tags.end(), t.begin(), t.end()); };
    add(frameLabelTag("one"));
    add(placeTag(1, 1, Place{}, {}, "a"));
    add(doActionTag({0x07, 0x00}));
    add(showFrameTag());
    add(frameLabelTag("two"));
    add(placeTag(1, {}, Place{1, 0, 0, 1, 10, 0}, {}, {}, 0, true));
    add(placeTag(2, 2, {}, {}, "b"));
    add(showFrameTag());
    add(removeTag(1));
    add(doActionTag({0x06, 0x00}));
    add(showFrameTag());
    MovieMaker m;
    m.add(s1.tag(1)).add(s2.tag(2)).add(spriteTag(10, 3, tags));
    m.add(placeTag(1, 10, {}, {}, "clip")).showFrame();
    return m.load();
}

class Recorder : public display::ActionSink {
public:
    void frameActions(display::MovieClip& clip, std::span<const std::uint8_t> actions) override {
        log.push_back(clip.name().toStdString() + ":" + std::to_string(clip.currentFrame()) + ":" +
                      std::to_string(actions[0]));
    }
    void itemRemoved(display::DisplayObject& item) override {
        log.push_back("removed " + item.name().toStdString());
    }
    std::vector<std::string> log;
};

TEST(Timeline, ForwardBackAndLabels) {
    StageFixture s(timelineMovie());
    auto* clip = dynamic_cast<display::MovieClip*>(s.root->childByName(u"clip"));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->currentFrame(), 1);
    EXPECT_EQ(clip->totalFrames(), 3);
    display::DisplayObject* a1 = clip->childByName(u"a");
    ASSERT_TRUE(a1);
    EXPECT_FALSE(clip->childByName(u"b"));

    clip->gotoAndStop(2);
    EXPECT_EQ(clip->childByName(u"a"), a1); // the same item, moved
    EXPECT_DOUBLE_EQ(a1->matrix().tx, 10);
    ASSERT_TRUE(clip->childByName(u"b"));
    EXPECT_EQ(clip->currentLabel(), "two");

    clip->gotoAndStop(3);
    EXPECT_FALSE(clip->childByName(u"a"));
    EXPECT_TRUE(clip->childByName(u"b"));

    clip->gotoAndStop(1); // back in time: the list as frame 1 has it
    display::DisplayObject* a2 = clip->childByName(u"a");
    ASSERT_TRUE(a2);
    EXPECT_DOUBLE_EQ(a2->matrix().tx, 0);
    EXPECT_FALSE(clip->childByName(u"b"));
    EXPECT_EQ(clip->children().size(), 1u);

    EXPECT_TRUE(clip->gotoLabel("TWO", true));
    EXPECT_EQ(clip->currentFrame(), 2);
    EXPECT_EQ(clip->childByName(u"a"), a2);
    clip->gotoAndStop(1); // an item that lived through both frames stays
    EXPECT_EQ(clip->childByName(u"a"), a2);
    EXPECT_DOUBLE_EQ(a2->matrix().tx, 0);
    EXPECT_FALSE(clip->gotoLabel("three", true));

    clip->gotoAndStop(99);
    EXPECT_EQ(clip->currentFrame(), 3);
    clip->gotoAndStop(-4);
    EXPECT_EQ(clip->currentFrame(), 1);
}

TEST(Timeline, ScriptsWinOverTheTimeline) {
    StageFixture s(timelineMovie());
    auto* clip = dynamic_cast<display::MovieClip*>(s.root->childByName(u"clip"));
    ASSERT_TRUE(clip);
    display::writePath(*s.root, u"clip.a._x", 50.0);
    clip->gotoAndStop(2);
    EXPECT_DOUBLE_EQ(clip->childByName(u"a")->matrix().tx, 50);
    // Items created by a script survive a trip back.
    auto* made = clip->createEmptyMovieClip("made", clip->nextHighestDepth());
    ASSERT_TRUE(made);
    EXPECT_EQ(made->depth(), display::Container::kScriptDepthBase);
    clip->gotoAndStop(3);
    clip->gotoAndStop(1);
    EXPECT_EQ(clip->childByName(u"made"), made);
    // A duplicate is a script's item too, a copy of its source's placement.
    auto* copy = clip->duplicateChild(*clip->childByName(u"a"), "copy", 20000);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->characterId(), 1);
    EXPECT_EQ(copy->placedInFrame(), 0);
    clip->gotoAndStop(2);
    clip->gotoAndStop(1);
    EXPECT_EQ(clip->childByName(u"copy"), copy);
    EXPECT_FALSE(clip->duplicateChild(*copy, "again", 20000) == nullptr);
    EXPECT_EQ(clip->childAt(20000)->name(), "again");
    // (`copy` itself was replaced at its depth by "again".)
    EXPECT_EQ(s.root->duplicateChild(*clip->childAt(20000), "elsewhere", 5), nullptr);
}

TEST(Timeline, PlaysLoopsAndReportsActionsInOrder) {
    StageFixture s(timelineMovie());
    s.context->runQueuedActions(); // frame 1's actions, before anyone listens
    Recorder rec;
    s.context->setSink(&rec);
    auto* clip = dynamic_cast<display::MovieClip*>(s.root->childByName(u"clip"));
    ASSERT_TRUE(clip);
    EXPECT_TRUE(clip->playing());
    s.root->advance(); // root has one frame; the clip goes to 2
    s.context->runQueuedActions();
    EXPECT_EQ(clip->currentFrame(), 2);
    s.root->advance();
    s.context->runQueuedActions();
    EXPECT_EQ(clip->currentFrame(), 3);
    s.root->advance();
    s.context->runQueuedActions();
    EXPECT_EQ(clip->currentFrame(), 1); // after the last frame, the first
    const std::vector<std::string> expected = {"removed a", "clip:3:6", "removed b", "clip:1:7"};
    EXPECT_EQ(rec.log, expected);
    clip->stop();
    s.root->advance();
    EXPECT_EQ(clip->currentFrame(), 1);
    s.context->setSink(nullptr);
}

TEST(Timeline, NestingAndItemBudgetsHold) {
    // Sprites nested ten deep, each holding the one below ten times: far more than the
    // budget allows; creation stops there instead of running out of memory.
    ShapeBuilder dot;
    dot.styles(0, dot.solid({0, 0, 0}), 0).rect(0, 0, 1, 1);
    MovieMaker m;
    m.add(dot.tag(1));
    std::uint16_t inner = 1;
    for (std::uint16_t id = 2; id < 12; ++id) {
        Bytes tags;
        for (int d = 1; d <= 10; ++d) {
            const Bytes p = placeTag(d, inner);
            tags.insert(tags.end(), p.begin(), p.end());
        }
        const Bytes f = showFrameTag();
        tags.insert(tags.end(), f.begin(), f.end());
        m.add(spriteTag(id, 1, tags));
        inner = id;
    }
    m.add(placeTag(1, inner)).showFrame();
    StageFixture s(m.load());
    EXPECT_LE(s.context->liveItems(), display::DisplayContext::kMaxItems);
    EXPECT_GT(s.context->liveItems(), 1000u);
}

} // namespace
