// Building small movies for the tests: shapes, placements, sprites, fonts and fields,
// written with the project's SWF writer.
#pragma once

#include "swf/movie.h"
#include "swf_writer.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zimo::test {

using movie::Bytes;

struct Color {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A placement matrix: scale, rotate/skew and translation in pixels.
struct Place {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

struct CxForm {
    int rm = 256, gm = 256, bm = 256, am = 256;
    int ra = 0, ga = 0, ba = 0, aa = 0;
};

struct LineSpec {
    double width = 1; // pixels
    Color color;
    int startCap = 0, endCap = 0; // 0 round, 1 none, 2 square
    bool noHScale = false, noVScale = false;
};

// Records of one shape; coordinates in pixels (rounded to twips).
class ShapeBuilder {
public:
    explicit ShapeBuilder(int version = 3) : version_(version) {}

    int solid(Color c);
    // A linear gradient along x over the gradient square mapped by `m` (pixels).
    int linear(std::vector<std::pair<int, Color>> stops, Place m, int spread = 0,
               int interpolation = 0);
    int radial(std::vector<std::pair<int, Color>> stops, Place m);
    int line(LineSpec style);

    ShapeBuilder& styles(int fill0, int fill1, int lineStyle);
    ShapeBuilder& moveTo(double x, double y);
    ShapeBuilder& lineTo(double x, double y);
    ShapeBuilder& curveTo(double cx, double cy, double x, double y);
    // A closed rectangle with the current styles, starting at its top-left corner.
    ShapeBuilder& rect(double x0, double y0, double x1, double y1);

    // The whole DefineShape tag (version 3 or 4).
    Bytes tag(std::uint16_t id) const;

private:
    struct Op {
        enum Kind { Move, Style, Line, Curve } kind;
        int a = 0, b = 0, c = 0, d = 0; // twips, or style indices
        int e = 0;
    };
    int version_;
    std::vector<Bytes> fills_, lines_;
    std::vector<Op> ops_;
    int penX_ = 0, penY_ = 0;
    std::vector<int> lineWidths_; // twips
    int minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
    bool any_ = false;
    void extend(int x, int y);
};

// Tag bodies and tags.
Bytes placeTag(int depth, std::optional<int> characterId, std::optional<Place> m = {},
               std::optional<CxForm> cx = {}, const std::string& name = {}, int clipDepth = 0,
               bool move = false);
Bytes removeTag(int depth);
Bytes showFrameTag();
Bytes endTag();
Bytes frameLabelTag(const std::string& label);
Bytes doActionTag(const Bytes& actions);
Bytes spriteTag(std::uint16_t id, std::uint16_t frames, const Bytes& tags);

struct GlyphSpec {
    char16_t code = 0;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0; // a box, in font units (1024 em, y down)
    int advance = 0;
};
// DefineFont3 (20x units are written for the font units given here) or DefineFont2.
Bytes fontTag(std::uint16_t id, const std::vector<GlyphSpec>& glyphs, int ascent, int descent,
              int leading, bool font3 = true);

struct FieldSpec {
    double x0 = 0, y0 = 0, x1 = 100, y1 = 20; // pixels
    int fontId = 0;
    double height = 14; // pixels
    Color color;
    int align = 0; // 0 left, 1 right, 2 centre
    double leftMargin = 0, rightMargin = 0;
    std::string variable;
    std::string text;
};
Bytes editTextTag(std::uint16_t id, const FieldSpec& f);

Bytes videoTag(std::uint16_t id, int width, int height);

// A movie: header, a body of tags, and the compressed file.
class MovieMaker {
public:
    MovieMaker(int width = 100, int height = 100, int frames = 1, int version = 8);
    MovieMaker& add(const Bytes& tag);
    MovieMaker& showFrame() { return add(showFrameTag()); }
    Bytes body() const; // after the 8-byte header, End tag included
    Bytes file() const; // compressed movie
    // Loads the movie; fails the test on a refusal.
    std::shared_ptr<const swf::Movie> load() const;

private:
    int width_, height_, frames_, version_;
    Bytes tags_;
};

} // namespace zimo::test
