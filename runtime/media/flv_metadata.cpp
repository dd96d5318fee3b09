#include "media/flv_metadata.h"

#include "media/amf0.h"
#include "media/big_endian.h"
#include "media/flv_added_codecs.h"
#include "media/flv_added_sound.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace zimo::media {

namespace {

constexpr int kFlvHeaderSize = 9;
constexpr int kTagHeaderSize = 11;
constexpr int kSoundTag = 8;
constexpr int kVideoTag = 9;
constexpr int kScriptTag = 18;
constexpr int kAvcCodec = 7;
// No configuration record of a video stream is near this large.
constexpr std::uint32_t kMaxAddedSetupBytes = 64 * 1024;
// Metadata and the first sound sit in the first tags; the search walks further only for
// pictures that have not come yet or cannot be decoded yet.
constexpr int kMaxTagsSearched = 64;
// Of a file that begins with its sound alone, up to this many tags are walked for the first
// picture: 20 s of sound or more, beyond the wait for a key frame a recording starts with.
constexpr int kMaxTagsBeforePictures = 1024;
// Nor does it read more script data than this in all.
constexpr std::int64_t kMaxScriptBytes = 32L * 1024 * 1024;

// Exactly n bytes at offset, or as many as the file still has when `partial`.
bool fetch(MediaSource& source, std::int64_t offset, std::int64_t n, bool partial,
           std::vector<std::uint8_t>& out) {
    const std::int64_t available = std::min(n, source.size() - offset);
    if (available <= 0 || (available < n && !partial)) return false;
    out.resize(static_cast<std::size_t>(available));
    std::int64_t got = 0;
    while (got < available) {
        const std::int64_t r = source.readAt(offset + got, out.data() + got, available - got);
        if (r <= 0) return false;
        got += r;
    }
    return true;
}

// Notes of a sound tag whether it is in the extended layout, and of the first such tag the
// body as rewritten, that of the codec's set-up once it comes. Whether later sound tags
// are still to be looked at.
bool noteSoundTag(MediaSource& source, std::span<const std::uint8_t> header,
                  std::int64_t dataOffset, std::uint32_t size, FlvHead& head) {
    std::vector<std::uint8_t> buf;
    if (size < 5 || !fetch(source, dataOffset, 5, false, buf)) return true;
    if ((buf[0] >> 4) != 9) { // the older layout: so is the rest
        head.olderLayoutSound = true;
        return false;
    }
    std::array<std::uint8_t, kFlvExtendedTagHead> tag{};
    std::copy_n(header.begin(), kTagHeaderSize, tag.begin());
    std::copy_n(buf.begin(), 5, tag.begin() + kTagHeaderSize);
    if (!isExtendedSoundTag(tag)) return true; // one not played here, or not yet known
    // The set-up whole; of frames that come before it, the first bytes that name the codec.
    const bool setup = (buf[0] & 0x0f) == 0 && size <= kMaxAddedSetupBytes &&
                       fetch(source, dataOffset, size, false, buf);
    if (setup || head.addedSoundFirst.empty()) {
        rewriteExtendedSoundHead(std::span<std::uint8_t, 5>(buf.data(), 5));
        head.addedSoundFirst.assign(buf.begin() + 1, setup ? buf.end() : buf.begin() + 5);
    }
    return !setup;
}

} // namespace

bool looksLikeFlv(std::span<const std::uint8_t> head) {
    return head.size() >= 4 && head[0] == 'F' && head[1] == 'L' && head[2] == 'V' && head[3] == 1;
}

