// Shapes: fill and line styles, and the outlines assembled from a shape's edge records.
#pragma once

#include "swf/reader.h"
#include "swf/types.h"

#include <QPainterPath>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zimo::swf {

struct GradientStop {
    std::uint8_t ratio = 0; // position along the axis, 0..255
    Rgba color;
};

enum class SpreadMode { Pad, Reflect, Repeat };
enum class InterpolationMode { Rgb, LinearRgb };

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Rgb;
    std::vector<GradientStop> stops;
    double focalPoint = 0; // -1..1 along the radius, focal radial gradients only
};

enum class FillKind { Solid, LinearGradient, RadialGradient, FocalGradient, Bitmap };

// Gradients are defined on the square -819.2..819.2 px (±16384 twips), which `matrix`
// maps into the shape's coordinates.
struct FillStyle {
    FillKind kind = FillKind::Solid;
    Rgba color;
    Matrix matrix;
    Gradient gradient;
    std::uint16_t bitmapId = 0;
};

inline constexpr double kGradientHalfSize = 16384.0 / kTwipsPerPixel;

enum class CapStyle { Round, None, Square };
enum class JoinStyle { Round, Bevel, Miter };

struct LineStyle {
    double width = 0; // pixels; 0 is a hairline of one device pixel
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;
    bool noHScale = false; // the width does not follow horizontal scaling
    bool noVScale = false; // the width does not follow vertical scaling
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill; // a gradient stroke, in place of `color`
};

// The drawable outlines of a shape, in pixels (or font units for glyphs). A shape is
// drawn group by group; in each group the fills first, then the strokes.
struct ShapeGeometry {
    struct Fill {
        int style = 0; // index into the group's fillStyles
        QPainterPath path;
    };
    struct Stroke {
        int style = 0; // index into the group's lineStyles
        QPainterPath path;
        QPainterPath outline; // the area the stroke covers, for hit tests
    };
    struct Group {
        std::vector<FillStyle> fillStyles;
        std::vector<LineStyle> lineStyles;
        std::vector<Fill> fills;
        std::vector<Stroke> strokes;
    };
    std::vector<Group> groups;
    // Union of the filled areas and the strokes, each stroke widened by half its width.
    // Null for a shape without edges.
    QRectF bounds;

    bool empty() const { return bounds.isNull(); }
    // True when the point lies in a filled area or under a stroke.
    bool contains(QPointF p) const;
};

struct ShapeDef {
    std::uint16_t id = 0;
    int version = 1; // DefineShape 1..4
    QRectF declaredBounds;
    QRectF edgeBounds; // DefineShape4 only
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    ShapeGeometry geometry;
};

// Reads a DefineShape 1..4 tag body. Returns nothing and sets `error` on bad data.
std::optional<ShapeDef> parseDefineShape(Reader& r, int version, std::string& error);

// Reads a SHAPE record of a font glyph (one implicit fill, no line styles). Coordinates
// stay in the font's own units.
std::optional<ShapeGeometry> parseGlyphShape(Reader& r, std::string& error);

FillStyle readFillStyle(Reader& r, int shapeVersion, bool& ok);

} // namespace zimo::swf
