// Walking the tags of a movie body or a sprite: code, length and body of each.
#pragma once

#include "swf/reader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zimo::swf {

struct TagHeader {
    int code = 0;
    std::size_t offset = 0; // of the tag header within the data walked
    std::span<const std::uint8_t> body;
};

// Reads the next tag; nothing at the end of the data or on a bad header (with `error` set
// when the data is malformed rather than just finished).
std::optional<TagHeader> nextTag(Reader& r, std::string& error);

} // namespace zimo::swf
