// Reads the first tags of a Flash Video file: its onMetaData, and the script tags too
// large to hand to a demuxer.
#pragma once

#include "media/amf_value.h"
#include "media/media_source.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zimo::media {

// True when the bytes start with a Flash Video file header.
bool looksLikeFlv(std::span<const std::uint8_t> head);

struct FlvHead {
    // The object of the first onMetaData tag, or nothing when the file has none. An ECMA
    // array or an object both come back as an object; any other argument as it is. One
    // beyond the reader's limits keeps what was read before them.
    std::optional<AmfValue> metadata;
    // Offsets of the script tags (metadata or cue points) beyond the reader's limits.
    std::vector<std::int64_t> oversizedScriptTags;
};

// Walks the first tags of the file, reading only as much as the search needs.
FlvHead readFlvHead(MediaSource& source);

// The metadata alone, of a file held in memory or at a path.
std::optional<AmfValue> findFlvMetadata(std::span<const std::uint8_t> file);
std::optional<AmfValue> readFlvMetadata(const QString& path);

} // namespace zimo::media
