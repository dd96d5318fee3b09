#include "swf/shape.h"

#include "swf/path_assembler.h"
#include "swf/records.h"

namespace zimo::swf {

namespace {

constexpr std::size_t kMaxGradientStops = 15;

bool readGradient(Reader& r, int shapeVersion, bool focal, Gradient& g) {
    r.align();
    const auto spread = r.ubits(2);
    const auto interpolation = r.ubits(2);
    const auto count = r.ubits(4);
    g.spread = spread == 1   ? SpreadMode::Reflect
               : spread == 2 ? SpreadMode::Repeat
                             : SpreadMode::Pad;
    g.interpolation = interpolation == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Rgb;
    if (count > kMaxGradientStops) return false;
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        GradientStop s;
        s.ratio = r.u8();
        s.color = shapeVersion >= 3 ? readRgba(r) : readRgb(r);
        g.stops.push_back(s);
    }
    if (focal) g.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
    return r.ok();
}

std::size_t readStyleCount(Reader& r, int shapeVersion) {
    std::size_t count = r.u8();
    if (count == 0xff && shapeVersion >= 2) count = r.u16();
    return count;
}

std::vector<FillStyle> readFillStyles(Reader& r, int shapeVersion, bool& ok) {
    std::vector<FillStyle> styles;
    const auto count = readStyleCount(r, shapeVersion);
    for (std::size_t i = 0; i < count && ok && r.ok(); ++i)
        styles.push_back(readFillStyle(r, shapeVersion, ok));
    ok = ok && r.ok();
    return styles;
}

CapStyle capFrom(std::uint32_t v) {
    return v == 1 ? CapStyle::None : v == 2 ? CapStyle::Square : CapStyle::Round;
}

std::vector<LineStyle> readLineStyles(Reader& r, int shapeVersion, bool& ok) {
    std::vector<LineStyle> styles;
    const auto count = readStyleCount(r, shapeVersion);
    for (std::size_t i = 0; i < count && ok && r.ok(); ++i) {
        LineStyle ls;
        ls.width = r.u16() / kTwipsPerPixel;
        if (shapeVersion >= 4) {
            ls.startCap = capFrom(r.ubits(2));
            const auto join = r.ubits(2);
            ls.join = join == 1   ? JoinStyle::Bevel
                      : join == 2 ? JoinStyle::Miter
                                  : JoinStyle::Round;
            const bool hasFill = r.flag();
            ls.noHScale = r.flag();
            ls.noVScale = r.flag();
            ls.pixelHinting = r.flag();
            r.ubits(5);
            ls.noClose = r.flag();
            ls.endCap = capFrom(r.ubits(2));
            if (ls.join == JoinStyle::Miter) ls.miterLimit = r.u16() / 256.0;
            if (hasFill) {
                ls.fill = readFillStyle(r, shapeVersion, ok);
                if (ls.fill->kind == FillKind::Solid) ls.color = ls.fill->color;
            } else {
                ls.color = readRgba(r);
            }
        } else {
            ls.color = shapeVersion >= 3 ? readRgba(r) : readRgb(r);
        }
        styles.push_back(std::move(ls));
    }
    ok = ok && r.ok();
    return styles;
}

// Reads edge and style-change records up to the end record.
bool readShapeRecords(Reader& r, int shapeVersion, bool glyph, PathAssembler& out,
                      std::string& error) {
    r.align();
    int fillBits = static_cast<int>(r.ubits(4));
    int lineBits = static_cast<int>(r.ubits(4));
    while (r.ok()) {
        if (!r.flag()) {
            const bool newStyles = r.flag();
            const bool lineChange = r.flag();
            const bool fill1Change = r.flag();
            const bool fill0Change = r.flag();
            const bool moveTo = r.flag();
            if (!newStyles && !lineChange && !fill1Change && !fill0Change && !moveTo) return r.ok();
            if (moveTo) {
                const int n = static_cast<int>(r.ubits(5));
                const std::int64_t x = r.sbits(n);
                const std::int64_t y = r.sbits(n);
                out.moveTo(x, y);
            }
            const auto fill0 = fill0Change ? r.ubits(fillBits) : 0;
            const auto fill1 = fill1Change ? r.ubits(fillBits) : 0;
            const auto line = lineChange ? r.ubits(lineBits) : 0;
            if (newStyles) {
                if (glyph) {
                    error = "style change in a glyph";
                    return false;
                }
                bool ok = true;
                auto fills = readFillStyles(r, shapeVersion, ok);
                auto lines = readLineStyles(r, shapeVersion, ok);
                if (!ok) {
                    error = "bad styles in a shape";
                    return false;
                }
                fillBits = static_cast<int>(r.ubits(4));
                lineBits = static_cast<int>(r.ubits(4));
                out.beginGroup(std::move(fills), std::move(lines));
            }
            if (fill0Change) out.setFill0(fill0);
            if (fill1Change) out.setFill1(fill1);
            if (lineChange) out.setLine(line);
        } else if (r.flag()) { // straight edge
            const int n = static_cast<int>(r.ubits(4)) + 2;
            std::int64_t dx = 0, dy = 0;
            if (r.flag()) {
                dx = r.sbits(n);
                dy = r.sbits(n);
            } else if (r.flag()) {
                dy = r.sbits(n);
            } else {
                dx = r.sbits(n);
            }
            if (!r.ok()) break;
            out.lineBy(dx, dy);
        } else { // quadratic curve
            const int n = static_cast<int>(r.ubits(4)) + 2;
            const std::int64_t cdx = r.sbits(n), cdy = r.sbits(n);
            const std::int64_t adx = r.sbits(n), ady = r.sbits(n);
            if (!r.ok()) break;
            out.curveBy(cdx, cdy, adx, ady);
        }
    }
    error = "shape records run past the end of the data";
    return false;
}

} // namespace

