// The generated movie, read back once for all the tests, and lookups of its items by path.
#pragma once

#include "swf_reader.h"

#include <string>

namespace movietest {

const Movie& generatedMovie();
const std::map<std::uint16_t, Tag>& characters();

struct Item {
    Place place;
    Tag character;
};

// An item by its path of instance names from the root ("controlpanel.timer"), as placed on
// the first frame that places it. Throws when there is none.
Item findItem(const std::string& path);

// The control tags of a sprite item.
std::vector<Tag> childTags(const Item& item);

// All placements of a sprite item's first frame.
std::vector<Place> placementsIn(const Item& item);

// The shape drawn by an item holding a single shape at depth 1.
ShapeInfo shapeOf(const Item& item);

inline double px(int twips) {
    return twips / 20.0;
}

} // namespace movietest
