// A display list over a test movie, without the player around it.
#pragma once

#include "display/context.h"
#include "display/movie_clip.h"
#include "swf/movie.h"

#include <memory>

namespace zimo::test {

struct StageFixture {
    explicit StageFixture(std::shared_ptr<const swf::Movie> movie)
        : context(std::make_shared<display::DisplayContext>(movie)),
          root(std::make_shared<display::MovieClip>(0, movie->timeline, context, 0)) {
        root->enterFirstFrame();
    }
    std::shared_ptr<display::DisplayContext> context;
    std::shared_ptr<display::MovieClip> root;
};

} // namespace zimo::test
