// Builds the player movie: the stage, every drawing and item, and the two scripts' actions.
#pragma once

#include "swf_writer.h"

namespace zimo::movie {

inline constexpr std::uint8_t kMovieVersion = 8;

// Compiled action records (each ending with ActionEnd, 0x00) of the movie's two scripts.
// An empty script leaves its frame without a DoAction.
struct MovieScripts {
    Bytes loading; // frame 1: waits until the movie is loaded, then goes to frame 3
    Bytes main;    // frame 3: runs once, after vidplayer and controlpanel are placed
};

// The movie's body after the 8-byte header (stage rectangle onwards), uncompressed.
Bytes buildMovieBody(const MovieScripts& scripts = {});

// The whole compressed movie file.
Bytes buildMovie(const MovieScripts& scripts = {});

} // namespace zimo::movie
