#include "display/lookup.h"
#include "display/properties.h"
#include "stage_fixture.h"
#include "test_movies.h"

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;
using display::Property;

TEST(ColorTransform, MultipliesAddsAndClamps) {
    swf::ColorTransform light; // RGB × 51 / 256 + 204
    light.rm = light.gm = light.bm = 51 / 256.0;
    light.ra = light.ga = light.ba = 204;
    EXPECT_EQ(light.apply({0x33, 0x33, 0x33, 255}), (swf::Rgba{0xD6, 0xD6, 0xD6, 255}));
    EXPECT_EQ(light.apply({0xCC, 0x66, 0, 255}), (swf::Rgba{0xF4, 0xE0, 0xCC, 255}));

    swf::ColorTransform bg; // RGB × 223 / 256 + 27
    bg.rm = bg.gm = bg.bm = 223 / 256.0;
    bg.ra = bg.ga = bg.ba = 27;
    EXPECT_EQ(bg.apply({0xFC, 0xCF, 0xB1, 255}), (swf::Rgba{0xF6, 0xCF, 0xB5, 255}));

    swf::ColorTransform wild;
    wild.rm = 2;
    wild.gm = -1;
    wild.ba = 300;
    wild.aa = -300;
    EXPECT_EQ(wild.apply({200, 100, 0, 255}), (swf::Rgba{255, 0, 255, 0}));

    // Concatenation: the inner transform first, then the outer one.
    swf::ColorTransform half;
    half.am = 0.5;
    const auto both = half.after(bg);
    EXPECT_EQ(both.apply({0xFC, 0xFC, 0xFC, 255}), (swf::Rgba{0xF6, 0xF6, 0xF6, 127}));
    const auto reversed = bg.after(half);
    EXPECT_EQ(reversed.apply({0, 0, 0, 200}).a, 100);
}

std::shared_ptr<const swf::Movie> boxMovie() {
    ShapeBuilder box;
    LineSpec ls;
    ls.width = 2;
    box.styles(0, box.solid({255, 0, 0}), box.line(ls)).rect(0, 0, 100, 50);
    MovieMaker m;
    m.add(box.tag(1));
    m.add(spriteTag(2, 1, {}));
    m.add(placeTag(1, 1, Place{1, 0, 0, 1, 10, 20}, {}, "box"));
    m.add(placeTag(2, 2, Place{1, 0, 0, 1, 5, 5}, {}, "empty"));
    m.showFrame();
    return m.load();
}

double number(const display::DisplayObject& item, Property p) {
    return std::get<double>(display::getProperty(item, p));
}

TEST(Properties, BoxesTakeHalfTheStrokes) {
    StageFixture s(boxMovie());
    auto* box = s.root->childByName(u"box");
    ASSERT_TRUE(box);
    EXPECT_DOUBLE_EQ(number(*box, Property::Width), 102);
    EXPECT_DOUBLE_EQ(number(*box, Property::Height), 52);
    EXPECT_EQ(box->boundsInParent(), QRectF(QPointF(9, 19), QPointF(111, 71)));
    // An item without content has no size and keeps it.
    auto* empty = s.root->childByName(u"empty");
    ASSERT_TRUE(empty);
    EXPECT_DOUBLE_EQ(number(*empty, Property::Width), 0);
    EXPECT_DOUBLE_EQ(number(*empty, Property::Height), 0);
    EXPECT_TRUE(display::setProperty(*empty, Property::Width, 50.0));
    EXPECT_DOUBLE_EQ(number(*empty, Property::Width), 0);
    EXPECT_DOUBLE_EQ(number(*empty, Property::XScale), 100);
    // The root's box is the union of its items'.
    EXPECT_EQ(s.root->contentBounds(), QRectF(QPointF(9, 19), QPointF(111, 71)));
}

TEST(Properties, SizeSettersScaleTheItem) {
    StageFixture s(boxMovie());
    auto* box = s.root->childByName(u"box");
    display::setProperty(*box, Property::Width, 204.0);
    EXPECT_NEAR(number(*box, Property::XScale), 200, 1e-9);
    EXPECT_NEAR(number(*box, Property::Width), 204, 1e-9);
    display::setProperty(*box, Property::Height, 26.0);
    EXPECT_NEAR(number(*box, Property::YScale), 50, 1e-9);
    EXPECT_NEAR(number(*box, Property::Height), 26, 1e-9);
    EXPECT_NEAR(number(*box, Property::X), 10, 1e-9); // the registration point stays
}

TEST(Properties, RotationKeepsScales) {
    StageFixture s(boxMovie());
    auto* box = s.root->childByName(u"box");
    display::setProperty(*box, Property::XScale, 200.0);
    display::setProperty(*box, Property::Rotation, 90.0);
    EXPECT_NEAR(number(*box, Property::Rotation), 90, 1e-9);
    EXPECT_NEAR(number(*box, Property::XScale), 200, 1e-9);
    EXPECT_NEAR(number(*box, Property::YScale), 100, 1e-9);
    // Clockwise: the item's x axis now points down the stage.
    EXPECT_NEAR(box->matrix().b, 2, 1e-9);
    EXPECT_NEAR(number(*box, Property::Width), 52, 1e-9);
    EXPECT_NEAR(number(*box, Property::Height), 204, 1e-9);
    // Setting the width of a turned item scales the axis that lies across.
    display::setProperty(*box, Property::Width, 104.0);
    EXPECT_NEAR(number(*box, Property::YScale), 200, 1e-9);
    display::setProperty(*box, Property::Rotation, 270.0);
    EXPECT_NEAR(number(*box, Property::Rotation), -90, 1e-9);
    display::setProperty(*box, Property::Rotation, 0.0);
    display::setProperty(*box, Property::XScale, -100.0);
    EXPECT_NEAR(number(*box, Property::XScale), -100, 1e-9);
    EXPECT_NEAR(number(*box, Property::Width), 102, 1e-9);
}

TEST(Properties, AlphaVisibilityNamesAndPaths) {
    StageFixture s(boxMovie());
    EXPECT_TRUE(display::writePath(*s.root, u"box._alpha", 40.0));
    EXPECT_DOUBLE_EQ(std::get<double>(display::readPath(*s.root, u"box._alpha")), 40);
    EXPECT_DOUBLE_EQ(s.root->childByName(u"box")->colorTransform().am, 0.4);
    EXPECT_TRUE(display::writePath(*s.root, u"box._visible", false));
    EXPECT_EQ(display::formatValue(display::readPath(*s.root, u"box._visible")), "false");
    EXPECT_EQ(display::formatValue(display::readPath(*s.root, u"box._x")), "10");
    EXPECT_EQ(display::formatValue(display::readPath(*s.root, u"_root/box._name")), "box");
    EXPECT_EQ(display::formatValue(display::readPath(*s.root, u"box._currentframe")), "");
    EXPECT_EQ(display::formatValue(display::readPath(*s.root, u"empty._totalframes")), "1");
    EXPECT_FALSE(display::writePath(*s.root, u"nothing._x", 1.0));
    EXPECT_FALSE(display::writePath(*s.root, u"box._x", QStringLiteral("abc")));
    EXPECT_EQ(display::formatNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(display::formatNumber(-2.5), "-2.5");
    // The pointer relative to an item.
    const auto xm =
        display::getProperty(*s.root->childByName(u"box"), Property::XMouse, QPointF(15, 0));
    EXPECT_DOUBLE_EQ(std::get<double>(xm), 5);
}

} // namespace
