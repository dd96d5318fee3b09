#include "test_movies.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zimo::test {

using movie::SwfWriter;

namespace {

int twips(double px) {
    return static_cast<int>(std::lround(px * 20));
}

int bitsFor(std::initializer_list<int> values) {
    int n = 1;
    for (int v : values)
        n = std::max(n, movie::signedBitsFor(v));
    return n;
}

void writeColor(SwfWriter& w, Color c) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    w.u8(c.a);
}

void writeMatrix(SwfWriter& w, const Place& m) {
    w.flushBits();
    const bool scale = m.a != 1 || m.d != 1;
    w.ubits(scale, 1);
    if (scale) {
        const int a = static_cast<int>(std::lround(m.a * 65536)),
                  d = static_cast<int>(std::lround(m.d * 65536));
        const int n = bitsFor({a, d});
        w.ubits(n, 5);
        w.sbits(a, n);
        w.sbits(d, n);
    }
    const bool rotate = m.b != 0 || m.c != 0;
    w.ubits(rotate, 1);
    if (rotate) {
        const int b = static_cast<int>(std::lround(m.b * 65536)),
                  c = static_cast<int>(std::lround(m.c * 65536));
        const int n = bitsFor({b, c});
        w.ubits(n, 5);
        w.sbits(b, n);
        w.sbits(c, n);
    }
    const int tx = twips(m.tx), ty = twips(m.ty);
    const int n = (tx == 0 && ty == 0) ? 0 : bitsFor({tx, ty});
    w.ubits(n, 5);
    w.sbits(tx, n);
    w.sbits(ty, n);
    w.flushBits();
}

void writeCxForm(SwfWriter& w, const CxForm& c) {
    w.flushBits();
    const int n = bitsFor({c.rm, c.gm, c.bm, c.am, c.ra, c.ga, c.ba, c.aa});
    w.ubits(1, 1); // add terms
    w.ubits(1, 1); // multiply terms
    w.ubits(n, 4);
    for (int v : {c.rm, c.gm, c.bm, c.am})
        w.sbits(v, n);
    for (int v : {c.ra, c.ga, c.ba, c.aa})
        w.sbits(v, n);
    w.flushBits();
}

Bytes gradientFill(int type, const std::vector<std::pair<int, Color>>& stops, Place m, int spread,
                   int interpolation) {
    SwfWriter w;
    w.u8(static_cast<std::uint8_t>(type));
    // The matrix maps the ±16384 twip square; the caller's `m` is in pixels per unit.
    writeMatrix(w, m);
    w.u8(static_cast<std::uint8_t>((spread << 6) | (interpolation << 4) | stops.size()));
    for (const auto& [ratio, c] : stops) {
        w.u8(static_cast<std::uint8_t>(ratio));
        writeColor(w, c);
    }
    return w.data();
}

} // namespace

int ShapeBuilder::solid(Color c) {
    SwfWriter w;
    w.u8(0);
    writeColor(w, c);
    fills_.push_back(w.data());
    return static_cast<int>(fills_.size());
}

int ShapeBuilder::linear(std::vector<std::pair<int, Color>> stops, Place m, int spread,
                         int interpolation) {
    fills_.push_back(gradientFill(0x10, stops, m, spread, interpolation));
    return static_cast<int>(fills_.size());
}

int ShapeBuilder::radial(std::vector<std::pair<int, Color>> stops, Place m) {
    fills_.push_back(gradientFill(0x12, stops, m, 0, 0));
    return static_cast<int>(fills_.size());
}

void ShapeBuilder::extend(int x, int y) {
    if (!any_) {
        minX_ = maxX_ = x;
        minY_ = maxY_ = y;
        any_ = true;
    }
    minX_ = std::min(minX_, x);
    maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y);
    maxY_ = std::max(maxY_, y);
}

