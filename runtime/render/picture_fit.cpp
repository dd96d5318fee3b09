#include "render/picture_fit.h"

#include <cmath>

namespace zimo::render {

namespace {

bool zero(double v) {
    return std::abs(v) < 1e-9;
}

} // namespace

std::optional<PictureFit> fitPicture(const QRectF& content, const QTransform& toDevice,
                                     bool smooth) {
    if (content.isEmpty() || toDevice.type() == QTransform::TxProject) return std::nullopt;
    // x' = m11 x + m21 y, y' = m12 x + m22 y: the axes stay axes, or swap.
    const double a = toDevice.m11(), b = toDevice.m12(), c = toDevice.m21(), d = toDevice.m22();
    media::PictureTarget target;
    target.smooth = smooth;
    if (zero(b) && zero(c) && !zero(a) && !zero(d)) {
        // Upright (a, d > 0), upside down (a, d < 0), or mirrored one way.
        if (a > 0 && d > 0)
            target.quarterTurns = 0;
        else if (a < 0 && d < 0)
            target.quarterTurns = 2;
        else {
            target.mirrored = true;
            target.quarterTurns = a < 0 ? 0 : 2;
        }
    } else if (zero(a) && zero(d) && !zero(b) && !zero(c)) {
        // A quarter turn one way (b > 0, c < 0) or the other, or a mirrored one.
        if (b > 0 && c < 0)
            target.quarterTurns = 1;
        else if (b < 0 && c > 0)
            target.quarterTurns = 3;
        else {
            target.mirrored = true;
            target.quarterTurns = b < 0 ? 1 : 3;
        }
    } else {
        return std::nullopt;
    }
    const QRectF area = toDevice.mapRect(content);
    if (!std::isfinite(area.left()) || !std::isfinite(area.right()) || !std::isfinite(area.top()) ||
        !std::isfinite(area.bottom()) || std::abs(area.left()) > 1e6 ||
        std::abs(area.right()) > 1e6 || std::abs(area.top()) > 1e6 || std::abs(area.bottom()) > 1e6)
        return std::nullopt;
    const int left = static_cast<int>(std::lround(area.left()));
    const int top = static_cast<int>(std::lround(area.top()));
    const int right = static_cast<int>(std::lround(area.right()));
    const int bottom = static_cast<int>(std::lround(area.bottom()));
    PictureFit fit;
    fit.rect = QRect(left, top, right - left, bottom - top);
    target.size = fit.rect.size();
    fit.target = target;
    return fit;
}

} // namespace zimo::render
