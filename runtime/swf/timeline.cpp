#include "swf/timeline.h"

#include "swf/button.h"
#include "swf/records.h"
#include "swf/strings.h"

namespace zimo::swf {

const Frame& Timeline::frame(int number) const {
    static const Frame empty;
    if (number < 1 || number > static_cast<int>(frames.size())) return empty;
    return frames[static_cast<std::size_t>(number - 1)];
}

int Timeline::frameOfLabel(const QString& label) const {
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (!frames[i].label.isEmpty() && frames[i].label.compare(label, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i) + 1;
    return 0;
}

namespace {

bool readClipActions(Reader& r, int swfVersion, std::vector<ClipAction>& out) {
    r.u16(); // reserved
    auto events = [&] { return swfVersion >= 6 ? r.u32() : std::uint32_t{r.u16()}; };
    events(); // all events
    while (r.ok()) {
        ClipAction a;
        a.events = events();
        if (a.events == 0) return r.ok();
        std::size_t size = r.u32();
        if (a.events & kClipKeyPress) {
            if (size < 1) return false;
            a.keyCode = r.u8();
            --size;
        }
        const auto bytes = r.bytes(size);
        if (!r.ok()) return false;
        a.actions.assign(bytes.begin(), bytes.end());
        out.push_back(std::move(a));
    }
    return false;
}

} // namespace

std::optional<PlaceObject> parsePlaceObject(Reader& r, int placeVersion, int swfVersion,
                                            std::string& error) {
    PlaceObject p;
    p.version = placeVersion;
    if (placeVersion == 1) {
        p.characterId = r.u16();
        p.depth = r.u16();
        p.matrix = readMatrix(r);
        if (!r.atEnd()) p.colorTransform = readColorTransform(r, false);
        if (!r.ok()) {
            error = "placement runs past the end of the tag";
            return std::nullopt;
        }
        return p;
    }
    const auto f1 = r.u8();
    const auto f2 = placeVersion >= 3 ? r.u8() : 0;
    p.move = f1 & 0x01;
    p.depth = r.u16();
    const bool hasClassName = (f2 & 0x08) || ((f2 & 0x10) && (f1 & 0x02));
    if (hasClassName) r.cstring();
    if (f1 & 0x02) p.characterId = r.u16();
    if (f1 & 0x04) p.matrix = readMatrix(r);
    if (f1 & 0x08) p.colorTransform = readColorTransform(r, true);
    if (f1 & 0x10) p.ratio = r.u16();
    if (f1 & 0x20) p.name = decodeString(r.cstring(), swfVersion);
    if (f1 & 0x40) p.clipDepth = r.u16();
    if (placeVersion >= 3) {
        if ((f2 & 0x01) && !skipFilterList(r)) {
            error = "bad filter list in a placement";
            return std::nullopt;
        }
        if (f2 & 0x02) p.blendMode = r.u8();
        if (f2 & 0x04) r.u8(); // bitmap caching
        if (f2 & 0x20) {
            p.visible = r.u8() != 0;
            r.u32(); // background colour
        }
    }
    if ((f1 & 0x80) && !readClipActions(r, swfVersion, p.clipActions)) {
        error = "bad clip actions";
        return std::nullopt;
    }
    if (!r.ok()) {
        error = "placement runs past the end of the tag";
        return std::nullopt;
    }
    return p;
}

std::optional<RemoveObject> parseRemoveObject(Reader& r, int removeVersion) {
    RemoveObject x;
    if (removeVersion == 1) x.characterId = r.u16();
    x.depth = r.u16();
    if (!r.ok()) return std::nullopt;
    return x;
}

} // namespace zimo::swf
