#include "swf/movie.h"
#include "swf/tag_stream.h"
#include "test_movies.h"

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;

TEST(MovieLoad, ReadsHeaderDefinitionsAndTimeline) {
    ShapeBuilder shape;
    const int red = shape.solid({255, 0, 0});
    shape.styles(0, red, 0).rect(0, 0, 10, 10);
    MovieMaker m(480, 360, 3);
    m.add(movie::tag(69, {0, 0, 0, 0}));
    m.add(movie::tag(9, {1, 2, 3}));
    m.add(shape.tag(1));
    Bytes spriteTags = placeTag(1, 1);
    const Bytes show = showFrameTag();
    for (int i = 0; i < 2; ++i)
        spriteTags.insert(spriteTags.end(), show.begin(), show.end());
    m.add(spriteTag(2, 2, spriteTags));
    m.add(fontTag(3, {{u'1', 0, -700, 500, 0, 570}}, 927, 217, 120));
    FieldSpec field;
    field.fontId = 3;
    field.align = 1;
    field.variable = "seek_time";
    field.text = "07:40";
    m.add(editTextTag(4, field));
    m.add(videoTag(5, 160, 120));
    m.add(frameLabelTag("start"));
    m.add(placeTag(1, 2, Place{2, 0, 0, 1, 10, 20}, CxForm{256, 256, 256, 0}, "clip"));
    m.add(doActionTag({0x07, 0x00}));
    m.showFrame().add(removeTag(1)).showFrame();

    auto movie = m.load();
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->header.version, 8);
    EXPECT_EQ(movie->header.stage, QRectF(0, 0, 480, 360));
    EXPECT_DOUBLE_EQ(movie->header.frameRate, 30.0);
    EXPECT_EQ(movie->header.frameCount, 3);
    EXPECT_TRUE(movie->hasFileAttributes);
    EXPECT_EQ(movie->background, (swf::Rgba{1, 2, 3, 255}));

    const auto& tl = *movie->timeline;
    ASSERT_EQ(tl.framesLoaded(), 2);
    EXPECT_EQ(tl.totalFrames(), 3);
    EXPECT_EQ(tl.frameOfLabel("START"), 1);
    ASSERT_EQ(tl.frames[0].tags.size(), 2u);
    const auto& place = std::get<swf::PlaceObject>(tl.frames[0].tags[0]);
    EXPECT_EQ(place.depth, 1);
    EXPECT_EQ(*place.characterId, 2);
    EXPECT_EQ(*place.name, "clip");
    EXPECT_DOUBLE_EQ(place.matrix->a, 2.0);
    EXPECT_DOUBLE_EQ(place.matrix->ty, 20.0);
    EXPECT_DOUBLE_EQ(place.colorTransform->am, 0.0);
    EXPECT_EQ(std::get<swf::DoAction>(tl.frames[0].tags[1]).actions, (Bytes{0x07, 0x00}));
    EXPECT_EQ(std::get<swf::RemoveObject>(tl.frames[1].tags[0]).depth, 1);

    auto sprite = movie->get<swf::SpriteDef>(2);
    ASSERT_TRUE(sprite);
    EXPECT_EQ(sprite->timeline->framesLoaded(), 2);

    auto font = movie->get<swf::FontDef>(3);
    ASSERT_TRUE(font);
    EXPECT_DOUBLE_EQ(font->unitsPerEm, 20480);
    EXPECT_DOUBLE_EQ(font->ascent, 927 * 20);
    EXPECT_EQ(font->glyphIndex(u'1'), 0);
    EXPECT_EQ(font->glyphIndex(u'2'), -1);
    EXPECT_DOUBLE_EQ(font->glyphs[0].advance, 570 * 20);

    auto text = movie->get<swf::EditTextDef>(4);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->variableName, "seek_time");
    EXPECT_EQ(text->initialText, "07:40");
    EXPECT_EQ(text->align, swf::TextAlign::Right);
    EXPECT_DOUBLE_EQ(text->fontHeight, 14);

    auto video = movie->get<swf::VideoDef>(5);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->width, 160);
    EXPECT_EQ(video->height, 120);
}

