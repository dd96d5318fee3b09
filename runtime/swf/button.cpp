#include "swf/button.h"

#include "swf/records.h"

namespace zimo::swf {

bool skipFilterList(Reader& r) {
    const int count = r.u8();
    for (int i = 0; i < count && r.ok(); ++i) {
        const auto id = r.u8();
        switch (id) {
        case 0:
            r.skip(23);
            break; // drop shadow
        case 1:
            r.skip(9);
            break; // blur
        case 2:
            r.skip(15);
            break; // glow
        case 3:
            r.skip(27);
            break; // bevel
        case 4:    // gradient glow
        case 7: {  // gradient bevel
            const std::size_t colours = r.u8();
            r.skip(colours * 5 + 19);
            break;
        }
        case 5: { // convolution
            const std::size_t x = r.u8(), y = r.u8();
            r.skip(8 + 4 * x * y + 4 + 1);
            break;
        }
        case 6:
            r.skip(80);
            break; // colour matrix
        default:
            return false;
        }
    }
    return r.ok();
}

std::optional<ButtonDef> parseDefineButton(Reader& r, int buttonVersion, std::string& error) {
    ButtonDef b;
    b.version = buttonVersion;
    b.id = r.u16();
    std::size_t actionStart = 0;
    if (buttonVersion >= 2) {
        b.trackAsMenu = r.u8() & 0x01;
        const std::size_t at = r.pos();
        const std::size_t offset = r.u16();
        actionStart = offset == 0 ? 0 : at + offset;
    }
    while (r.ok()) {
        const auto flags = r.u8();
        if (flags == 0) break;
        ButtonRecord rec;
        rec.states = flags & 0x0f;
        rec.characterId = r.u16();
        rec.depth = r.u16();
        rec.matrix = readMatrix(r);
        if (buttonVersion >= 2) {
            rec.colorTransform = readColorTransform(r, true);
            if ((flags & 0x10) && !skipFilterList(r)) {
                error = "bad filter list in a button";
                return std::nullopt;
            }
            if (flags & 0x20) r.u8(); // blend mode
        }
        if (r.ok()) b.records.push_back(rec);
    }
    if (!r.ok()) {
        error = "button records run past the end of the tag";
        return std::nullopt;
    }
    if (buttonVersion < 2) {
        const auto rest = r.rest();
        b.actions.push_back({kCondOverDownToOverUp, {rest.begin(), rest.end()}});
        return b;
    }
    if (actionStart == 0) return b;
    if (actionStart < r.pos()) {
        error = "button actions overlap its records";
        return std::nullopt;
    }
    r.skip(actionStart - r.pos());
    while (r.ok() && !r.atEnd()) {
        const std::size_t size = r.u16();
        const std::uint16_t conditions = r.u16();
        std::span<const std::uint8_t> actions;
        if (size == 0) {
            actions = r.rest();
        } else if (size >= 4) {
            actions = r.bytes(size - 4);
        } else {
            error = "bad button action size";
            return std::nullopt;
        }
        if (!r.ok()) break;
        b.actions.push_back({conditions, {actions.begin(), actions.end()}});
        if (size == 0) break;
    }
    if (!r.ok()) {
        error = "button actions run past the end of the tag";
        return std::nullopt;
    }
    return b;
}

} // namespace zimo::swf
