// Pictures that are to be shown turned: a phone films upright with its camera on its side
// and says so in the container, with a display matrix on the video stream. Each decoded
// frame carries the matrix with it, and the picture is turned as it is converted.
#pragma once

#include "media/picture_target.h"

#include <QSize>

struct AVFrame;
struct AVStream;

namespace zimo::media {

// The quarter turns clockwise (0..3) a frame is shown turned by: its display matrix's
// rotation to the nearest quarter. A mirroring in the matrix is not followed.
int frameQuarterTurns(const AVFrame& frame);
// The same for a stream, from the matrix in its side data.
int streamQuarterTurns(const AVStream& stream);
// Gives the frame the stream's display matrix, unless the decoder gave it one of its own.
void carryStreamTurn(const AVStream& stream, AVFrame& frame);

// A size as shown after `quarterTurns`.
inline QSize shownSize(QSize size, int quarterTurns) {
    return quarterTurns % 2 ? size.transposed() : size;
}

// What a frame shown turned by `frameTurns` is converted with, for a picture the owner
// wants made for `wanted`: the frame's own turn comes first, then the placement's.
PictureTarget withFrameTurn(const PictureTarget& wanted, int frameTurns, QSize frameSize);

} // namespace zimo::media
