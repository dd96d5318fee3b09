#include "timeline.h"

#include "swf/tag_codes.h"

#include <stdexcept>

namespace zimo::movie {

Bytes placeObject2(const Placement& p) {
    SwfWriter w;
    std::uint8_t flags = 0x02 | 0x04; // a character, with a matrix
    if (p.color) flags |= 0x08;
    if (!p.name.empty()) flags |= 0x20;
    if (p.clipDepth) flags |= 0x40;
    w.u8(flags);
    w.u16(p.depth);
    w.u16(p.character);
    writeMatrix(w, p.matrix);
    if (p.color) writeColorTransform(w, *p.color);
    if (!p.name.empty()) w.string(p.name);
    if (p.clipDepth) w.u16(p.clipDepth);
    return tag(swf::kTagPlaceObject2, w.data());
}

void Timeline::label(const std::string& name) {
    SwfWriter w;
    w.string(name);
    append(tag(swf::kTagFrameLabel, w.data()));
}

void Timeline::remove(std::uint16_t depth) {
    SwfWriter w;
    w.u16(depth);
    append(tag(swf::kTagRemoveObject2, w.data()));
}

void Timeline::actions(const Bytes& records) {
    if (records.empty()) return;
    Bytes body = records;
    if (body.back() != 0x00) body.push_back(0x00); // ActionEnd
    append(tag(swf::kTagDoAction, body));
}

void Timeline::showFrame() {
    append(tag(swf::kTagShowFrame, {}));
    ++frames_;
}

void Timeline::append(const Bytes& tagBytes) {
    tags_.insert(tags_.end(), tagBytes.begin(), tagBytes.end());
}

Bytes Timeline::controlTags() const {
    Bytes all = tags_;
    const Bytes end = tag(swf::kTagEnd, {});
    all.insert(all.end(), end.begin(), end.end());
    return all;
}

Bytes defineSprite(std::uint16_t id, const Timeline& timeline) {
    SwfWriter w;
    w.u16(id);
    w.u16(static_cast<std::uint16_t>(timeline.frameCount()));
    w.bytes(timeline.controlTags());
    return tag(swf::kTagDefineSprite, w.data());
}

std::uint16_t Library::define(const std::function<Bytes(std::uint16_t)>& makeTag) {
    if (next_ == 0xffff) throw std::length_error("too many characters");
    const std::uint16_t id = next_++;
    const Bytes t = makeTag(id);
    tags_.insert(tags_.end(), t.begin(), t.end());
    return id;
}

} // namespace zimo::movie
