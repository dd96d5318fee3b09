// Timelines: the frames of the root movie and of each sprite, with their control tags
// (placements, removals, actions) in file order.
#pragma once

#include "swf/reader.h"
#include "swf/types.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zimo::swf {

// Clip event bits, the first record byte in the low byte.
enum ClipEvent : std::uint32_t {
    kClipLoad = 0x00000001,
    kClipEnterFrame = 0x00000002,
    kClipUnload = 0x00000004,
    kClipMouseMove = 0x00000008,
    kClipMouseDown = 0x00000010,
    kClipMouseUp = 0x00000020,
    kClipKeyDown = 0x00000040,
    kClipKeyUp = 0x00000080,
    kClipData = 0x00000100,
    kClipInitialize = 0x00000200,
    kClipPress = 0x00000400,
    kClipRelease = 0x00000800,
    kClipReleaseOutside = 0x00001000,
    kClipRollOver = 0x00002000,
    kClipRollOut = 0x00004000,
    kClipDragOver = 0x00008000,
    kClipDragOut = 0x00010000,
    kClipKeyPress = 0x00020000,
    kClipConstruct = 0x00040000,
};

struct ClipAction {
    std::uint32_t events = 0; // ClipEvent bits
    std::uint8_t keyCode = 0;
    std::vector<std::uint8_t> actions;
};

struct PlaceObject {
    int version = 2; // PlaceObject 1..3
    std::uint16_t depth = 0;
    bool move = false; // modifies the item at the depth rather than placing a new one
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<QString> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<bool> visible;
    std::optional<std::uint8_t> blendMode;
    std::vector<ClipAction> clipActions;
};

struct RemoveObject {
    std::uint16_t depth = 0;
    std::optional<std::uint16_t> characterId;
};

struct DoAction {
    std::vector<std::uint8_t> actions;
};

struct DoInitAction {
    std::uint16_t spriteId = 0;
    std::vector<std::uint8_t> actions;
};

using ControlTag = std::variant<PlaceObject, RemoveObject, DoAction, DoInitAction>;

struct Frame {
    std::vector<ControlTag> tags; // in file order
    QString label;
};

struct Timeline {
    std::uint16_t declaredFrameCount = 1;
    std::vector<Frame> frames; // one per ShowFrame

    // Frames the timeline reports: the declared count, at least 1.
    int totalFrames() const { return declaredFrameCount > 0 ? declaredFrameCount : 1; }
    // Frames present in the file.
    int framesLoaded() const { return static_cast<int>(frames.size()); }
    // The frame's tags; an empty frame for one the file does not hold. 1-based.
    const Frame& frame(int number) const;
    // 1-based frame number of a label (case-insensitive), or 0.
    int frameOfLabel(const QString& label) const;
};

std::optional<PlaceObject> parsePlaceObject(Reader& r, int placeVersion, int swfVersion,
                                            std::string& error);
std::optional<RemoveObject> parseRemoveObject(Reader& r, int removeVersion);

} // namespace zimo::swf
