#include "media/picture_turn.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/frame.h>
}

#include <cmath>
#include <cstring>

namespace zimo::media {

namespace {

constexpr std::size_t kMatrixBytes = 9 * sizeof(std::int32_t);

int quarterTurnsOf(const std::uint8_t* matrix, std::size_t size) {
    if (!matrix || size < kMatrixBytes) return 0;
    std::int32_t m[9];
    std::memcpy(m, matrix, kMatrixBytes);
    const double counterclockwise = av_display_rotation_get(m);
    if (!std::isfinite(counterclockwise)) return 0;
    const long turns = std::lround(-counterclockwise / 90.0) % 4;
    return static_cast<int>(turns < 0 ? turns + 4 : turns);
}

const std::uint8_t* streamMatrix(const AVStream& stream, std::size_t& size) {
    size = 0;
    return av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
}

} // namespace

int frameQuarterTurns(const AVFrame& frame) {
    const AVFrameSideData* sd = av_frame_get_side_data(&frame, AV_FRAME_DATA_DISPLAYMATRIX);
    return sd ? quarterTurnsOf(sd->data, sd->size) : 0;
}

int streamQuarterTurns(const AVStream& stream) {
    std::size_t size = 0;
    const std::uint8_t* matrix = streamMatrix(stream, size);
    return quarterTurnsOf(matrix, size);
}

void carryStreamTurn(const AVStream& stream, AVFrame& frame) {
    if (av_frame_get_side_data(&frame, AV_FRAME_DATA_DISPLAYMATRIX)) return;
    std::size_t size = 0;
    const std::uint8_t* matrix = streamMatrix(stream, size);
    if (!matrix || size < kMatrixBytes) return;
    if (AVFrameSideData* sd =
            av_frame_new_side_data(&frame, AV_FRAME_DATA_DISPLAYMATRIX, kMatrixBytes))
        std::memcpy(sd->data, matrix, kMatrixBytes);
}

PictureTarget withFrameTurn(const PictureTarget& wanted, int frameTurns, QSize frameSize) {
    if (frameTurns % 4 == 0) return wanted;
    PictureTarget out = wanted;
    if (wanted.natural()) {
        // The picture's own size, as shown.
        out.size = shownSize(frameSize, frameTurns);
        out.quarterTurns = frameTurns % 4;
        out.mirrored = false;
        return out;
    }
    // Mirroring after a turn is mirroring before the opposite turn.
    const int turns =
        wanted.mirrored ? wanted.quarterTurns - frameTurns : wanted.quarterTurns + frameTurns;
    out.quarterTurns = ((turns % 4) + 4) % 4;
    return out;
}

} // namespace zimo::media