int ShapeBuilder::line(LineSpec style) {
    lineWidths_.push_back(twips(style.width));
    SwfWriter w;
    w.u16(static_cast<std::uint16_t>(twips(style.width)));
    if (version_ >= 4) {
        w.ubits(static_cast<std::uint32_t>(style.startCap), 2);
        w.ubits(0, 2); // round joins
        w.ubits(0, 1); // no fill
        w.ubits(style.noHScale, 1);
        w.ubits(style.noVScale, 1);
        w.ubits(0, 1);
        w.ubits(0, 5);
        w.ubits(0, 1);
        w.ubits(static_cast<std::uint32_t>(style.endCap), 2);
    }
    writeColor(w, style.color);
    lines_.push_back(w.data());
    return static_cast<int>(lines_.size());
}

ShapeBuilder& ShapeBuilder::styles(int fill0, int fill1, int lineStyle) {
    ops_.push_back({Op::Style, fill0, fill1, lineStyle});
    return *this;
}

ShapeBuilder& ShapeBuilder::moveTo(double x, double y) {
    penX_ = twips(x);
    penY_ = twips(y);
    ops_.push_back({Op::Move, penX_, penY_});
    return *this;
}

ShapeBuilder& ShapeBuilder::lineTo(double x, double y) {
    const int tx = twips(x), ty = twips(y);
    ops_.push_back({Op::Line, tx - penX_, ty - penY_});
    extend(penX_, penY_);
    extend(tx, ty);
    penX_ = tx;
    penY_ = ty;
    return *this;
}

ShapeBuilder& ShapeBuilder::curveTo(double cx, double cy, double x, double y) {
    const int tcx = twips(cx), tcy = twips(cy), tx = twips(x), ty = twips(y);
    ops_.push_back({Op::Curve, tcx - penX_, tcy - penY_, tx - tcx, ty - tcy});
    extend(penX_, penY_);
    extend(tx, ty); // the control point is left out: curves here stay inside their ends
    penX_ = tx;
    penY_ = ty;
    return *this;
}

ShapeBuilder& ShapeBuilder::rect(double x0, double y0, double x1, double y1) {
    return moveTo(x0, y0).lineTo(x1, y0).lineTo(x1, y1).lineTo(x0, y1).lineTo(x0, y0);
}

Bytes ShapeBuilder::tag(std::uint16_t id) const {
    // The declared box: the edges, widened by half the widest line.
    int half = 0;
    for (int width : lineWidths_)
        half = std::max(half, width / 2);
    SwfWriter w;
    w.u16(id);
    w.rect(minX_ - half, maxX_ + half, minY_ - half, maxY_ + half);
    if (version_ >= 4) {
        w.rect(minX_, maxX_, minY_, maxY_);
        w.u8(0x01); // uses scaling strokes
    }
    w.u8(static_cast<std::uint8_t>(fills_.size()));
    for (const auto& f : fills_)
        w.bytes(f);
    w.u8(static_cast<std::uint8_t>(lines_.size()));
    for (const auto& l : lines_)
        w.bytes(l);
    const int fillBits = movie::unsignedBitsFor(static_cast<std::uint32_t>(fills_.size()));
    const int lineBits = movie::unsignedBitsFor(static_cast<std::uint32_t>(lines_.size()));
    w.ubits(static_cast<std::uint32_t>(fillBits), 4);
    w.ubits(static_cast<std::uint32_t>(lineBits), 4);
    for (const auto& op : ops_) {
        switch (op.kind) {
        case Op::Move: {
            w.ubits(0, 1);
            w.ubits(0b00001, 5);
            const int n = bitsFor({op.a, op.b});
            w.ubits(static_cast<std::uint32_t>(n), 5);
            w.sbits(op.a, n);
            w.sbits(op.b, n);
            break;
        }
        case Op::Style:
            w.ubits(0, 1);
            w.ubits(0, 1); // new styles
            w.ubits(1, 1); // line
            w.ubits(1, 1); // fill 1
            w.ubits(1, 1); // fill 0
            w.ubits(0, 1); // move
            w.ubits(static_cast<std::uint32_t>(op.a), fillBits);
            w.ubits(static_cast<std::uint32_t>(op.b), fillBits);
            w.ubits(static_cast<std::uint32_t>(op.c), lineBits);
            break;
        case Op::Line: {
            const int n = std::max(2, bitsFor({op.a, op.b}));
            w.ubits(1, 1);
            w.ubits(1, 1);
            w.ubits(static_cast<std::uint32_t>(n - 2), 4);
            w.ubits(1, 1); // general line
            w.sbits(op.a, n);
            w.sbits(op.b, n);
            break;
        }
        case Op::Curve: {
            const int n = std::max(2, bitsFor({op.a, op.b, op.c, op.d}));
            w.ubits(1, 1);
            w.ubits(0, 1);
            w.ubits(static_cast<std::uint32_t>(n - 2), 4);
            w.sbits(op.a, n);
            w.sbits(op.b, n);
            w.sbits(op.c, n);
            w.sbits(op.d, n);
            break;
        }
        }
    }
    w.ubits(0, 6); // end of shape
    return movie::tag(version_ >= 4 ? 83 : 32, w.data());
}

