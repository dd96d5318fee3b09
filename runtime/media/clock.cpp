#include "media/clock.h"

#include <chrono>

namespace zimo::media {

std::int64_t SystemClock::nowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace zimo::media
