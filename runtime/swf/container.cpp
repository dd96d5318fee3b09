#include "swf/container.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace zimo::swf {

namespace {

ContainerResult fail(std::string why) {
    ContainerResult r;
    r.error = std::move(why);
    return r;
}

// Inflates `in` into exactly `length` bytes. The buffer grows with the data actually
// inflated, so a header that claims a huge length costs nothing until the data backs it.
bool inflateExactly(std::span<const std::uint8_t> in, std::size_t length,
                    std::vector<std::uint8_t>& out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = static_cast<uInt>(in.size());
    out.clear();
    std::size_t capacity = std::min(length, std::max<std::size_t>(in.size() * 4, 64 * 1024));
    int rc = Z_OK;
    while (true) {
        const std::size_t done = out.size();
        out.resize(capacity);
        zs.next_out = out.data() + done;
        zs.avail_out = static_cast<uInt>(capacity - done);
        rc = inflate(&zs, Z_NO_FLUSH);
        out.resize(capacity - zs.avail_out);
        if (rc != Z_OK || out.size() < capacity) break; // finished, failed or starved
        if (capacity == length) {
            // Full: the stream must end here, with nothing more to come out.
            std::uint8_t extra = 0;
            zs.next_out = &extra;
            zs.avail_out = 1;
            rc = inflate(&zs, Z_NO_FLUSH);
            if (zs.avail_out == 0) rc = Z_DATA_ERROR;
            break;
        }
        capacity = std::min(length, capacity * 2);
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END && out.size() == length;
}

} // namespace

ContainerResult openContainer(std::span<const std::uint8_t> file) {
    if (file.size() < 8) return fail("file shorter than a SWF header");
    const bool compressed = std::memcmp(file.data(), "CWS", 3) == 0;
    if (!compressed && std::memcmp(file.data(), "FWS", 3) != 0) return fail("bad signature");
    ContainerResult r;
    r.container.compressed = compressed;
    r.container.version = file[3];
    if (r.container.version == 0) return fail("bad version");
    if (compressed && r.container.version < 6) return fail("compression needs version 6 or later");
    const std::uint32_t length =
        file[4] | (file[5] << 8) | (file[6] << 16) | (static_cast<std::uint32_t>(file[7]) << 24);
    r.container.declaredLength = length;
    if (length < 8 + 5 || length > kMaxMovieLength) return fail("bad length");
    auto rest = file.subspan(8);
    if (compressed) {
        if (!inflateExactly(rest, length - 8, r.container.body))
            return fail("zlib data does not inflate to the declared length");
    } else {
        if (rest.size() != length - 8) return fail("file size differs from the declared length");
        r.container.body.assign(rest.begin(), rest.end());
    }
    r.ok = true;
    return r;
}

} // namespace zimo::swf
