// Builds the player movie: every tag after the SWF header.
#pragma once

#include "swf_writer.h"

namespace zimo::movie {

inline constexpr std::uint8_t kMovieVersion = 8;

// The movie's body after the 8-byte header (stage rectangle onwards), uncompressed.
Bytes buildMovieBody();

} // namespace zimo::movie
