#include "swf/tag_stream.h"

namespace zimo::swf {

std::optional<TagHeader> nextTag(Reader& r, std::string& error) {
    if (r.atEnd()) return std::nullopt;
    TagHeader t;
    t.offset = r.pos();
    const auto codeAndLength = r.u16();
    std::size_t length = codeAndLength & 0x3f;
    t.code = codeAndLength >> 6;
    if (length == 0x3f) length = r.u32();
    if (!r.ok()) {
        error = "truncated tag header";
        return std::nullopt;
    }
    if (length > r.remaining()) {
        error = "tag " + std::to_string(t.code) + " at offset " + std::to_string(t.offset) +
                " is longer than the data left";
        return std::nullopt;
    }
    t.body = r.bytes(length);
    return t;
}

} // namespace zimo::swf
