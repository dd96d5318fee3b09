// Characters other than shapes, sprites and text: the video surface and the button.
#pragma once

#include "swf_records.h"

#include <vector>

namespace zimo::movie {

struct VideoStream {
    std::uint16_t frames = 0;
    std::uint16_t width = 0, height = 0;
    std::uint8_t deblocking = 0; // 0: as each video packet says
    bool smoothing = false;
    std::uint8_t codec = 0; // 0: none of its own
};

Bytes defineVideoStream(std::uint16_t id, const VideoStream& v);

// One character of a button, shown in the states whose flags are set.
struct ButtonRecord {
    bool up = true, over = true, down = true, hitTest = false;
    std::uint16_t character = 0;
    std::uint16_t depth = 1;
    Matrix matrix;
    ColorTransform color;
};

// A DefineButton2 without actions.
Bytes defineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records);

} // namespace zimo::movie
