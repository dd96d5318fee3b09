#include "swf_writer.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace zimo::movie {

void SwfWriter::u16(std::uint16_t v) {
    u8(v & 0xff);
    u8(v >> 8);
}

void SwfWriter::u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        u8((v >> (8 * i)) & 0xff);
}

void SwfWriter::bytes(const Bytes& b) {
    flushBits();
    out_.insert(out_.end(), b.begin(), b.end());
}

void SwfWriter::string(const std::string& s) {
    for (char c : s)
        u8(static_cast<std::uint8_t>(c));
    u8(0);
}

void SwfWriter::ubits(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        bitBuffer_ = (bitBuffer_ << 1) | ((value >> i) & 1u);
        if (++bitCount_ == 8) {
            out_.push_back(static_cast<std::uint8_t>(bitBuffer_));
            bitBuffer_ = 0;
            bitCount_ = 0;
        }
    }
}

void SwfWriter::sbits(std::int32_t value, int count) {
    ubits(static_cast<std::uint32_t>(value) & (count >= 32 ? ~0u : ((1u << count) - 1u)), count);
}

void SwfWriter::flushBits() {
    if (bitCount_ == 0) return;
    out_.push_back(static_cast<std::uint8_t>(bitBuffer_ << (8 - bitCount_)));
    bitBuffer_ = 0;
    bitCount_ = 0;
}

void SwfWriter::rect(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax) {
    flushBits();
    int n = std::max(
        {signedBitsFor(xMin), signedBitsFor(xMax), signedBitsFor(yMin), signedBitsFor(yMax)});
    ubits(n, 5);
    sbits(xMin, n);
    sbits(xMax, n);
    sbits(yMin, n);
    sbits(yMax, n);
    flushBits();
}

int signedBitsFor(std::int32_t v) {
    if (v == 0) return 1;
    std::uint32_t m = v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    return unsignedBitsFor(m) + 1;
}

int unsignedBitsFor(std::uint32_t v) {
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

Bytes tag(int code, const Bytes& body, bool forceLong) {
    SwfWriter w;
    if (body.size() < 63 && !forceLong) {
        w.u16(static_cast<std::uint16_t>((code << 6) | body.size()));
    } else {
        w.u16(static_cast<std::uint16_t>((code << 6) | 0x3f));
        w.u32(static_cast<std::uint32_t>(body.size()));
    }
    w.bytes(body);
    return w.data();
}

Bytes compressedMovie(std::uint8_t version, const Bytes& afterHeader) {
    uLongf bound = compressBound(afterHeader.size());
    Bytes z(bound);
    if (compress2(z.data(), &bound, afterHeader.data(), afterHeader.size(),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    z.resize(bound);
    SwfWriter w;
    w.u8('C');
    w.u8('W');
    w.u8('S');
    w.u8(version);
    w.u32(static_cast<std::uint32_t>(afterHeader.size() + 8));
    w.bytes(z);
    return w.data();
}

} // namespace zimo::movie
