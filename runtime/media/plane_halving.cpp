#include "media/plane_halving.h"

#include <cstddef>
#include <cstring>

namespace zimo::media {

void halvePlane(const std::uint8_t* src, int srcStride, int width, int height, std::uint8_t* dst,
                int dstStride) {
    const int pairs = width / 2;
    for (int y = 0; y < height / 2; ++y) {
        const std::uint8_t* top = src + static_cast<std::ptrdiff_t>(srcStride) * (2 * y);
        const std::uint8_t* bottom = top + srcStride;
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(dstStride) * y;
        // Each pair is read as one 16-bit word and its bytes added, which the compiler
        // turns into vector code; the sum does not depend on the byte order.
        for (int x = 0; x < pairs; ++x) {
            std::uint16_t a;
            std::uint16_t b;
            std::memcpy(&a, top + 2 * x, sizeof a);
            std::memcpy(&b, bottom + 2 * x, sizeof b);
            out[x] =
                static_cast<std::uint8_t>(((a & 0xff) + (a >> 8) + (b & 0xff) + (b >> 8) + 2) >> 2);
        }
    }
}

} // namespace zimo::media
