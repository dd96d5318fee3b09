#include "swf_records.h"

#include <algorithm>

namespace zimo::movie {

void writeRgb(SwfWriter& w, Rgba c) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
}

void writeRgba(SwfWriter& w, Rgba c) {
    writeRgb(w, c);
    w.u8(c.a);
}

void writeMatrix(SwfWriter& w, const Matrix& m) {
    w.flushBits();
    w.ubits(m.hasScale() ? 1 : 0, 1);
    if (m.hasScale()) {
        const int n = std::max(signedBitsFor(m.scaleX), signedBitsFor(m.scaleY));
        w.ubits(n, 5);
        w.sbits(m.scaleX, n);
        w.sbits(m.scaleY, n);
    }
    w.ubits(m.hasRotate() ? 1 : 0, 1);
    if (m.hasRotate()) {
        const int n = std::max(signedBitsFor(m.rotateSkew0), signedBitsFor(m.rotateSkew1));
        w.ubits(n, 5);
        w.sbits(m.rotateSkew0, n);
        w.sbits(m.rotateSkew1, n);
    }
    const int n = (m.translateX == 0 && m.translateY == 0)
                      ? 0
                      : std::max(signedBitsFor(m.translateX), signedBitsFor(m.translateY));
    w.ubits(n, 5);
    if (n > 0) {
        w.sbits(m.translateX, n);
        w.sbits(m.translateY, n);
    }
    w.flushBits();
}

void writeColorTransform(SwfWriter& w, const ColorTransform& c) {
    w.flushBits();
    const bool hasAdd = c.hasAdd(), hasMult = c.hasMult();
    int n = 1;
    for (int i = 0; i < 4; ++i) {
        if (hasMult) n = std::max(n, signedBitsFor(c.mult[i]));
        if (hasAdd) n = std::max(n, signedBitsFor(c.add[i]));
    }
    if (!hasAdd && !hasMult) n = 0;
    w.ubits(hasAdd ? 1 : 0, 1);
    w.ubits(hasMult ? 1 : 0, 1);
    w.ubits(n, 4);
    if (hasMult)
        for (auto v : c.mult)
            w.sbits(v, n);
    if (hasAdd)
        for (auto v : c.add)
            w.sbits(v, n);
    w.flushBits();
}

} // namespace zimo::movie
