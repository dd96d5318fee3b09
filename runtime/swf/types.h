// Value types shared by the movie definition and the display list.
#pragma once

#include <QColor>
#include <QRectF>
#include <QTransform>

#include <algorithm>
#include <cstdint>

namespace zimo::swf {

// One pixel is twenty of the movie's units (twips).
inline constexpr double kTwipsPerPixel = 20.0;

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
    QColor toQColor() const { return QColor(r, g, b, a); }
};

// An affine placement: x' = a·x + c·y + tx, y' = b·x + d·y + ty, translation in pixels.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const Matrix&) const = default;
    QTransform toQTransform() const { return QTransform(a, b, c, d, tx, ty); }
    static Matrix fromQTransform(const QTransform& t) {
        return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    }
};

// Maps each channel value v to v·mult + add, clamped to 0..255 when applied. The
// multipliers are factors (a stored 256 is 1.0); the adds are in channel units.
struct ColorTransform {
    double rm = 1, gm = 1, bm = 1, am = 1;
    double ra = 0, ga = 0, ba = 0, aa = 0;
    bool operator==(const ColorTransform&) const = default;

    bool isIdentity() const { return *this == ColorTransform{}; }

    // This transform applied after `inner`.
    ColorTransform after(const ColorTransform& inner) const {
        ColorTransform t;
        t.rm = rm * inner.rm;
        t.gm = gm * inner.gm;
        t.bm = bm * inner.bm;
        t.am = am * inner.am;
        t.ra = inner.ra * rm + ra;
        t.ga = inner.ga * gm + ga;
        t.ba = inner.ba * bm + ba;
        t.aa = inner.aa * am + aa;
        return t;
    }

    Rgba apply(Rgba c) const {
        auto ch = [](double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); };
        return {ch(c.r * rm + ra), ch(c.g * gm + ga), ch(c.b * bm + ba), ch(c.a * am + aa)};
    }
    QColor applyTo(Rgba c) const { return apply(c).toQColor(); }

    // True when nothing drawn through this transform can be seen.
    bool hidesEverything() const { return am <= 0 && aa <= 0; }
};

} // namespace zimo::swf
