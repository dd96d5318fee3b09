// Reads the first tags of a Flash Video file: its onMetaData, and the script tags too
// large to hand to a demuxer.
#pragma once

#include "media/amf_value.h"
#include "media/flv_added_codecs.h"
#include "media/media_source.h"

#include <QSize>
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
    // Offsets of the H.264 pictures, framed by lengths, that come before the stream's
    // parameter sets (a recording begun mid-stream, a piece cut from a file), within the
    // first kFlvSetupSearchBytes: no decoder can take them, and FFmpeg refuses a file
    // whose first pictures they are.
    std::vector<std::int64_t> picturesBeforeSetup;
    // Of pictures in a codec added after Flash (see flv_added_codecs.h), when they come
    // within the search before any picture of another codec.
    FlvAddedStart added;
    // The first picture met is in the layout Flash has, and none met is in the extended one.
    bool olderLayoutPictures = false;
    // Of sound in the extended layout (see flv_added_sound.h), when it comes in the first
    // tags: the body after its first byte of its first tag, as the demuxer is shown it,
    // the codec's set-up when one came there.
    std::vector<std::uint8_t> addedSoundFirst;
    // The first sound tag met is in the layout Flash has, and so is the file's sound.
    bool olderLayoutSound = false;
    // The streams the header says the file has.
    bool announcesPictures = true;
    bool announcesSound = true;
};

// How far into a file the pictures before the parameter sets are looked for: as far as
// FFmpeg looks at most to learn the streams.
inline constexpr std::int64_t kFlvSetupSearchBytes = 5'000'000;

// Walks the first tags of the file, reading only as much as the search needs.
FlvHead readFlvHead(MediaSource& source);

// The metadata alone, of a file held in memory or at a path.
std::optional<AmfValue> findFlvMetadata(std::span<const std::uint8_t> file);
std::optional<AmfValue> readFlvMetadata(const QString& path);

// The duration the metadata gives, when it is a positive, finite number.
std::optional<double> flvMetadataDuration(const AmfValue& metadata);

// Whether a file of `fileSize` bytes is larger than its metadata says, by more than the
// tools that rewrite metadata leave it off: another file's tags were put after its own.
bool outgrowsFlvMetadata(const AmfValue& metadata, std::int64_t fileSize);

// The metadata is what the player lays its picture and knob out by. A duration found
// longer than the metadata's (a joined file keeping its first part's) is put in its place;
// the size shown (pixels that are not square) in place of the size stored, where that is
// the stream's own.
void mendFlvMetadataDuration(AmfValue& metadata, double duration);
void mendFlvMetadataSize(AmfValue& metadata, QSize stored, QSize shown);
// A duration of 0, or none, is what a file written as it was streamed says: the duration
// found (when it is known) is put in its place.
void fillFlvMetadataDuration(AmfValue& metadata, double duration);

} // namespace zimo::media
