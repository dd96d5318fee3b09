// A fingerprint of what the stage shows: the items in drawing order with their
// placements, colour transforms, masks, visibility, text and pictures, and the mapping of
// the stage onto the view. Two equal fingerprints paint the same image, so the control
// repaints only when the fingerprint moves, and only where: the stage's look is kept
// item by item on the root, each with the area of the view it may paint, and a change
// repaints the areas of the items that changed (a new picture: the picture's rectangle,
// with whatever lies over it there). Walking the list costs far less than a paint.
#pragma once

#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

namespace zimo::stage {
class Stage;
}

namespace zimo {

struct StageLook {
    // The movie, the mapping onto the view, its size, and which items lie on the root in
    // which order: when it moves, the whole view changes.
    std::uint64_t frame = 0;
    struct Part {
        std::uint64_t look = 0;
        QRect area; // in view pixels, empty while the item shows nothing
    };
    std::vector<Part> parts; // the root's items, bottom first
};

StageLook stageLook(const stage::Stage& stage);
std::uint64_t stageSignature(const stage::Stage& stage);

// Where `view` must be painted again to go from showing `before` to showing `after`.
QRegion changedArea(const StageLook& before, const StageLook& after, const QRect& view);

} // namespace zimo