FlvHead readFlvHead(MediaSource& source) {
    FlvHead head;
    std::vector<std::uint8_t> buf;
    if (!fetch(source, 0, kFlvHeaderSize, false, buf) || !looksLikeFlv(buf)) return head;
    head.announcesPictures = buf[4] & 0x01;
    head.announcesSound = buf[4] & 0x04;
    std::int64_t offset = std::max<std::int64_t>(be32(buf.data() + 5), kFlvHeaderSize);
    offset += 4; // the size of the (absent) tag before the first
    std::int64_t scriptBytes = 0;
    // Until the first picture shows how the stream is framed, or the parameter sets come;
    // beyond the first tags only while pictures that lack them have been met.
    bool pictureSetupOpen = head.announcesPictures;
    bool pictureMet = false; // a file may start with its sound alone, as some servers record
    bool addedPictureSeen = false;
    bool soundOpen = true; // until the sound's layout, and its set-up when extended, is known
    for (int i = 0;; ++i) {
        const bool scripts = i < kMaxTagsSearched && scriptBytes < kMaxScriptBytes;
        const bool pictures =
            pictureSetupOpen && offset < kFlvSetupSearchBytes &&
            (i < kMaxTagsSearched || (!pictureMet && i < kMaxTagsBeforePictures) ||
             !head.picturesBeforeSetup.empty());
        const bool sound = soundOpen && i < kMaxTagsSearched;
        if (!scripts && !pictures && !sound) break;
        if (!fetch(source, offset, kTagHeaderSize, false, buf)) break;
        const int type = buf[0] & 0x1f;
        const bool encrypted = (buf[0] & 0x20) != 0;
        const std::uint32_t size = be24(buf.data() + 1);
        const std::int64_t tagOffset = offset;
        std::array<std::uint8_t, kTagHeaderSize> tagHeader{};
        std::copy_n(buf.begin(), kTagHeaderSize, tagHeader.begin());
        const std::int64_t dataOffset = offset + kTagHeaderSize;
        offset = dataOffset + size + 4;
        if (type == kSoundTag && !encrypted && sound) {
            soundOpen = noteSoundTag(source, tagHeader, dataOffset, size, head);
            continue;
        }
        if (type == kVideoTag && !encrypted && pictureSetupOpen) {
            const bool first = !pictureMet;
            pictureMet = true;
            // Codec and frame type, packet type, composition time, then the first NAL unit:
            // behind its length, or behind a start code in a stream framed as on a wire.
            if (!fetch(source, dataOffset, 9, true, buf)) continue;
            if (buf.size() >= 5) {
                std::array<std::uint8_t, kFlvExtendedTagHead> tag{};
                std::copy_n(tagHeader.begin(), kTagHeaderSize, tag.begin());
                std::copy_n(buf.begin(), 5, tag.begin() + kTagHeaderSize);
                if (isExtendedVideoTag(tag)) {
                    head.olderLayoutPictures = false;
                    rewriteExtendedVideoHead(std::span<std::uint8_t, 5>(buf.data(), 5));
                } else if (first && (buf[0] & 0x80) == 0) {
                    head.olderLayoutPictures = true;
                }
            }
            if (isFlvAddedCodec(buf[0] & 0x0f) && buf.size() >= 5) {
                const std::span<const std::uint8_t> body(buf.data() + 1, buf.size() - 1);
                if (const auto picture = flvAddedPicture(body); picture && !addedPictureSeen) {
                    addedPictureSeen = true;
                    head.added.firstCompositionMs = picture->compositionMs;
                    // Its first bytes, as far as they are in the tag.
                    const std::int64_t at = 1 + picture->offset;
                    std::vector<std::uint8_t> start;
                    if (size > at && fetch(source, dataOffset + at,
                                           std::min<std::int64_t>(size - at, 16), false, start))
                        if (const auto wh = flvAddedPictureSize(buf[0] & 0x0f, start))
                            std::tie(head.added.width, head.added.height) = *wh;
                } else if (!flvAddedSetup(body).empty() && head.added.setup.empty() && size > 5 &&
                           size <= kMaxAddedSetupBytes &&
                           fetch(source, dataOffset, size, false, buf)) {
                    // The record, behind the packet type and composition time (or the
                    // FourCC) alike; the first bytes looked at may lie past a tag shorter
                    // than them.
                    head.added.setup.assign(buf.begin() + 5, buf.end());
                }
                pictureSetupOpen = !addedPictureSeen || head.added.setup.empty();
                continue;
            }
            if ((buf[0] & 0x0f) != kAvcCodec || buf.size() < 2 || buf[1] == 0) {
                pictureSetupOpen = false; // another codec, or the parameter sets themselves
                continue;
            }
            // A picture framed by start codes may carry its own sets; nothing else before
            // them can be decoded, the end-of-sequence mark included.
            const bool startCode = buf[1] == 1 && buf.size() == 9 && buf[5] == 0 && buf[6] == 0 &&
                                   (buf[7] == 1 || (buf[7] == 0 && buf[8] == 1));
            if (startCode)
                pictureSetupOpen = false;
            else
                head.picturesBeforeSetup.push_back(tagOffset);
            continue;
        }
        if (type != kScriptTag || encrypted || !scripts) continue;
        scriptBytes += size;
        // A tag cut short by the end of the file still gives what it holds.
        std::vector<std::uint8_t> data;
        if (!fetch(source, dataOffset, size, true, data)) continue;
        amf0::Reader reader(data);
        const AmfValue name = reader.read();
        if (name.type() != AmfValue::Type::String || reader.atEnd()) continue;
        const bool metadata = name.toString() == QLatin1String("onMetaData");
        if (!metadata && name.toString() != QLatin1String("onCuePoint")) continue;
        AmfValue value = reader.read();
        if (reader.overLimit()) head.oversizedScriptTags.push_back(tagOffset);
        if (metadata && !head.metadata) head.metadata = std::move(value);
    }
    return head;
}

