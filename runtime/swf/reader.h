// Bounds-checked reading of SWF data: little-endian values, bit fields and strings.
//
// A read past the end puts the reader into a failed state: it then returns zeros and
// never advances, so every loop that reads records must also test ok().
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zimo::swf {

class Reader {
public:
    Reader() = default;
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
    bool atEnd() const { return remaining() == 0; }

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    float f32();
    // Fixed point 8.8, signed.
    double fixed8() { return s16() / 256.0; }

    // The next n bytes; an empty span and the failed state when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t n);
    void skip(std::size_t n) { bytes(n); }
    // A reader over the next n bytes; this reader moves past them.
    Reader sub(std::size_t n);
    // All bytes up to the end.
    std::span<const std::uint8_t> rest();

    // A NUL-terminated string without its terminator; fails when no NUL follows.
    std::string cstring();

    // Bit fields, most significant bit first. Any byte read aligns to the next byte.
    std::uint32_t ubits(int n);
    std::int32_t sbits(int n);
    // Signed 16.16 fixed point bit field.
    double fbits(int n) { return sbits(n) / 65536.0; }
    bool flag() { return ubits(1) != 0; }
    void align() { bitsLeft_ = 0; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::uint8_t bitByte_ = 0;
    int bitsLeft_ = 0;
    bool ok_ = true;
};

} // namespace zimo::swf