Bytes placeTag(int depth, std::optional<int> characterId, std::optional<Place> m,
               std::optional<CxForm> cx, const std::string& name, int clipDepth, bool move) {
    SwfWriter w;
    std::uint8_t flags = 0;
    if (move) flags |= 0x01;
    if (characterId) flags |= 0x02;
    if (m) flags |= 0x04;
    if (cx) flags |= 0x08;
    if (!name.empty()) flags |= 0x20;
    if (clipDepth) flags |= 0x40;
    w.u8(flags);
    w.u16(static_cast<std::uint16_t>(depth));
    if (characterId) w.u16(static_cast<std::uint16_t>(*characterId));
    if (m) writeMatrix(w, *m);
    if (cx) writeCxForm(w, *cx);
    if (!name.empty()) w.string(name);
    if (clipDepth) w.u16(static_cast<std::uint16_t>(clipDepth));
    return movie::tag(26, w.data());
}

Bytes removeTag(int depth) {
    SwfWriter w;
    w.u16(static_cast<std::uint16_t>(depth));
    return movie::tag(28, w.data());
}

Bytes showFrameTag() {
    return movie::tag(1, {});
}
Bytes endTag() {
    return movie::tag(0, {});
}

Bytes frameLabelTag(const std::string& label) {
    SwfWriter w;
    w.string(label);
    return movie::tag(43, w.data());
}

Bytes doActionTag(const Bytes& actions) {
    return movie::tag(12, actions);
}

Bytes spriteTag(std::uint16_t id, std::uint16_t frames, const Bytes& tags) {
    SwfWriter w;
    w.u16(id);
    w.u16(frames);
    w.bytes(tags);
    w.bytes(endTag());
    return movie::tag(39, w.data());
}

