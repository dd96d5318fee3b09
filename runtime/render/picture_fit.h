// Where a video surface's picture lands on the device. When the surface's placement is a
// scale and a quarter turn (mirrored or not), the picture can be made for exactly that
// rectangle and drawn pixel for pixel; other placements (a skew, a free angle) are left
// to the painter, which stretches the picture as it draws.
#pragma once

#include "media/picture_target.h"

#include <QRect>
#include <QTransform>

#include <optional>

namespace zimo::render {

struct PictureFit {
    QRect rect; // on the device, whole pixels
    media::PictureTarget target;
};

// `content` is the surface's box in its own units, `toDevice` maps them to device pixels.
std::optional<PictureFit> fitPicture(const QRectF& content, const QTransform& toDevice,
                                     bool smooth);

} // namespace zimo::render
