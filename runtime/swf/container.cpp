#include "swf/container.h"

#include <zlib.h>

#include <cstring>

namespace zimo::swf {

namespace {

ContainerResult fail(std::string why) {
    ContainerResult r;
    r.error = std::move(why);
    return r;
}

bool inflateExactly(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&zs, Z_FINISH);
    bool good = rc == Z_STREAM_END && zs.avail_out == 0;
    inflateEnd(&zs);
    return good;
}

} // namespace

ContainerResult openContainer(std::span<const std::uint8_t> file) {
    if (file.size() < 8) return fail("file shorter than a SWF header");
    const bool compressed = std::memcmp(file.data(), "CWS", 3) == 0;
    if (!compressed && std::memcmp(file.data(), "FWS", 3) != 0)
        return fail("bad signature");
    ContainerResult r;
    r.container.compressed = compressed;
    r.container.version = file[3];
    if (r.container.version == 0) return fail("bad version");
    if (compressed && r.container.version < 6) return fail("compression needs version 6 or later");
    const std::uint32_t length = file[4] | (file[5] << 8) | (file[6] << 16) |
                                 (static_cast<std::uint32_t>(file[7]) << 24);
    r.container.declaredLength = length;
    if (length < 8 + 5 || length > kMaxMovieLength) return fail("bad length");
    auto rest = file.subspan(8);
    if (compressed) {
        r.container.body.resize(length - 8);
        if (!inflateExactly(rest, r.container.body))
            return fail("zlib data does not inflate to the declared length");
    } else {
        if (rest.size() != length - 8) return fail("file size differs from the declared length");
        r.container.body.assign(rest.begin(), rest.end());
    }
    r.ok = true;
    return r;
}

} // namespace zimo::swf
