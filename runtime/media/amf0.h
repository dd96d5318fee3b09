// Reader for AMF0, the value encoding of Flash Video script-data tags.
#pragma once

#include "media/amf_value.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace zimo::media::amf0 {

// Limits that keep hostile data from costing more than the bytes it occupies. Member
// names are limited far below values: a metadata store keyed by name (ours, FFmpeg's)
// costs the square of their number, while a long keyframe index is only array elements.
inline constexpr int kMaxDepth = 32;
inline constexpr std::size_t kMaxValues = 1u << 16;
inline constexpr std::size_t kMaxNames = 4096;

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    // Reads one value. On bad or truncated data it returns what it could read
    // (an object or array keeps the members before the fault) and marks the
    // reader failed; nothing is read after a failure.
    AmfValue read();
    // Reads a bare UTF-8 string with a 16-bit length, as used for names.
    bool readName(QString& out);

    bool failed() const { return failed_; }
    // The failure came from one of the limits above, or from an array claiming more
    // elements than the data holds: a tag to keep from a demuxer that believes counts.
    bool overLimit() const { return overLimit_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    std::size_t position() const { return pos_; }

private:
    AmfValue readValue(int depth);
    void readMembers(AmfValue& target, int depth);
    bool take(std::size_t n, const std::uint8_t*& out);
    bool readU8(std::uint8_t& v);
    bool readU16(std::uint16_t& v);
    bool readU32(std::uint32_t& v);
    bool readDouble(double& v);
    bool readUtf8(std::size_t length, QString& out);
    AmfValue fail();
    AmfValue failOverLimit();

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t values_ = 0;
    std::size_t names_ = 0;
    bool failed_ = false;
    bool overLimit_ = false;
};

} // namespace zimo::media::amf0
