#include "swf/container.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes makeMovie(const char* signature, std::uint8_t version, const Bytes& body,
                std::uint32_t lengthDelta = 0) {
    Bytes file(signature, signature + 3);
    file.push_back(version);
    const std::uint32_t length = static_cast<std::uint32_t>(body.size() + 8) + lengthDelta;
    for (int i = 0; i < 4; ++i)
        file.push_back((length >> (8 * i)) & 0xff);
    if (std::memcmp(signature, "CWS", 3) == 0) {
        uLongf size = compressBound(body.size());
        Bytes z(size);
        compress2(z.data(), &size, body.data(), body.size(), Z_DEFAULT_COMPRESSION);
        file.insert(file.end(), z.begin(), z.begin() + size);
    } else {
        file.insert(file.end(), body.begin(), body.end());
    }
    return file;
}

const Bytes kBody = {0x50, 0x00, 0x02, 0x58, 0x02, 0x00, 0x1e, 0x01, 0x00, 0x00, 0x00};

TEST(Container, AcceptsCompressedAndPlainMovies) {
    for (const char* sig : {"CWS", "FWS"}) {
        auto r = zimo::swf::openContainer(makeMovie(sig, 8, kBody));
        ASSERT_TRUE(r.ok) << sig << ": " << r.error;
        EXPECT_EQ(r.container.version, 8);
        EXPECT_EQ(r.container.body, kBody);
        EXPECT_EQ(r.container.compressed, std::string(sig) == "CWS");
    }
}

TEST(Container, RefusesMalformedFiles) {
    auto good = makeMovie("CWS", 8, kBody);
    std::vector<Bytes> bad;
    bad.push_back({});                                      // empty
    bad.push_back(Bytes(good.begin(), good.begin() + 7));   // short header
    bad.push_back(Bytes(good.begin(), good.end() - 4));     // truncated zlib stream
    bad.push_back(makeMovie("XWS", 8, kBody));              // signature
    bad.push_back(makeMovie("CWS", 0, kBody));              // version
    bad.push_back(makeMovie("CWS", 8, kBody, 1));           // length too large
    bad.push_back(makeMovie("CWS", 8, kBody, 0xffffffffu)); // length too small
    bad.push_back(makeMovie("FWS", 8, kBody, 0xfffffff0u)); // absurd length
    auto flipped = good;
    flipped[10] ^= 0xff; // bit-flipped zlib data
    bad.push_back(flipped);
    for (std::size_t i = 0; i < bad.size(); ++i)
        EXPECT_FALSE(zimo::swf::openContainer(bad[i]).ok) << "case " << i;
}

} // namespace
