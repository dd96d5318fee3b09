#include "movie_fixture.h"

#include "movie_builder.h"

#include <sstream>

namespace movietest {

const Movie& generatedMovie() {
    static const Movie movie = readMovie(zimo::movie::buildMovie());
    return movie;
}

const std::map<std::uint16_t, Tag>& characters() {
    static const auto dict = dictionary(generatedMovie().tags);
    return dict;
}

std::vector<Tag> childTags(const Item& item) {
    if (item.character.code != 39) throw ReadError("not a sprite");
    return spriteTags(item.character.body);
}

std::vector<Place> placementsIn(const Item& item) {
    std::vector<Place> out;
    const auto frames = framesOf(childTags(item));
    for (const auto& t : frames.at(0))
        if (t.code == 26) out.push_back(readPlaceObject2(t.body));
    return out;
}

ShapeInfo shapeOf(const Item& item) {
    for (const auto& p : placementsIn(item)) {
        const auto& c = characters().at(p.character.value());
        return readShape(c.code, c.body);
    }
    throw ReadError("empty item");
}

Item findItem(const std::string& path) {
    std::vector<Tag> tags = generatedMovie().tags;
    std::istringstream names(path);
    std::string name;
    std::optional<Item> found;
    while (std::getline(names, name, '.')) {
        if (found) tags = childTags(*found);
        found.reset();
        for (const auto& t : tags) {
            if (t.code != 26) continue;
            const Place p = readPlaceObject2(t.body);
            if (p.name != name || !p.character) continue;
            found = Item{p, characters().at(*p.character)};
            break;
        }
        if (!found) throw ReadError("no item " + name + " in " + path);
    }
    return *found;
}

} // namespace movietest