std::optional<AmfValue> findFlvMetadata(std::span<const std::uint8_t> file) {
    auto source = MediaSource::fromMemory(file);
    return source ? readFlvHead(*source).metadata : std::nullopt;
}

std::optional<AmfValue> readFlvMetadata(const QString& path) {
    auto source = MediaSource::openFile(path);
    return source ? readFlvHead(*source).metadata : std::nullopt;
}

bool outgrowsFlvMetadata(const AmfValue& metadata, std::int64_t fileSize) {
    const AmfValue* size = metadata.find(QStringLiteral("filesize"));
    if (!size || !size->isNumber() || !(size->toNumber() > 0)) return false;
    const double slack = 4096 + size->toNumber() / 100;
    return static_cast<double>(fileSize) > size->toNumber() + slack;
}

void mendFlvMetadataDuration(AmfValue& metadata, double duration) {
    if (metadata.isObject() && metadata.find(QStringLiteral("duration")))
        metadata.set(QStringLiteral("duration"), AmfValue::number(duration));
}

std::optional<double> flvMetadataDuration(const AmfValue& metadata) {
    const AmfValue* said =
        metadata.isObject() ? metadata.find(QStringLiteral("duration")) : nullptr;
    if (!said || !said->isNumber()) return std::nullopt;
    const double d = said->toNumber();
    if (!(d > 0) || !std::isfinite(d)) return std::nullopt;
    return d;
}

void fillFlvMetadataDuration(AmfValue& metadata, double duration) {
    if (!metadata.isObject() || !std::isfinite(duration) || duration <= 0) return;
    if (flvMetadataDuration(metadata)) return;
    metadata.set(QStringLiteral("duration"), AmfValue::number(duration));
}

void mendFlvMetadataSize(AmfValue& metadata, QSize stored, QSize shown) {
    if (shown == stored || !metadata.isObject()) return;
    const AmfValue* w = metadata.find(QStringLiteral("width"));
    const AmfValue* h = metadata.find(QStringLiteral("height"));
    if (!w || !h || w->toNumber() != stored.width() || h->toNumber() != stored.height()) return;
    metadata.set(QStringLiteral("width"), AmfValue::number(shown.width()));
    metadata.set(QStringLiteral("height"), AmfValue::number(shown.height()));
}

} // namespace zimo::media
