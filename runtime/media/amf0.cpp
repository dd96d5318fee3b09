#include "media/amf0.h"

#include <bit>
#include <cstring>

namespace zimo::media::amf0 {

namespace {

enum Marker : std::uint8_t {
    kNumber = 0x00,
    kBoolean = 0x01,
    kString = 0x02,
    kObject = 0x03,
    kNull = 0x05,
    kUndefined = 0x06,
    kReference = 0x07,
    kEcmaArray = 0x08,
    kObjectEnd = 0x09,
    kStrictArray = 0x0a,
    kDate = 0x0b,
    kLongString = 0x0c,
    kUnsupported = 0x0d,
    kXmlDocument = 0x0f,
    kTypedObject = 0x10,
};

} // namespace

bool Reader::take(std::size_t n, const std::uint8_t*& out) {
    if (failed_ || data_.size() - pos_ < n) {
        failed_ = true;
        return false;
    }
    out = data_.data() + pos_;
    pos_ += n;
    return true;
}

bool Reader::readU8(std::uint8_t& v) {
    const std::uint8_t* p = nullptr;
    if (!take(1, p)) return false;
    v = p[0];
    return true;
}

bool Reader::readU16(std::uint16_t& v) {
    const std::uint8_t* p = nullptr;
    if (!take(2, p)) return false;
    v = static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    return true;
}

bool Reader::readU32(std::uint32_t& v) {
    const std::uint8_t* p = nullptr;
    if (!take(4, p)) return false;
    v = (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
        std::uint32_t(p[3]);
    return true;
}

bool Reader::readDouble(double& v) {
    const std::uint8_t* p = nullptr;
    if (!take(8, p)) return false;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | p[i];
    v = std::bit_cast<double>(bits);
    return true;
}

bool Reader::readUtf8(std::size_t length, QString& out) {
    const std::uint8_t* p = nullptr;
    if (!take(length, p)) return false;
    out = QString::fromUtf8(reinterpret_cast<const char*>(p), static_cast<qsizetype>(length));
    return true;
}

bool Reader::readName(QString& out) {
    std::uint16_t length = 0;
    return readU16(length) && readUtf8(length, out);
}

AmfValue Reader::fail() {
    failed_ = true;
    return {};
}

AmfValue Reader::failOverLimit() {
    overLimit_ = true;
    return fail();
}

AmfValue Reader::read() {
    if (failed_) return {};
    return readValue(0);
}

// Name/value pairs up to the empty name followed by the end marker.
void Reader::readMembers(AmfValue& target, int depth) {
    while (!failed_) {
        QString name;
        if (!readName(name)) return;
        if (name.isEmpty() && pos_ < data_.size() && data_[pos_] == kObjectEnd) {
            ++pos_;
            return;
        }
        if (++names_ > kMaxNames) {
            failOverLimit();
            return;
        }
        AmfValue v = readValue(depth + 1);
        if (failed_) return;
        target.set(name, std::move(v));
    }
}

AmfValue Reader::readValue(int depth) {
    if (depth > kMaxDepth || ++values_ > kMaxValues) return failOverLimit();
    std::uint8_t marker = 0;
    if (!readU8(marker)) return {};
    switch (marker) {
    case kNumber: {
        double d = 0;
        if (!readDouble(d)) return {};
        return AmfValue::number(d);
    }
    case kBoolean: {
        std::uint8_t b = 0;
        if (!readU8(b)) return {};
        return AmfValue::boolean(b != 0);
    }
    case kString: {
        QString s;
        if (!readName(s)) return {};
        return AmfValue::string(std::move(s));
    }
    case kLongString:
    case kXmlDocument: {
        std::uint32_t length = 0;
        QString s;
        if (!readU32(length) || !readUtf8(length, s)) return {};
        return AmfValue::string(std::move(s));
    }
    case kNull:
        return AmfValue::null();
    case kUndefined:
    case kUnsupported:
        return {};
    case kReference: {
        // References point back at earlier complex values; metadata never needs
        // them, so the slot reads as undefined.
        std::uint16_t index = 0;
        if (!readU16(index)) return {};
        return {};
    }
    case kDate: {
        double ms = 0;
        std::uint16_t zone = 0;
        if (!readDouble(ms) || !readU16(zone)) return {};
        return AmfValue::date(ms, static_cast<std::int16_t>(zone));
    }
    case kTypedObject:
    case kObject:
    case kEcmaArray: {
        if (marker == kTypedObject) {
            QString className;
            if (!readName(className)) return {};
        }
        if (marker == kEcmaArray) {
            std::uint32_t countHint = 0; // advisory only; the end marker decides
            if (!readU32(countHint)) return {};
        }
        AmfValue object = AmfValue::object();
        readMembers(object, depth);
        return object;
    }
    case kStrictArray: {
        std::uint32_t count = 0;
        if (!readU32(count)) return {};
        AmfValue array = AmfValue::array();
        // Each element takes at least one byte, so a count beyond the data is a claim a
        // demuxer that allocates by count must not be given.
        if (count > data_.size() - pos_) {
            failOverLimit();
            return array;
        }
        for (std::uint32_t i = 0; i < count && !failed_; ++i) {
            AmfValue v = readValue(depth + 1);
            if (failed_) break;
            array.append(std::move(v));
        }
        return array;
    }
    default:
        return fail();
    }
}

} // namespace zimo::media::amf0
