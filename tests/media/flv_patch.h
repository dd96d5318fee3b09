// Edits the onMetaData of a made FLV in place, keeping every size unchanged.
#pragma once

#include <QByteArray>

#include <bit>
#include <cstdint>
#include <vector>

namespace zimo::media::test {

// Sets the number after the key (a 16-bit length, the name, the number marker).
inline bool patchNumber(QByteArray& file, const QByteArray& key, double value) {
    QByteArray needle;
    needle.append(char(0)).append(static_cast<char>(key.size())).append(key).append(char(0));
    const qsizetype at = file.indexOf(needle);
    if (at < 0 || at + needle.size() + 8 > file.size()) return false;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        file[at + needle.size() + i] = static_cast<char>((bits >> (8 * (7 - i))) & 0xff);
    return true;
}

// Renames a key to another of the same length, so the file no longer has it.
inline bool renameKey(QByteArray& file, const QByteArray& key, const QByteArray& other) {
    QByteArray needle;
    needle.append(char(0)).append(static_cast<char>(key.size())).append(key);
    const qsizetype at = file.indexOf(needle);
    if (at < 0 || other.size() != key.size()) return false;
    file.replace(at + 2, key.size(), other);
    return true;
}

// The bytes a tag takes, its header and the size after it included.
inline qsizetype tagLength(const QByteArray& file, qsizetype tag) {
    const auto byte = [&](qsizetype i) { return static_cast<std::uint8_t>(file[i]); };
    return 15 + ((byte(tag + 1) << 16) | (byte(tag + 2) << 8) | byte(tag + 3));
}

// Offsets of the whole tags of an FLV file, in order.
inline std::vector<qsizetype> tagOffsets(const QByteArray& file) {
    std::vector<qsizetype> out;
    for (qsizetype at = 13; at + 15 <= file.size();) {
        const qsizetype length = tagLength(file, at);
        if (at + length > file.size()) break;
        out.push_back(at);
        at += length;
    }
    return out;
}

// A tag's timestamp, in milliseconds (its low 24 bits, then the high 8).
inline std::uint32_t tagTime(const QByteArray& file, qsizetype tag) {
    const auto byte = [&](qsizetype i) {
        return static_cast<std::uint32_t>(std::uint8_t(file[i]));
    };
    return (byte(tag + 7) << 24) | (byte(tag + 4) << 16) | (byte(tag + 5) << 8) | byte(tag + 6);
}

// Sets a tag's timestamp, in milliseconds (its low 24 bits, then the high 8).
inline void setTagTime(QByteArray& file, qsizetype tag, std::uint32_t ms) {
    file[tag + 4] = static_cast<char>((ms >> 16) & 0xff);
    file[tag + 5] = static_cast<char>((ms >> 8) & 0xff);
    file[tag + 6] = static_cast<char>(ms & 0xff);
    file[tag + 7] = static_cast<char>(ms >> 24);
}

} // namespace zimo::media::test
