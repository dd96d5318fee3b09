// The display items as the script finds them: names, depths, exact placements, colour
// transforms, the mask, the play/pause frames, the time display and its font.
#include "movie_fixture.h"

#include <gtest/gtest.h>

using namespace movietest;

namespace {

struct Expected {
    const char* path;
    int depth;
    int tx, ty; // twips
    int sx, sy; // 16.16
};

void expectPlaced(const Expected& e) {
    SCOPED_TRACE(e.path);
    const Item item = findItem(e.path);
    EXPECT_EQ(item.place.depth, e.depth);
    ASSERT_TRUE(item.place.matrix);
    const Matrix& m = *item.place.matrix;
    EXPECT_EQ(m.tx, e.tx);
    EXPECT_EQ(m.ty, e.ty);
    EXPECT_EQ(m.sx, e.sx);
    EXPECT_EQ(m.sy, e.sy);
    EXPECT_EQ(m.r0, 0);
    EXPECT_EQ(m.r1, 0);
}

} // namespace

TEST(StageItems, PlacementsAreExact) {
    const Expected items[] = {
        {"vidplayer", 1, 0, 0, 67796, 67991},
        {"vidplayer.player", 1, 0, 0, 190054, 189508},
        {"controlpanel", 3, 0, 6680, 65762, 65533},
        {"controlpanel.main_bg", 1, 0, 22, 68846, 65581},
        {"controlpanel.sliderbackground", 3, 740, 191, 88557, 58161},
        {"controlpanel.timer", 5, 4900, 120, 50205, 49160},
        {"controlpanel.mrdiv", 9, -2, 510, 65536, 65536},
        {"controlpanel.seektotime", 13, 740, 202, 13107134, 524287},
        {"controlpanel.volumecontrol", 15, 6879, 274, 88114, 76122},
        {"controlpanel.volumecontrol.volumehitarea", 1, 0, 0, 65536, 65536},
        {"controlpanel.volumecontrol.volumemask", 2, 0, 0, 65536, 65536},
        {"controlpanel.volumecontrol.volumeslider", 3, 1056, -2, 75733, 81913},
        {"controlpanel.sliderpassedtime", 22, 756, 189, 32614, 76459},
        {"controlpanel.slider", 24, 1590, 269, 69632, 69632},
        {"controlpanel.playpause", 28, 0, 1, 65536, 65536},
    };
    for (const auto& e : items)
        expectPlaced(e);
}

TEST(StageItems, ColourTransformsAndMask) {
    const Cxform bg = findItem("controlpanel.main_bg").place.cxform.value();
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(bg.mult[c], 223);
        EXPECT_EQ(bg.add[c], 27);
    }
    EXPECT_EQ(bg.mult[3], 256);
    EXPECT_EQ(bg.add[3], 0);

    const Cxform press = findItem("controlpanel.seektotime").place.cxform.value();
    EXPECT_EQ(press.mult[3], 0);
    EXPECT_EQ(press.mult[0], 256);

    EXPECT_EQ(findItem("controlpanel.volumecontrol.volumemask").place.clipDepth, 6);
    EXPECT_EQ(findItem("controlpanel.volumecontrol.volumeslider").place.clipDepth, 0);
    EXPECT_FALSE(findItem("controlpanel.slider").place.cxform);

    // mrdiv holds nothing.
    EXPECT_TRUE(placementsIn(findItem("controlpanel.mrdiv")).empty());
}

TEST(StageItems, VideoSurface) {
    const Item player = findItem("vidplayer.player");
    ASSERT_EQ(player.character.code, 60);
    Reader r(player.character.body);
    r.u16();
    EXPECT_EQ(r.u16(), 0);   // frames
    EXPECT_EQ(r.u16(), 160); // width
    EXPECT_EQ(r.u16(), 120); // height
    EXPECT_EQ(r.u8(), 0);    // deblocking as coded, no smoothing
    EXPECT_EQ(r.u8(), 0);    // codec
}