Bytes fontTag(std::uint16_t id, const std::vector<GlyphSpec>& glyphs, int ascent, int descent,
              int leading, bool font3) {
    const int k = font3 ? 20 : 1;
    std::vector<Bytes> shapes;
    for (const auto& g : glyphs) {
        SwfWriter s;
        s.ubits(1, 4);
        s.ubits(0, 4);
        auto move = [&](int x, int y) {
            s.ubits(0, 1);
            s.ubits(0b00011, 5); // fill 0 and move
            const int n = bitsFor({x, y});
            s.ubits(static_cast<std::uint32_t>(n), 5);
            s.sbits(x, n);
            s.sbits(y, n);
            s.ubits(1, 1); // fill 0 = 1
        };
        auto lineBy = [&](int dx, int dy) {
            const int n = std::max(2, bitsFor({dx, dy}));
            s.ubits(1, 1);
            s.ubits(1, 1);
            s.ubits(static_cast<std::uint32_t>(n - 2), 4);
            s.ubits(1, 1);
            s.sbits(dx, n);
            s.sbits(dy, n);
        };
        const int x0 = static_cast<int>(g.x0 * k), y0 = static_cast<int>(g.y0 * k);
        const int x1 = static_cast<int>(g.x1 * k), y1 = static_cast<int>(g.y1 * k);
        move(x0, y0);
        lineBy(0, y1 - y0); // counter-clockwise on screen, fill 0 inside
        lineBy(x1 - x0, 0);
        lineBy(0, y0 - y1);
        lineBy(x0 - x1, 0);
        s.ubits(0, 6);
        shapes.push_back(s.data());
    }
    SwfWriter w;
    w.u16(id);
    w.u8(0x80 | 0x04); // layout, wide codes
    w.u8(1);
    const std::string name = "TestFont";
    w.u8(static_cast<std::uint8_t>(name.size()));
    for (char c : name)
        w.u8(static_cast<std::uint8_t>(c));
    w.u16(static_cast<std::uint16_t>(glyphs.size()));
    std::size_t offset = 2 * glyphs.size() + 2;
    for (const auto& s : shapes) {
        w.u16(static_cast<std::uint16_t>(offset));
        offset += s.size();
    }
    w.u16(static_cast<std::uint16_t>(offset));
    for (const auto& s : shapes)
        w.bytes(s);
    for (const auto& g : glyphs)
        w.u16(g.code);
    w.u16(static_cast<std::uint16_t>(ascent * k));
    w.u16(static_cast<std::uint16_t>(descent * k));
    w.s16(static_cast<std::int16_t>(leading * k));
    for (const auto& g : glyphs)
        w.s16(static_cast<std::int16_t>(g.advance * k));
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        w.rect(0, 0, 0, 0);
    w.u16(0);
    return movie::tag(font3 ? 75 : 48, w.data());
}

Bytes editTextTag(std::uint16_t id, const FieldSpec& f) {
    SwfWriter w;
    w.u16(id);
    w.rect(twips(f.x0), twips(f.x1), twips(f.y0), twips(f.y1));
    std::uint8_t f1 = 0x08 | 0x04; // read-only, colour
    if (!f.text.empty()) f1 |= 0x80;
    if (f.fontId) f1 |= 0x01;
    w.u8(f1);
    w.u8(0x20 | 0x10 | 0x01); // layout, no selection, outlines
    if (f.fontId) {
        w.u16(static_cast<std::uint16_t>(f.fontId));
        w.u16(static_cast<std::uint16_t>(twips(f.height)));
    }
    writeColor(w, f.color);
    w.u8(static_cast<std::uint8_t>(f.align));
    w.u16(static_cast<std::uint16_t>(twips(f.leftMargin)));
    w.u16(static_cast<std::uint16_t>(twips(f.rightMargin)));
    w.u16(0);
    w.s16(0);
    w.string(f.variable);
    if (!f.text.empty()) w.string(f.text);
    return movie::tag(37, w.data());
}

Bytes videoTag(std::uint16_t id, int width, int height) {
    SwfWriter w;
    w.u16(id);
    w.u16(0);
    w.u16(static_cast<std::uint16_t>(width));
    w.u16(static_cast<std::uint16_t>(height));
    w.u8(0);
    w.u8(4);
    return movie::tag(60, w.data());
}

MovieMaker::MovieMaker(int width, int height, int frames, int version)
    : width_(width), height_(height), frames_(frames), version_(version) {}

MovieMaker& MovieMaker::add(const Bytes& tag) {
    tags_.insert(tags_.end(), tag.begin(), tag.end());
    return *this;
}

Bytes MovieMaker::body() const {
    SwfWriter w;
    w.rect(0, width_ * 20, 0, height_ * 20);
    w.u16(0x1e00);
    w.u16(static_cast<std::uint16_t>(frames_));
    w.bytes(tags_);
    w.bytes(endTag());
    return w.data();
}

Bytes MovieMaker::file() const {
    return movie::compressedMovie(static_cast<std::uint8_t>(version_), body());
}

std::shared_ptr<const swf::Movie> MovieMaker::load() const {
    const Bytes f = file();
    auto result = swf::loadMovie(f);
    EXPECT_TRUE(result) << result.error;
    return result.movie;
}

} // namespace zimo::test
