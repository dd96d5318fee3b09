// The SWF container: the 8-byte header and the (possibly zlib-compressed) body.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zimo::swf {

struct Container {
    bool compressed = false; // "CWS" rather than "FWS"
    std::uint8_t version = 0;
    std::uint32_t declaredLength = 0; // length of the whole movie when uncompressed
    std::vector<std::uint8_t> body;   // everything after the 8-byte header, inflated
};

struct ContainerResult {
    bool ok = false;
    std::string error; // why the file was refused, when !ok
    Container container;
};

// Largest movie accepted; protects against absurd declared lengths.
inline constexpr std::uint32_t kMaxMovieLength = 64u * 1024u * 1024u;

// Validates the signature, version and length and inflates the body. The
// inflated size must equal the declared length less the header.
ContainerResult openContainer(std::span<const std::uint8_t> file);

} // namespace zimo::swf