FillStyle readFillStyle(Reader& r, int shapeVersion, bool& ok) {
    FillStyle f;
    const auto type = r.u8();
    switch (type) {
    case 0x00:
        f.kind = FillKind::Solid;
        f.color = shapeVersion >= 3 ? readRgba(r) : readRgb(r);
        break;
    case 0x10:
    case 0x12:
    case 0x13:
        f.kind = type == 0x10   ? FillKind::LinearGradient
                 : type == 0x12 ? FillKind::RadialGradient
                                : FillKind::FocalGradient;
        f.matrix = readMatrix(r);
        if (!readGradient(r, shapeVersion, type == 0x13, f.gradient)) ok = false;
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        f.kind = FillKind::Bitmap;
        f.bitmapId = r.u16();
        f.matrix = readMatrix(r);
        break;
    default:
        ok = false;
        break;
    }
    if (!r.ok()) ok = false;
    return f;
}

std::optional<ShapeDef> parseDefineShape(Reader& r, int version, std::string& error) {
    ShapeDef def;
    def.version = version;
    def.id = r.u16();
    def.declaredBounds = readRect(r);
    Qt::FillRule rule = Qt::OddEvenFill;
    if (version >= 4) {
        def.edgeBounds = readRect(r);
        r.ubits(5);
        if (r.flag()) rule = Qt::WindingFill;
        def.usesNonScalingStrokes = r.flag();
        def.usesScalingStrokes = r.flag();
    }
    bool ok = true;
    auto fills = readFillStyles(r, version, ok);
    auto lines = readLineStyles(r, version, ok);
    if (!ok) {
        error = "bad styles in a shape";
        return std::nullopt;
    }
    PathAssembler assembler(1.0 / kTwipsPerPixel, rule);
    assembler.beginGroup(std::move(fills), std::move(lines));
    if (!readShapeRecords(r, version, false, assembler, error)) return std::nullopt;
    def.geometry = assembler.finish();
    return def;
}

std::optional<ShapeGeometry> parseGlyphShape(Reader& r, std::string& error) {
    PathAssembler assembler(1.0);
    FillStyle ink;
    assembler.beginGroup({ink}, {});
    if (!readShapeRecords(r, 1, true, assembler, error)) return std::nullopt;
    return assembler.finish();
}

} // namespace zimo::swf
