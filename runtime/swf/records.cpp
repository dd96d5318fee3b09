#include "swf/records.h"

namespace zimo::swf {

QRectF readRect(Reader& r) {
    r.align();
    const int n = static_cast<int>(r.ubits(5));
    const double xMin = r.sbits(n), xMax = r.sbits(n), yMin = r.sbits(n), yMax = r.sbits(n);
    r.align();
    return QRectF(QPointF(xMin, yMin) / kTwipsPerPixel, QPointF(xMax, yMax) / kTwipsPerPixel);
}

Matrix readMatrix(Reader& r) {
    r.align();
    Matrix m;
    if (r.flag()) {
        const int n = static_cast<int>(r.ubits(5));
        m.a = r.fbits(n);
        m.d = r.fbits(n);
    }
    if (r.flag()) {
        const int n = static_cast<int>(r.ubits(5));
        m.b = r.fbits(n);
        m.c = r.fbits(n);
    }
    const int n = static_cast<int>(r.ubits(5));
    m.tx = r.sbits(n) / kTwipsPerPixel;
    m.ty = r.sbits(n) / kTwipsPerPixel;
    r.align();
    return m;
}

ColorTransform readColorTransform(Reader& r, bool withAlpha) {
    r.align();
    ColorTransform t;
    const bool hasAdd = r.flag();
    const bool hasMult = r.flag();
    const int n = static_cast<int>(r.ubits(4));
    if (hasMult) {
        t.rm = r.sbits(n) / 256.0;
        t.gm = r.sbits(n) / 256.0;
        t.bm = r.sbits(n) / 256.0;
        if (withAlpha) t.am = r.sbits(n) / 256.0;
    }
    if (hasAdd) {
        t.ra = r.sbits(n);
        t.ga = r.sbits(n);
        t.ba = r.sbits(n);
        if (withAlpha) t.aa = r.sbits(n);
    }
    r.align();
    return t;
}

Rgba readRgb(Reader& r) {
    Rgba c;
    c.r = r.u8();
    c.g = r.u8();
    c.b = r.u8();
    return c;
}

Rgba readRgba(Reader& r) {
    Rgba c = readRgb(r);
    c.a = r.u8();
    return c;
}

} // namespace zimo::swf
