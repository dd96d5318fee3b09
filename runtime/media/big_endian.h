// Numbers stored most significant byte first, as Flash Video's headers keep them.
#pragma once

#include <cstdint>

namespace zimo::media {

inline std::uint32_t be24(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

inline std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | be24(p + 1);
}

} // namespace zimo::media
