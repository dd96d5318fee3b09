// Finds the onMetaData script-data tag near the start of a Flash Video file.
#pragma once

#include "media/value.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace zimo::media {

// True when the bytes start with a Flash Video file header.
bool looksLikeFlv(std::span<const std::uint8_t> head);

// The object of the first onMetaData tag among the first tags of an FLV
// file held in memory, or nothing when the file has none. An ECMA array or
// an object both come back as an object; any other argument is returned as is.
std::optional<Value> findFlvMetadata(std::span<const std::uint8_t> file);

// The same, reading only as much of the file at path as the search needs.
std::optional<Value> readFlvMetadata(const QString& path);

} // namespace zimo::media
