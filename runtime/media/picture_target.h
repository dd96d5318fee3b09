// What a picture is converted for: the size in device pixels it takes on the screen and
// the turn (quarter turns clockwise, after an optional mirroring across the vertical
// axis) that brings the decoded picture into that place. A null size means the
// picture's own size, unturned: for surfaces whose placement is not a plain scale and
// quarter turn, which the painter stretches as it draws.
#pragma once

#include <QSize>

namespace zimo::media {

struct PictureTarget {
    QSize size;
    int quarterTurns = 0; // 0..3, clockwise on the screen
    bool mirrored = false;
    bool smooth = true; // scaled with a smoothing filter, else by nearest pixels

    bool natural() const { return size.isEmpty(); }
    // The size the picture is scaled to before it is turned.
    QSize unturnedSize() const { return quarterTurns % 2 ? size.transposed() : size; }
    friend bool operator==(const PictureTarget&, const PictureTarget&) = default;
};

} // namespace zimo::media