TEST(MovieLoad, ReadsStyles) {
    ShapeBuilder shape(4);
    const int grad = shape.linear({{0, {255, 0, 0}}, {128, {0, 255, 0}}, {255, {0, 0, 255}}},
                                  Place{0.1, 0, 0, 0.1, 50, 50}, 1, 1);
    LineSpec ls;
    ls.width = 2;
    ls.startCap = 2;
    ls.endCap = 1;
    ls.noHScale = true;
    const int line = shape.line(ls);
    shape.styles(0, grad, line).rect(0, 0, 100, 10);
    MovieMaker m;
    m.add(shape.tag(7));
    auto movie = m.load();
    ASSERT_TRUE(movie);
    auto def = movie->get<swf::ShapeDef>(7);
    ASSERT_TRUE(def);
    ASSERT_EQ(def->geometry.groups.size(), 1u);
    const auto& g = def->geometry.groups[0];
    ASSERT_EQ(g.fillStyles.size(), 1u);
    EXPECT_EQ(g.fillStyles[0].kind, swf::FillKind::LinearGradient);
    EXPECT_EQ(g.fillStyles[0].gradient.stops.size(), 3u);
    EXPECT_EQ(g.fillStyles[0].gradient.spread, swf::SpreadMode::Reflect);
    EXPECT_EQ(g.fillStyles[0].gradient.interpolation, swf::InterpolationMode::LinearRgb);
    ASSERT_EQ(g.lineStyles.size(), 1u);
    EXPECT_DOUBLE_EQ(g.lineStyles[0].width, 2);
    EXPECT_EQ(g.lineStyles[0].startCap, swf::CapStyle::Square);
    EXPECT_EQ(g.lineStyles[0].endCap, swf::CapStyle::None);
    EXPECT_TRUE(g.lineStyles[0].noHScale);
    EXPECT_FALSE(g.lineStyles[0].noVScale);
    // The box takes in half the stroke on every side.
    EXPECT_EQ(def->geometry.bounds, QRectF(QPointF(-1, -1), QPointF(101, 11)));
}

Bytes withTag(const Bytes& tag) {
    MovieMaker m;
    m.add(tag).showFrame();
    return m.body();
}

TEST(MovieLoad, RefusesMalformedBodies) {
    ShapeBuilder shape;
    shape.styles(0, shape.solid({1, 2, 3}), 0).rect(0, 0, 10, 10);
    const Bytes shapeTag = shape.tag(1);

    std::vector<std::pair<const char*, Bytes>> cases;
    {
        Bytes b = withTag(shapeTag);
        b.resize(b.size() - 6); // the last tags and part of the shape cut off
        cases.emplace_back("truncated", b);
    }
    {
        Bytes t = shapeTag;
        t.resize(t.size() - 3); // shape records cut off, length fixed to match
        Bytes body(t.begin() + 2, t.end());
        cases.emplace_back("short shape records", withTag(movie::tag(32, body)));
    }
    {
        // A long tag header that claims more than there is.
        Bytes t = movie::tag(32, Bytes(10, 0), true);
        t[2] = 0xff;
        t[3] = 0xff;
        cases.emplace_back("bad length", withTag(t));
    }
    {
        // A font claiming 65535 glyphs in a few bytes.
        movie::SwfWriter w;
        w.u16(9);
        w.u8(0x04);
        w.u8(1);
        w.u8(0);
        w.u16(0xffff);
        w.u16(4);
        cases.emplace_back("glyph count", withTag(movie::tag(75, w.data())));
    }
    {
        // A fill style of an unknown kind.
        movie::SwfWriter w;
        w.u16(2);
        w.rect(0, 20, 0, 20);
        w.u8(1);
        w.u8(0x33);
        w.bytes({1, 2, 3, 4, 0, 0, 0});
        cases.emplace_back("fill kind", withTag(movie::tag(32, w.data())));
    }
    {
        Bytes body = {0x04, 0x01, 0x00}; // placement with a matrix flag but no matrix
        cases.emplace_back("short placement", withTag(movie::tag(26, body)));
    }
    cases.emplace_back("no header", Bytes{0x50});
    for (const auto& [what, body] : cases) {
        auto load = swf::parseMovieBody(body, 8);
        EXPECT_FALSE(load) << what;
        EXPECT_FALSE(load.error.empty()) << what;
    }
}

