#include "movie_builder.h"

namespace zimo::movie {

namespace {

constexpr int kTwips = 20;
constexpr int kStageWidth = 480;
constexpr int kStageHeight = 360;
constexpr std::uint16_t kFrameRate = 0x1e00; // 30 frames a second, 8.8 fixed point
constexpr std::uint16_t kFrameCount = 6;

enum TagCode {
    kEnd = 0,
    kShowFrame = 1,
    kSetBackgroundColor = 9,
    kFileAttributes = 69,
};

} // namespace

Bytes buildMovieBody() {
    SwfWriter w;
    w.rect(0, kStageWidth * kTwips, 0, kStageHeight * kTwips);
    w.u16(kFrameRate);
    w.u16(kFrameCount);

    // Every attribute flag clear: the older action model and local file access.
    w.bytes(tag(kFileAttributes, Bytes{0, 0, 0, 0}));
    w.bytes(tag(kSetBackgroundColor, Bytes{0, 0, 0}));
    for (int frame = 0; frame < kFrameCount; ++frame) w.bytes(tag(kShowFrame, {}));
    w.bytes(tag(kEnd, {}));
    return w.data();
}

} // namespace zimo::movie
