// libFuzzer entry: the movie loader must refuse or accept any input without crashing,
// hanging or allocating without bound.
#include "swf/movie.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Whole files (container included) and bare bodies both.
    (void)zimo::swf::loadMovie({data, size});
    if (size > 0) (void)zimo::swf::parseMovieBody({data + 1, size - 1}, data[0]);
    return 0;
}
