#include "characters.h"

#include "swf/tag_codes.h"

namespace zimo::movie {

Bytes defineVideoStream(std::uint16_t id, const VideoStream& v) {
    SwfWriter w;
    w.u16(id);
    w.u16(v.frames);
    w.u16(v.width);
    w.u16(v.height);
    w.ubits(0, 4);
    w.ubits(v.deblocking, 3);
    w.ubits(v.smoothing ? 1 : 0, 1);
    w.u8(v.codec);
    return tag(swf::kTagDefineVideoStream, w.data());
}

Bytes defineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records) {
    SwfWriter w;
    w.u16(id);
    w.u8(0);  // not tracked as a menu
    w.u16(0); // no actions follow
    for (const auto& r : records) {
        w.ubits(0, 2); // reserved
        w.ubits(0, 1); // no blend mode
        w.ubits(0, 1); // no filters
        w.ubits(r.hitTest, 1);
        w.ubits(r.down, 1);
        w.ubits(r.over, 1);
        w.ubits(r.up, 1);
        w.u16(r.character);
        w.u16(r.depth);
        writeMatrix(w, r.matrix);
        writeColorTransform(w, r.color);
    }
    w.u8(0); // end of the records
    return tag(swf::kTagDefineButton2, w.data());
}

} // namespace zimo::movie
