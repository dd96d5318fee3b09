// Halving a picture's plane both ways, each new pixel the rounded mean of the 2 x 2
// pixels it covers. A picture that shrinks to half its size or less is halved first:
// this costs a fraction of what the scaler's filter costs over the same span, since the
// filter widens with the step to take in every pixel, and the scaler is left a step under
// two, where its filter is short.
#pragma once

#include <cstdint>

namespace zimo::media {

// Writes width / 2 x height / 2 pixels at dst; width and height are even.
void halvePlane(const std::uint8_t* src, int srcStride, int width, int height, std::uint8_t* dst,
                int dstStride);

} // namespace zimo::media
