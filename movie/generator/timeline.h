// Timelines (the root's and each sprite's), placements on them, and the dictionary of
// characters, which hands out ids in the order the definitions are written.
#pragma once

#include "swf_records.h"

#include <functional>
#include <optional>
#include <string>

namespace zimo::movie {

struct Placement {
    std::uint16_t depth = 1;
    std::uint16_t character = 0;
    std::string name; // instance name; empty for none
    Matrix matrix;
    std::optional<ColorTransform> color;
    std::uint16_t clipDepth = 0; // a mask over the depths above it up to this one; 0 for none
};

// PlaceObject2 placing a new character.
Bytes placeObject2(const Placement& p);

class Timeline {
public:
    void label(const std::string& name);
    void place(const Placement& p) { append(placeObject2(p)); }
    void remove(std::uint16_t depth);
    // A DoAction holding the records (which end with ActionEnd); none when empty.
    void actions(const Bytes& records);
    void showFrame();
    void append(const Bytes& tagBytes);

    int frameCount() const { return frames_; }
    // Every tag so far and the End tag.
    Bytes controlTags() const;

private:
    Bytes tags_;
    int frames_ = 0;
};

Bytes defineSprite(std::uint16_t id, const Timeline& timeline);

// Character definitions in the order they were made; each gets the next free id, so a
// character can only ever refer to ones defined before it.
class Library {
public:
    std::uint16_t define(const std::function<Bytes(std::uint16_t id)>& makeTag);
    std::uint16_t sprite(const Timeline& t) {
        return define([&](std::uint16_t id) { return defineSprite(id, t); });
    }
    const Bytes& tags() const { return tags_; }

private:
    Bytes tags_;
    std::uint16_t next_ = 1;
};

} // namespace zimo::movie
