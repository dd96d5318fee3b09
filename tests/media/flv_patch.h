// Edits the onMetaData of a made FLV in place, keeping every size unchanged.
#pragma once

#include <QByteArray>

#include <bit>
#include <cstdint>

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

} // namespace zimo::media::test
