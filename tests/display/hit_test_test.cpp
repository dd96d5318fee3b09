#include "display/button_item.h"
#include "display/hit_test.h"
#include "stage_fixture.h"
#include "test_movies.h"

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;

// On a 100 × 100 stage, bottom to top:
//   1 "back": opaque rect 0..100 × 0..100
//   2 "glass": rect 20..40 × 20..40 with a fully transparent fill
//   3 "cover": an opaque rect 0..100 × 0..50 that takes no presses
//   4 "disc": a circle-ish diamond around (75, 75), inside a clip "holder"
//   5 mask over depth 6, the rect 0..50 × 60..100
//   6 "masked": rect 0..100 × 60..100 (only its left half shows)
std::shared_ptr<const swf::Movie> pressMovie() {
    ShapeBuilder full, glass, cover, diamond, maskShape, strip;
    full.styles(0, full.solid({200, 200, 200}), 0).rect(0, 0, 100, 100);
    glass.styles(0, glass.solid({1, 1, 1, 0}), 0).rect(20, 20, 40, 40);
    cover.styles(0, cover.solid({0, 0, 255}), 0).rect(0, 0, 100, 50);
    diamond.styles(0, diamond.solid({0, 255, 0}), 0)
        .moveTo(75, 65)
        .lineTo(85, 75)
        .lineTo(75, 85)
        .lineTo(65, 75)
        .lineTo(75, 65);
    maskShape.styles(0, maskShape.solid({0, 0, 0}), 0).rect(0, 60, 50, 100);
    strip.styles(0, strip.solid({255, 0, 0}), 0).rect(0, 60, 100, 100);
    MovieMaker m;
    m.add(full.tag(1)).add(glass.tag(2)).add(cover.tag(3)).add(diamond.tag(4));
    m.add(maskShape.tag(5)).add(strip.tag(6));
    m.add(spriteTag(7, 1, [] {
        Bytes t = placeTag(1, 4, {}, {}, "disc");
        const Bytes f = showFrameTag();
        t.insert(t.end(), f.begin(), f.end());
        return t;
    }()));
    m.add(placeTag(1, 1, {}, {}, "back"));
    m.add(placeTag(2, 2, {}, {}, "glass"));
    m.add(placeTag(3, 3, {}, {}, "cover"));
    m.add(placeTag(4, 7, {}, {}, "holder"));
    m.add(placeTag(5, 5, {}, {}, "mask", 6));
    m.add(placeTag(6, 6, {}, {}, "masked"));
    m.showFrame();
    return m.load();
}

display::DisplayObject* item(StageFixture& s, const char16_t* name) {
    return s.root->childByName(QStringView(name));
}

TEST(PressRule, TopmostHandlerWhoseContentCoversThePoint) {
    StageFixture s(pressMovie());
    auto* back = item(s, u"back");
    auto* glass = item(s, u"glass");
    auto* holder = item(s, u"holder");
    auto* masked = item(s, u"masked");
    for (auto* i : {back, glass, holder, masked})
        i->setTakesPresses(true);

    // The opaque cover takes no presses and lets them through; the transparent glass
    // takes them where it has a fill.
    EXPECT_EQ(display::pressTarget(*s.root, {30, 30}), glass);
    EXPECT_EQ(display::pressTarget(*s.root, {45, 30}), back);
    // The holder's content is the diamond, not its box.
    EXPECT_EQ(display::pressTarget(*s.root, {75, 75}), holder);
    EXPECT_EQ(display::pressTarget(*s.root, {82, 68}), back);
    // Inside the mask the masked item takes the press, outside it does not.
    EXPECT_EQ(display::pressTarget(*s.root, {25, 90}), masked);
    EXPECT_EQ(display::pressTarget(*s.root, {60, 95}), back);

    glass->setVisible(false);
    EXPECT_EQ(display::pressTarget(*s.root, {30, 30}), back);
    back->setVisible(false);
    EXPECT_EQ(display::pressTarget(*s.root, {30, 30}), nullptr);

    // Handlers inside an item without them are found; an item with a handler keeps the
    // press from its children.
    holder->setTakesPresses(false);
    auto* disc = static_cast<display::Container*>(holder)->childByName(u"disc");
    disc->setTakesPresses(true);
    EXPECT_EQ(display::pressTarget(*s.root, {75, 75}), disc);
    holder->setTakesPresses(true);
    EXPECT_EQ(display::pressTarget(*s.root, {75, 75}), holder);
    holder->setVisible(false);
    EXPECT_EQ(display::pressTarget(*s.root, {75, 75}), nullptr); // back is hidden too
}

TEST(HitTest, BoxAndShape) {
    StageFixture s(pressMovie());
    auto* holder = item(s, u"holder");
    // The corner of the diamond's box is in the box but not in the shape.
    EXPECT_TRUE(display::hitTestBox(*holder, {66, 66}));
    EXPECT_FALSE(display::hitTestShape(*holder, {66, 66}));
    EXPECT_TRUE(display::hitTestShape(*holder, {75, 75}));
    EXPECT_FALSE(display::hitTestBox(*holder, {60, 60}));
    // A fully transparent fill is still there for the shape test.
    EXPECT_TRUE(display::hitTestShape(*item(s, u"glass"), {30, 30}));
    holder->setVisible(false);
    EXPECT_FALSE(display::hitTestShape(*holder, {75, 75}));
    EXPECT_TRUE(display::hitTestBox(*holder, {75, 75}));
    EXPECT_EQ(display::stageBounds(*holder), QRectF(65, 65, 20, 20));
}

TEST(PressRule, ButtonWithoutHitAreaIsInert) {
    ShapeBuilder face;
    face.styles(0, face.solid({50, 50, 50}), 0).rect(0, 0, 20, 20);
    movie::SwfWriter w;
    w.u16(5);
    w.u8(0);
    w.u16(0);   // no actions
    w.u8(0x07); // up, over, down; no hit area
    w.u16(1);
    w.u16(1);
    w.u8(0); // identity matrix
    w.u8(0); // empty colour transform
    w.u8(0);
    MovieMaker m;
    m.add(face.tag(1)).add(movie::tag(34, w.data()));
    m.add(placeTag(1, 5, {}, {}, "button")).showFrame();
    StageFixture s(m.load());
    auto* button = dynamic_cast<display::ButtonItem*>(item(s, u"button"));
    ASSERT_TRUE(button);
    EXPECT_FALSE(button->hasHitArea());
    EXPECT_EQ(button->children().size(), 1u);
    EXPECT_EQ(display::pressTarget(*s.root, {10, 10}), nullptr);
    button->setState(display::ButtonState::Down);
    EXPECT_EQ(button->state(), display::ButtonState::Up);
    // Marked by a script, it takes presses over its content.
    button->setTakesPresses(true);
    EXPECT_EQ(display::pressTarget(*s.root, {10, 10}), button);
}

} // namespace
