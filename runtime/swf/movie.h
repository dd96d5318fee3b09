// The immutable definition of a loaded movie: header, character dictionary and the
// root timeline.
#pragma once

#include "swf/button.h"
#include "swf/font.h"
#include "swf/shape.h"
#include "swf/text.h"
#include "swf/timeline.h"
#include "swf/video.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace zimo::swf {

struct SpriteDef {
    std::uint16_t id = 0;
    std::shared_ptr<const Timeline> timeline;
};

using Character = std::variant<std::shared_ptr<const ShapeDef>, std::shared_ptr<const SpriteDef>,
                               std::shared_ptr<const FontDef>, std::shared_ptr<const EditTextDef>,
                               std::shared_ptr<const StaticTextDef>,
                               std::shared_ptr<const ButtonDef>, std::shared_ptr<const VideoDef>>;

struct MovieHeader {
    std::uint8_t version = 0;
    bool compressed = false;
    std::uint32_t declaredLength = 0;
    QRectF stage;          // pixels
    double frameRate = 12; // frames a second
    std::uint16_t frameCount = 0;
};

struct Movie {
    MovieHeader header;
    Rgba background{255, 255, 255, 255};
    bool hasBackground = false;
    bool hasFileAttributes = false;
    std::uint32_t fileAttributes = 0;
    std::shared_ptr<const Timeline> timeline;
    std::unordered_map<std::uint16_t, Character> characters;
    std::vector<std::string> warnings; // things skipped while loading

    const Character* character(std::uint16_t id) const {
        auto it = characters.find(id);
        return it == characters.end() ? nullptr : &it->second;
    }
    template <class T> std::shared_ptr<const T> get(std::uint16_t id) const {
        const auto* c = character(id);
        if (!c) return nullptr;
        const auto* p = std::get_if<std::shared_ptr<const T>>(c);
        return p ? *p : nullptr;
    }
};

struct MovieLoad {
    std::shared_ptr<const Movie> movie;
    std::string error; // why the movie was refused
    explicit operator bool() const { return movie != nullptr; }
};

// Parses the body of a movie (everything after the 8-byte file header, inflated).
MovieLoad parseMovieBody(std::span<const std::uint8_t> body, std::uint8_t version);

// Opens the container, inflates it and parses the body.
MovieLoad loadMovie(std::span<const std::uint8_t> file);

} // namespace zimo::swf
