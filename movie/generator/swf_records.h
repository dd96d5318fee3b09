// SWF records shared by many tags: colours, transformation matrices, colour transforms, and
// the conversions from pixels and scale factors to their stored forms.
#pragma once

#include "swf_writer.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace zimo::movie {

// Pixels to twips (1/20 px), rounded to the nearest twip.
inline std::int32_t twips(double pixels) {
    return static_cast<std::int32_t>(std::lround(pixels * 20.0));
}

// A factor as 16.16 fixed point, rounded to the nearest step.
inline std::int32_t fixed16(double factor) {
    return static_cast<std::int32_t>(std::lround(factor * 65536.0));
}

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// #RRGGBB, opaque.
constexpr Rgba rgb(std::uint32_t hex) {
    return {static_cast<std::uint8_t>(hex >> 16), static_cast<std::uint8_t>(hex >> 8),
            static_cast<std::uint8_t>(hex), 255};
}

void writeRgb(SwfWriter& w, Rgba c);
void writeRgba(SwfWriter& w, Rgba c);

// MATRIX: scales and skews in 16.16, translation in twips.
struct Matrix {
    std::int32_t scaleX = 65536, scaleY = 65536;
    std::int32_t rotateSkew0 = 0, rotateSkew1 = 0;
    std::int32_t translateX = 0, translateY = 0;

    static Matrix at(double xPx, double yPx) {
        return {65536, 65536, 0, 0, twips(xPx), twips(yPx)};
    }
    static Matrix scaled(double xPx, double yPx, double sx, double sy) {
        return {fixed16(sx), fixed16(sy), 0, 0, twips(xPx), twips(yPx)};
    }
    bool hasScale() const { return scaleX != 65536 || scaleY != 65536; }
    bool hasRotate() const { return rotateSkew0 != 0 || rotateSkew1 != 0; }
    bool operator==(const Matrix&) const = default;
};

void writeMatrix(SwfWriter& w, const Matrix& m);

// Colour transform: every channel c becomes c * mult / 256 + add (red, green, blue, alpha).
struct ColorTransform {
    std::array<std::int16_t, 4> mult{256, 256, 256, 256};
    std::array<std::int16_t, 4> add{0, 0, 0, 0};

    // RGB * m / 256 + a; alpha unchanged.
    static ColorTransform rgb(std::int16_t m, std::int16_t a) {
        return {{m, m, m, 256}, {a, a, a, 0}};
    }
    // Alpha * m / 256; colours unchanged.
    static ColorTransform alpha(std::int16_t m) { return {{256, 256, 256, m}, {0, 0, 0, 0}}; }

    bool hasMult() const { return mult != std::array<std::int16_t, 4>{256, 256, 256, 256}; }
    bool hasAdd() const { return add != std::array<std::int16_t, 4>{0, 0, 0, 0}; }
    bool operator==(const ColorTransform&) const = default;
};

// CXFORMWITHALPHA.
void writeColorTransform(SwfWriter& w, const ColorTransform& c);

struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool operator==(const Rect&) const = default;
};

inline void writeRect(SwfWriter& w, const Rect& r) {
    w.rect(r.xMin, r.xMax, r.yMin, r.yMax);
}

} // namespace zimo::movie