TEST(MovieLoad, SkipsUnknownTagsIdsAndDuplicates) {
    ShapeBuilder a, b;
    a.styles(0, a.solid({255, 0, 0}), 0).rect(0, 0, 10, 10);
    b.styles(0, b.solid({0, 255, 0}), 0).rect(0, 0, 20, 20);
    MovieMaker m;
    m.add(movie::tag(200, {1, 2, 3})); // unknown tag
    m.add(a.tag(1)).add(b.tag(1));     // duplicate id: the first stays
    m.add(placeTag(1, 99));            // unknown character
    m.add(placeTag(2, 1));
    m.showFrame();
    // A sprite placing itself is refused at parse time, so nothing can recurse.
    m.add(spriteTag(5, 1, placeTag(1, 5)));
    auto movie = m.load();
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->get<swf::ShapeDef>(1)->geometry.bounds.width(), 10);
    EXPECT_EQ(movie->timeline->frames[0].tags.size(), 1u);
    EXPECT_TRUE(movie->get<swf::SpriteDef>(5)->timeline->frames.empty() ||
                movie->get<swf::SpriteDef>(5)->timeline->frames[0].tags.empty());
    EXPECT_GE(movie->warnings.size(), 3u);
}

TEST(MovieLoad, PlaceObject3WithFiltersAndVisibility) {
    ShapeBuilder box;
    box.styles(0, box.solid({0, 0, 0}), 0).rect(0, 0, 10, 10);
    movie::SwfWriter w;
    w.u8(0x02 | 0x20 | 0x80); // character, name, clip actions
    w.u8(0x01 | 0x02 | 0x20); // filters, blend mode, visibility
    w.u16(4);
    w.u16(1);
    w.string("boxed");
    w.u8(1); // one filter: a blur
    w.u8(1);
    w.bytes(Bytes(9, 0));
    w.u8(3);           // blend mode
    w.u8(0);           // not visible
    w.u32(0);          // background
    w.u16(0);          // clip actions: reserved
    w.u32(0x00000402); // all events
    w.u32(0x00000400); // on press:
    w.u32(2);
    w.bytes({0x07, 0x00});
    w.u32(0x00020000); // on a key press, with its key code:
    w.u32(3);
    w.bytes({13, 0x06, 0x00});
    w.u32(0);
    MovieMaker m;
    m.add(box.tag(1)).add(movie::tag(70, w.data())).showFrame();
    auto movie = m.load();
    ASSERT_TRUE(movie);
    const auto& p = std::get<swf::PlaceObject>(movie->timeline->frames[0].tags[0]);
    EXPECT_EQ(p.version, 3);
    EXPECT_EQ(p.depth, 4);
    EXPECT_EQ(*p.name, "boxed");
    EXPECT_EQ(*p.blendMode, 3);
    EXPECT_FALSE(*p.visible);
    ASSERT_EQ(p.clipActions.size(), 2u);
    EXPECT_EQ(p.clipActions[0].events, swf::kClipPress);
    EXPECT_EQ(p.clipActions[0].actions, (Bytes{0x07, 0x00}));
    EXPECT_EQ(p.clipActions[1].keyCode, 13);
    EXPECT_EQ(p.clipActions[1].actions, (Bytes{0x06, 0x00}));
}

TEST(MovieLoad, RefusesBadContainers) {
    MovieMaker m;
    Bytes f = m.file();
    f[12] ^= 0x55; // damaged zlib data
    EXPECT_FALSE(swf::loadMovie(f));
    Bytes shortFile(f.begin(), f.begin() + 10);
    EXPECT_FALSE(swf::loadMovie(shortFile));
}

} // namespace
