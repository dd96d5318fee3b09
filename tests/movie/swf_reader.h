// A small SWF reader for the tests, written apart from the generator so that both have to
// agree with the file format rather than with each other.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace movietest {

using Bytes = std::vector<std::uint8_t>;
using View = std::span<const std::uint8_t>;

struct ReadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Reader {
public:
    explicit Reader(View data) : data_(data) {}
    std::uint32_t ub(int n);
    std::int32_t sb(int n);
    void align() { bit_ = (bit_ + 7) & ~std::size_t{7}; }
    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    std::string str();
    View take(std::size_t n);
    std::size_t offset() const { return (bit_ + 7) / 8; }
    bool atEnd() const { return offset() >= data_.size(); }

private:
    View data_;
    std::size_t bit_ = 0;
};

struct Rect {
    int xMin, xMax, yMin, yMax;
};
Rect readRect(Reader& r);

struct Matrix {
    int sx = 65536, sy = 65536, r0 = 0, r1 = 0, tx = 0, ty = 0;
};
Matrix readMatrix(Reader& r);

struct Cxform {
    int mult[4] = {256, 256, 256, 256};
    int add[4] = {0, 0, 0, 0};
};
Cxform readCxformWithAlpha(Reader& r);

struct Tag {
    int code;
    View body;
};

// Tags up to and including End; throws if a length overruns or End is not last.
std::vector<Tag> readTags(View data);

struct Movie {
    std::string signature;
    int version = 0;
    std::uint32_t declaredLength = 0;
    std::uint8_t zlib0 = 0, zlib1 = 0;
    Bytes body; // everything after the 8-byte header, uncompressed
    Rect stage{};
    std::uint16_t frameRate = 0, frameCount = 0;
    std::vector<Tag> tags; // view into body
};
Movie readMovie(const Bytes& file);

struct Place {
    std::uint16_t depth = 0;
    std::optional<std::uint16_t> character;
    std::optional<Matrix> matrix;
    std::optional<Cxform> cxform;
    std::string name;
    std::uint16_t clipDepth = 0;
};
Place readPlaceObject2(View body); // throws unless the body is read exactly

// A sprite's or the root's frames: the tags of each frame, ShowFrame ending each.
std::vector<std::vector<Tag>> framesOf(const std::vector<Tag>& tags);

// Characters by id, from every definition tag of the root.
std::map<std::uint16_t, Tag> dictionary(const std::vector<Tag>& rootTags);

// The control tags of a DefineSprite body, and its declared frame count.
std::vector<Tag> spriteTags(View body, std::uint16_t* frameCount = nullptr);

bool isDefinition(int code);

} // namespace movietest

namespace movietest {

struct ShapeEdge {
    bool curved;
    int cx, cy, x, y; // absolute twips
};

struct ShapePath {
    int fill0, fill1, line;
    int x, y;
    std::vector<ShapeEdge> edges;
};

struct LineInfo {
    int width;
    std::uint32_t rgba;
    int startCap = 0, endCap = 0;
    bool noHScale = false, noVScale = false;
};

struct FillInfo {
    int type;           // 0x00 solid, 0x10 linear
    std::uint32_t rgba; // solid
    Matrix matrix;      // gradient
    std::vector<std::pair<int, std::uint32_t>> stops;
};

struct ShapeInfo {
    int version;
    std::uint16_t id;
    Rect bounds{};
    std::optional<Rect> edgeBounds;
    std::uint8_t shape4Flags = 0;
    std::vector<FillInfo> fills;
    std::vector<LineInfo> lines;
    std::vector<ShapePath> paths;
};

// DefineShape, 2, 3 or 4 (by tag code); throws unless the body is read exactly.
ShapeInfo readShape(int code, View body);

// SHAPERECORDs up to the end record.
std::vector<ShapePath> readShapeRecords(Reader& r, int fillBits, int lineBits);

// The outlines' extent, each path widened by half its line's width (no line: none).
Rect geometricBounds(const std::vector<ShapePath>& paths, const std::vector<LineInfo>& lines);

} // namespace movietest
