// The movie file as a whole: container, header, timeline, and the soundness of every tag.
#include "movie_builder.h"
#include "movie_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace movietest;

TEST(MovieFile, ContainerAndHeader) {
    const Bytes file = zimo::movie::buildMovie();
    const Movie& m = generatedMovie();
    EXPECT_EQ(m.signature, "CWS");
    EXPECT_EQ(m.version, 8);
    EXPECT_EQ(m.declaredLength, m.body.size() + 8);
    EXPECT_EQ(m.zlib0, 0x78);
    EXPECT_EQ(m.zlib1, 0x9C);
    EXPECT_LT(file.size(), m.declaredLength);
    EXPECT_EQ(m.stage.xMin, 0);
    EXPECT_EQ(m.stage.xMax, 9600);
    EXPECT_EQ(m.stage.yMin, 0);
    EXPECT_EQ(m.stage.yMax, 7200);
    EXPECT_EQ(m.frameRate, 0x1e00);
    EXPECT_EQ(m.frameCount, 6);
    // File attributes first, every flag clear; then a black background.
    ASSERT_GE(m.tags.size(), 2u);
    EXPECT_EQ(m.tags[0].code, 69);
    EXPECT_EQ(Bytes(m.tags[0].body.begin(), m.tags[0].body.end()), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(m.tags[1].code, 9);
    EXPECT_EQ(Bytes(m.tags[1].body.begin(), m.tags[1].body.end()), (Bytes{0, 0, 0}));
}

TEST(MovieFile, RootTimelineShowsItemsOnlyFromFrameThree) {
    const auto frames = framesOf(generatedMovie().tags);
    ASSERT_EQ(frames.size(), 6u);
    auto places = [](const std::vector<Tag>& frame) {
        std::vector<Place> out;
        for (const auto& t : frame)
            if (t.code == 26) out.push_back(readPlaceObject2(t.body));
        return out;
    };
    EXPECT_TRUE(places(frames[0]).empty());
    EXPECT_TRUE(frames[1].empty());
    const auto third = places(frames[2]);
    ASSERT_EQ(third.size(), 2u);
    EXPECT_EQ(third[0].name, "vidplayer");
    EXPECT_EQ(third[0].depth, 1);
    EXPECT_EQ(third[1].name, "controlpanel");
    EXPECT_EQ(third[1].depth, 3);
    for (int f = 3; f < 6; ++f)
        EXPECT_TRUE(frames[f].empty()) << "frame " << f + 1;
}

// Walks every timeline: each tag list ends at its End tag, sprites declare their frame
// counts, every character is defined once and before anything uses it, and every tag that
// the tests know how to read is read to its exact length.
TEST(MovieFile, EveryTagIsSoundAndEveryIdDefinedBeforeUse) {
    std::set<std::uint16_t> defined;
    int shapes = 0, sprites = 0, places = 0;
    auto use = [&](std::uint16_t id) {
        EXPECT_TRUE(defined.count(id)) << "character " << id << " used before its definition";
    };
    std::function<void(const std::vector<Tag>&, bool)> walk = [&](const std::vector<Tag>& tags,
                                                                  bool root) {
        ASSERT_FALSE(tags.empty());
        EXPECT_EQ(tags.back().code, 0);
        for (const auto& t : tags) {
            if (t.code == 26) {
                const Place p = readPlaceObject2(t.body);
                ASSERT_TRUE(p.character);
                use(*p.character);
                ++places;
            }
            if (!isDefinition(t.code)) continue;
            EXPECT_TRUE(root) << "definition inside a sprite";
            Reader r(t.body);
            const std::uint16_t id = r.u16();
            EXPECT_FALSE(defined.count(id)) << "character " << id << " defined twice";
            if (t.code == 2 || t.code == 22 || t.code == 32 || t.code == 83) {
                EXPECT_NO_THROW(readShape(t.code, t.body)) << "shape " << id;
                ++shapes;
            } else if (t.code == 39) {
                std::uint16_t declared = 0;
                const auto inner = spriteTags(t.body, &declared);
                int shown = 0;
                for (const auto& c : inner)
                    shown += c.code == 1;
                EXPECT_EQ(shown, declared) << "sprite " << id;
                walk(inner, false);
                ++sprites;
            } else if (t.code == 34) {
                r.u8();
                EXPECT_EQ(r.u16(), 0) << "the button carries no actions";
                for (std::uint8_t states = r.u8(); states != 0; states = r.u8()) {
                    use(r.u16());
                    r.u16();
                    readMatrix(r);
                    readCxformWithAlpha(r);
                }
                EXPECT_EQ(r.offset(), t.body.size());
            } else if (t.code == 37) {
                readRect(r);
                const std::uint8_t f1 = r.u8();
                r.u8();
                ASSERT_TRUE(f1 & 0x01);
                use(r.u16());
            }
            defined.insert(id);
        }
    };
    walk(generatedMovie().tags, true);
    EXPECT_GE(shapes, 10);
    EXPECT_GE(sprites, 12);
    EXPECT_GE(places, 25);
}

TEST(MovieFile, ScriptsGoToFramesOneAndThree) {
    const Bytes loading = {0x07, 0x00};
    const Bytes mainScript = {0x96, 0x02, 0x00, 0x05, 0x01, 0x00};
    const Movie m = readMovie(zimo::movie::buildMovie({loading, mainScript}));
    const auto frames = framesOf(m.tags);
    ASSERT_EQ(frames.size(), 6u);
    auto actionsOf = [](const std::vector<Tag>& frame) {
        std::vector<Bytes> out;
        for (const auto& t : frame)
            if (t.code == 12) out.emplace_back(t.body.begin(), t.body.end());
        return out;
    };
    EXPECT_EQ(actionsOf(frames[0]), std::vector<Bytes>{loading});
    EXPECT_TRUE(actionsOf(frames[1]).empty());
    EXPECT_EQ(actionsOf(frames[2]), std::vector<Bytes>{mainScript});
    // The main script runs after both items are placed.
    EXPECT_EQ(frames[2].back().code, 12);

    // Without scripts, no frame of the root carries actions.
    for (const auto& f : framesOf(generatedMovie().tags))
        EXPECT_TRUE(actionsOf(f).empty());
}