TEST(StageItems, PlayPauseFramesStopThemselves) {
    const Item pp = findItem("controlpanel.playpause");
    std::uint16_t declared = 0;
    const auto frames = framesOf(spriteTags(pp.character.body, &declared));
    ASSERT_EQ(declared, 2);
    ASSERT_EQ(frames.size(), 2u);
    const Bytes stop = {0x07, 0x00};
    const char* labels[] = {"playing", "paused"};
    for (int f = 0; f < 2; ++f) {
        std::string label;
        int stops = 0;
        for (const auto& t : frames[f]) {
            if (t.code == 43) label = Reader(t.body).str();
            if (t.code == 12) stops += Bytes(t.body.begin(), t.body.end()) == stop;
        }
        EXPECT_EQ(label, labels[f]);
        EXPECT_EQ(stops, 1) << "frame " << f + 1;
    }

    // Frame 1: the face, a light copy of the pause symbol under the plain one.
    std::vector<Place> first;
    for (const auto& t : frames[0])
        if (t.code == 26) first.push_back(readPlaceObject2(t.body));
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].depth, 1);
    EXPECT_EQ(first[1].depth, 4);
    EXPECT_EQ(first[1].matrix->tx, 159);
    EXPECT_EQ(first[1].matrix->ty, 167);
    EXPECT_EQ(first[1].cxform->mult[0], 51);
    EXPECT_EQ(first[1].cxform->add[0], 204);
    EXPECT_EQ(first[2].depth, 8);
    EXPECT_EQ(first[2].matrix->tx, 139);
    EXPECT_EQ(first[2].matrix->ty, 148);
    EXPECT_EQ(first[1].character, first[2].character);

    // Frame 2: removes the symbols and shows the play button.
    std::vector<int> removed;
    std::vector<Place> second;
    for (const auto& t : frames[1]) {
        if (t.code == 28) removed.push_back(Reader(t.body).u16());
        if (t.code == 26) second.push_back(readPlaceObject2(t.body));
    }
    EXPECT_EQ(removed, (std::vector<int>{4, 8}));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].depth, 2);
    EXPECT_EQ(second[0].name, "play_button");
    EXPECT_EQ(second[0].matrix->tx, 31);
    EXPECT_EQ(second[0].matrix->ty, 21);
}

TEST(StageItems, PlayButtonHasNoHitStateAndDrawsTheSymbolTwice) {
    const auto& button = characters().at([] {
        const auto frames = framesOf(childTags(findItem("controlpanel.playpause")));
        for (const auto& t : frames.at(1))
            if (t.code == 26) return *readPlaceObject2(t.body).character;
        throw ReadError("no button");
    }());
    ASSERT_EQ(button.code, 34);
    Reader r(button.body);
    r.u16();
    r.u8();
    r.u16();
    std::vector<std::pair<Matrix, Cxform>> records;
    for (std::uint8_t states = r.u8(); states != 0; states = r.u8()) {
        EXPECT_EQ(states, 0x07) << "up, over and down; never the hit state";
        r.u16();
        r.u16();
        const Matrix m = readMatrix(r);
        records.emplace_back(m, readCxformWithAlpha(r));
    }
    ASSERT_EQ(records.size(), 2u);
    for (const auto& [m, c] : records) {
        EXPECT_EQ(m.sx, 58849);
        EXPECT_EQ(m.sy, 65536);
    }
    EXPECT_EQ(records[0].second.mult[1], 51);
    EXPECT_EQ(records[0].second.add[2], 204);
    EXPECT_EQ(records[1].second.mult[1], 256);
    // The light copy lies 0.65 px right of and 0.70 px below the plain one.
    EXPECT_EQ(records[0].first.tx - records[1].first.tx, 13);
    EXPECT_EQ(records[0].first.ty - records[1].first.ty, 14);
}

TEST(StageItems, TimeDisplayFields) {
    struct Field {
        int depth;
        const char* variable;
        const char* text;
        int align;
        Rect box;
        int tx, sx;
        const char* name;
    };
    const Field fields[] = {
        {1, "seek_total_time", "07:40", 1, {-24, 796, -40, 352}, 980, 67134, ""},
        {2, "seek_time", "07:40", 0, {-84, 757, -40, 352}, 80, 65458, ""},
        {3, "", "/", 2, {-84, 120, -40, 352}, 880, 65536, "timeseparator"},
    };
    const auto places = placementsIn(findItem("controlpanel.timer"));
    ASSERT_EQ(places.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Field& f = fields[i];
        const Place& p = places[i];
        SCOPED_TRACE(f.text);
        EXPECT_EQ(p.depth, f.depth);
        EXPECT_EQ(p.name, f.name);
        EXPECT_EQ(p.matrix->tx, f.tx);
        EXPECT_EQ(p.matrix->ty, 40);
        EXPECT_EQ(p.matrix->sx, f.sx);
        EXPECT_EQ(p.matrix->sy, 65536);

        const auto& t = characters().at(*p.character);
        ASSERT_EQ(t.code, 37);
        Reader r(t.body);
        r.u16();
        const Rect box = readRect(r);
        EXPECT_EQ(box.xMin, f.box.xMin);
        EXPECT_EQ(box.xMax, f.box.xMax);
        EXPECT_EQ(box.yMin, f.box.yMin);
        EXPECT_EQ(box.yMax, f.box.yMax);
        const std::uint8_t f1 = r.u8(), f2 = r.u8();
        // Text, read-only, colour, font; nothing wraps, no password, no maximum length.
        EXPECT_EQ(f1, 0x80 | 0x08 | 0x04 | 0x01);
        // Layout, not selectable, outlines; no border, HTML, auto-size or font class.
        EXPECT_EQ(f2, 0x20 | 0x10 | 0x01);
        const std::uint16_t font = r.u16();
        EXPECT_EQ(characters().at(font).code, 48);
        EXPECT_EQ(r.u16(), 280);         // 14 px
        EXPECT_EQ(r.u32(), 0xff000000u); // black, opaque
        EXPECT_EQ(r.u8(), f.align);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(r.u16(), 0); // margins, indent, leading
        EXPECT_EQ(r.str(), f.variable);
        EXPECT_EQ(r.str(), f.text);
        EXPECT_EQ(r.offset(), t.body.size());
    }
}

