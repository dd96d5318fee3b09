// Video surfaces (DefineVideoStream): a declared size and flags, pictures come at run time.
#pragma once

#include "swf/reader.h"

#include <cstdint>

namespace zimo::swf {

struct VideoDef {
    std::uint16_t id = 0;
    std::uint16_t frameCount = 0;
    std::uint16_t width = 0, height = 0; // pixels
    std::uint8_t deblocking = 0;
    bool smoothing = false;
    std::uint8_t codec = 0;
};

inline VideoDef parseDefineVideoStream(Reader& r) {
    VideoDef v;
    v.id = r.u16();
    v.frameCount = r.u16();
    v.width = r.u16();
    v.height = r.u16();
    r.ubits(4);
    v.deblocking = static_cast<std::uint8_t>(r.ubits(3));
    v.smoothing = r.flag();
    v.codec = r.u8();
    return v;
}

} // namespace zimo::swf
