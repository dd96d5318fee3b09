// A fingerprint of what the stage shows: the items in drawing order with their
// placements, colour transforms, masks, visibility, text and pictures, and the mapping of
// the stage onto the view. Two equal fingerprints paint the same image, so the control
// repaints only when the fingerprint moves. Walking the list costs far less than a paint.
#pragma once

#include <cstdint>

namespace zimo::player {
class Player;
}

namespace zimo {

std::uint64_t stageSignature(const player::Player& player);

} // namespace zimo
