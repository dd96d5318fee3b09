#include "swf/reader.h"

#include <bit>
#include <cstring>

namespace zimo::swf {

std::uint8_t Reader::u8() {
    align();
    if (!ok_ || pos_ >= data_.size()) {
        ok_ = false;
        return 0;
    }
    return data_[pos_++];
}

std::uint16_t Reader::u16() {
    const auto b = bytes(2);
    if (b.empty()) return 0;
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t Reader::u32() {
    const auto b = bytes(4);
    if (b.empty()) return 0;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

float Reader::f32() {
    return std::bit_cast<float>(u32());
}

std::span<const std::uint8_t> Reader::bytes(std::size_t n) {
    align();
    if (!ok_ || n > data_.size() - pos_) {
        ok_ = false;
        return {};
    }
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
}

Reader Reader::sub(std::size_t n) {
    const auto b = bytes(n);
    Reader r(b);
    if (!ok_) r.fail();
    return r;
}

std::span<const std::uint8_t> Reader::rest() {
    return bytes(remaining());
}

std::string Reader::cstring() {
    align();
    if (!ok_) return {};
    const auto* start = data_.data() + pos_;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(start, 0, data_.size() - pos_));
    if (!nul) {
        ok_ = false;
        return {};
    }
    std::string s(reinterpret_cast<const char*>(start), static_cast<std::size_t>(nul - start));
    pos_ += s.size() + 1;
    return s;
}

std::uint32_t Reader::ubits(int n) {
    if (n <= 0) return 0;
    if (n > 32) {
        ok_ = false;
        return 0;
    }
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        if (bitsLeft_ == 0) {
            if (!ok_ || pos_ >= data_.size()) {
                ok_ = false;
                return 0;
            }
            bitByte_ = data_[pos_++];
            bitsLeft_ = 8;
        }
        --bitsLeft_;
        v = (v << 1) | ((bitByte_ >> bitsLeft_) & 1u);
    }
    return ok_ ? v : 0;
}

std::int32_t Reader::sbits(int n) {
    if (n <= 0) return 0;
    const std::uint32_t v = ubits(n);
    if (n < 32 && (v & (1u << (n - 1)))) return static_cast<std::int32_t>(v | ~((1u << n) - 1u));
    return static_cast<std::int32_t>(v);
}

} // namespace zimo::swf
