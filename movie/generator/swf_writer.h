// Writing SWF data: little-endian values, bit fields, records and tags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zimo::movie {

using Bytes = std::vector<std::uint8_t>;

class SwfWriter {
public:
    void u8(std::uint8_t v) {
        flushBits();
        out_.push_back(v);
    }
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void s16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void bytes(const Bytes& b);
    void string(const std::string& s); // NUL-terminated

    // Bit fields, most significant bit first; byte-aligned again by the next byte write.
    void ubits(std::uint32_t value, int count);
    void sbits(std::int32_t value, int count);
    void flushBits();

    // A RECT record in twips.
    void rect(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax);

    const Bytes& data() {
        flushBits();
        return out_;
    }

private:
    Bytes out_;
    std::uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
};

// Bits needed to hold a signed value in two's complement.
int signedBitsFor(std::int32_t v);
// Bits needed to hold an unsigned value.
int unsignedBitsFor(std::uint32_t v);

// A complete tag: header (short form below 63 bytes unless forced long) and body.
Bytes tag(int code, const Bytes& body, bool forceLong = false);

// The whole file: "CWS", the version, the uncompressed length and the zlib stream of
// everything after the 8-byte header.
Bytes compressedMovie(std::uint8_t version, const Bytes& afterHeader);

} // namespace zimo::movie
