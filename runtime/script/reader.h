// Bounded little-endian reading of one action record's data. Reading past the end gives
// zeros and empty strings; `truncated()` tells.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zimo::script {

class Reader {
public:
    Reader(const std::vector<std::uint8_t>& bytes, std::size_t pos, std::size_t end)
        : b_(bytes), pos_(pos), end_(end < bytes.size() ? end : bytes.size()) {}

    bool atEnd() const { return pos_ >= end_; }
    bool truncated() const { return truncated_; }
    std::size_t position() const { return pos_; }

    std::uint8_t u8() {
        if (pos_ >= end_) {
            truncated_ = true;
            return 0;
        }
        return b_[pos_++];
    }
    std::uint16_t u16() {
        std::uint16_t lo = u8();
        return static_cast<std::uint16_t>(lo | (u8() << 8));
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32() {
        std::uint32_t lo = u16();
        return lo | (static_cast<std::uint32_t>(u16()) << 16);
    }
    float f32() {
        std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // Push's double: the high 32-bit word first, each word little-endian.
    double f64() {
        std::uint64_t hi = u32();
        std::uint64_t lo = u32();
        std::uint64_t bits = (hi << 32) | lo;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // Zero-terminated; an unterminated string runs to the end of the record.
    std::string str() {
        std::string s;
        if (pos_ >= end_) truncated_ = true;
        while (pos_ < end_) {
            char c = static_cast<char>(b_[pos_++]);
            if (c == '\0') return s;
            s.push_back(c);
        }
        return s;
    }

private:
    const std::vector<std::uint8_t>& b_;
    std::size_t pos_;
    std::size_t end_;
    bool truncated_ = false;
};

} // namespace zimo::script