TEST(StageItems, FontHoldsTheThirteenGlyphsWithTheirMetrics) {
    const Tag* fontTag = nullptr;
    for (const auto& [id, t] : characters())
        if (t.code == 48) {
            EXPECT_EQ(fontTag, nullptr) << "one font only";
            fontTag = &t;
        }
    ASSERT_NE(fontTag, nullptr);
    Reader r(fontTag->body);
    r.u16();
    const std::uint8_t flags = r.u8();
    EXPECT_TRUE(flags & 0x80) << "layout";
    EXPECT_FALSE(flags & 0x40) << "Shift-JIS";
    EXPECT_TRUE(flags & 0x20) << "small text";
    EXPECT_FALSE(flags & 0x10) << "ANSI";
    EXPECT_TRUE(flags & 0x04) << "wide codes";
    EXPECT_FALSE(flags & 0x03) << "bold or italic";
    const bool wideOffsets = flags & 0x08;
    EXPECT_EQ(r.u8(), 1); // Latin
    const std::uint8_t nameLength = r.u8();
    const View name = r.take(nameLength);
    EXPECT_EQ(std::string(name.begin(), name.end()), "Arial_14pt_st");
    const int glyphs = r.u16();
    ASSERT_EQ(glyphs, 13);
    const std::size_t tableStart = r.offset();
    std::vector<std::uint32_t> offsets;
    for (int i = 0; i <= glyphs; ++i)
        offsets.push_back(wideOffsets ? r.u32() : r.u16());
    // Each glyph: one fill, no lines, edges only, and within the em box.
    std::vector<Rect> outlines;
    for (int i = 0; i < glyphs; ++i) {
        ASSERT_LT(offsets[i], offsets[i + 1]);
        Reader g(View(fontTag->body).subspan(tableStart + offsets[i], offsets[i + 1] - offsets[i]));
        EXPECT_EQ(g.ub(4), 1u);
        EXPECT_EQ(g.ub(4), 0u);
        const auto paths = readShapeRecords(g, 1, 0);
        EXPECT_EQ(g.offset(), offsets[i + 1] - offsets[i]) << "glyph " << i;
        ASSERT_FALSE(paths.empty());
        EXPECT_EQ(paths[0].fill0, 1);
        outlines.push_back(geometricBounds(paths, {}));
    }
    Reader codes(View(fontTag->body).subspan(tableStart + offsets[glyphs]));
    std::string chars;
    for (int i = 0; i < glyphs; ++i)
        chars += static_cast<char>(codes.u16());
    EXPECT_EQ(chars, "-/0123456789:");
    EXPECT_EQ(codes.u16(), 927);
    EXPECT_EQ(codes.u16(), 217);
    EXPECT_EQ(codes.s16(), 120);
    std::vector<int> advances;
    for (int i = 0; i < glyphs; ++i)
        advances.push_back(codes.s16());
    EXPECT_EQ(advances,
              (std::vector<int>{341, 285, 570, 570, 570, 570, 570, 570, 570, 570, 570, 570, 285}));
    for (int i = 0; i < glyphs; ++i) {
        const Rect stored = readRect(codes);
        SCOPED_TRACE(chars.substr(i, 1));
        EXPECT_NEAR(stored.xMin, outlines[i].xMin, 1);
        EXPECT_NEAR(stored.xMax, outlines[i].xMax, 1);
        EXPECT_NEAR(stored.yMin, outlines[i].yMin, 1);
        EXPECT_NEAR(stored.yMax, outlines[i].yMax, 1);
        // Inside the advance and the ascent/descent band (y grows downwards).
        EXPECT_GE(stored.xMin, 0);
        EXPECT_LE(stored.xMax, advances[i]);
        EXPECT_GE(stored.yMin, -927);
        EXPECT_LE(stored.yMax, 217);
    }
    EXPECT_EQ(codes.u16(), 0); // no kerning pairs
    EXPECT_TRUE(codes.atEnd());
}
