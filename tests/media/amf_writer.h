// Builds AMF0 bytes and FLV script tags by hand for the tests.
#pragma once

#include <QByteArray>

#include <bit>
#include <cstdint>
#include <string_view>

namespace zimo::media::test {

class AmfWriter {
public:
    QByteArray bytes;

    AmfWriter& u8(int v) {
        bytes.append(static_cast<char>(v & 0xff));
        return *this;
    }
    AmfWriter& u16(int v) { return u8(v >> 8).u8(v); }
    AmfWriter& u24(std::uint32_t v) {
        return u8(static_cast<int>(v >> 16)).u16(static_cast<int>(v & 0xffff));
    }
    AmfWriter& u32(std::uint32_t v) {
        return u16(static_cast<int>(v >> 16)).u16(static_cast<int>(v & 0xffff));
    }
    AmfWriter& raw(std::string_view s) {
        bytes.append(s.data(), static_cast<qsizetype>(s.size()));
        return *this;
    }
    AmfWriter& name(std::string_view s) { return u16(static_cast<int>(s.size())).raw(s); }
    AmfWriter& number(double d) {
        u8(0);
        const auto bits = std::bit_cast<std::uint64_t>(d);
        for (int i = 7; i >= 0; --i)
            u8(static_cast<int>((bits >> (8 * i)) & 0xff));
        return *this;
    }
    AmfWriter& boolean(bool b) { return u8(1).u8(b ? 1 : 0); }
    AmfWriter& string(std::string_view s) { return u8(2).name(s); }
    AmfWriter& longString(std::string_view s) {
        return u8(12).u32(static_cast<std::uint32_t>(s.size())).raw(s);
    }
    AmfWriter& null() { return u8(5); }
    AmfWriter& undefined() { return u8(6); }
    AmfWriter& beginObject() { return u8(3); }
    AmfWriter& beginEcmaArray(std::uint32_t hint) { return u8(8).u32(hint); }
    AmfWriter& end() { return u16(0).u8(9); }
    AmfWriter& strictArray(std::uint32_t count) { return u8(10).u32(count); }
    AmfWriter& date(double ms, int zone) {
        u8(11);
        const auto bits = std::bit_cast<std::uint64_t>(ms);
        for (int i = 7; i >= 0; --i)
            u8(static_cast<int>((bits >> (8 * i)) & 0xff));
        return u16(zone);
    }
};

// An FLV file header (audio and video flags set) and the first tag size.
inline QByteArray flvHeader() {
    return QByteArray("FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00", 13);
}

// One tag of the given type and time (in milliseconds) with its trailing size field.
inline QByteArray flvTag(int type, const QByteArray& data, std::uint32_t ms = 0) {
    AmfWriter w;
    w.u8(type).u24(static_cast<std::uint32_t>(data.size())).u24(ms & 0xffffff);
    w.u8(static_cast<int>(ms >> 24)).u24(0);
    w.bytes.append(data);
    w.u32(static_cast<std::uint32_t>(data.size() + 11));
    return w.bytes;
}

} // namespace zimo::media::test
