#include "media/flv_added_sound.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstring>
#include <iterator>

namespace zimo::media {

namespace {

struct SoundCodec {
    char fourCc[4];
    AVCodecID id;
};
constexpr SoundCodec kCodecs[] = {
    {{'O', 'p', 'u', 's'}, AV_CODEC_ID_OPUS}, {{'f', 'L', 'a', 'C'}, AV_CODEC_ID_FLAC},
    {{'a', 'c', '-', '3'}, AV_CODEC_ID_AC3},  {{'e', 'c', '-', '3'}, AV_CODEC_ID_EAC3},
    {{'.', 'm', 'p', '3'}, AV_CODEC_ID_MP3},  {{'m', 'p', '4', 'a'}, AV_CODEC_ID_AAC}};

// The first three letters tell the codecs apart.
const SoundCodec* byLetters(const std::uint8_t* letters) {
    const auto* c = std::find_if(std::begin(kCodecs), std::end(kCodecs), [&](const SoundCodec& s) {
        return std::memcmp(s.fourCc, letters, 3) == 0;
    });
    return c == std::end(kCodecs) ? nullptr : c;
}

constexpr int kSoundTag = 8;
constexpr int kExHeader = 9; // the high four bits of the flags
// Packet types followed by the FourCC: the set-up, frames, the end of the sequence, a
// channel layout. (Several tracks and modifiers put other bytes first.)
enum : std::uint8_t { kSetup = 0, kFrames = 1, kSequenceEnd = 2, kChannels = 4 };
// What the rewritten flags say of every tag: 44 kHz, 16-bit, stereo. The decoder finds
// what the sound really is.
constexpr std::uint8_t kRewrittenFlags = (kExHeader << 4) | 0x0f;
constexpr int kHeadSize = 4; // packet type, three letters

// Drops the note of a change of rate or channels the demuxer makes when the flags it
// reads change (a tag in a layout not rewritten, such as one of several tracks, has
// others); the decoders of these codecs take no such notes.
void dropRateChange(AVPacket& packet) {
    for (int i = 0; i < packet.side_data_elems;) {
        AVPacketSideData& sd = packet.side_data[i];
        if (sd.type != AV_PKT_DATA_PARAM_CHANGE) {
            ++i;
            continue;
        }
        av_free(sd.data);
        sd = packet.side_data[--packet.side_data_elems];
    }
}

} // namespace

bool isExtendedSoundTag(std::span<const std::uint8_t, kFlvExtendedTagHead> tag, int from, int to) {
    static constexpr ExtendedTagShape kShape{
        kSoundTag,
        [](std::uint8_t flags) {
            const int type = flags & 0x0f;
            return (flags >> 4) == kExHeader &&
                   (type == kSetup || type == kFrames || type == kSequenceEnd || type == kChannels);
        },
        [](int at, std::uint8_t letter) {
            return std::any_of(std::begin(kCodecs), std::end(kCodecs),
                               [&](const SoundCodec& c) { return letter == c.fourCc[at]; });
        },
        [](const std::uint8_t* fourCc) {
            return std::any_of(std::begin(kCodecs), std::end(kCodecs), [&](const SoundCodec& c) {
                return std::memcmp(c.fourCc, fourCc, 4) == 0;
            });
        }};
    return fitsExtendedTag(tag, from, to, kShape);
}

void rewriteExtendedSoundHead(std::span<std::uint8_t, 5> body) {
    const std::uint8_t type = body[0] & 0x0f;
    body[0] = kRewrittenFlags;
    std::copy_backward(body.begin() + 1, body.begin() + 4, body.end());
    body[1] = type;
}

bool awaitsFlvAddedSound(const AVStream& stream) {
    const AVCodecParameters& par = *stream.codecpar;
    return par.codec_type == AVMEDIA_TYPE_AUDIO && par.codec_id == AV_CODEC_ID_NONE &&
           par.codec_tag == kExHeader;
}

bool FlvAddedSound::adopt(AVStream& stream, std::span<const std::uint8_t> first) {
    if (!awaitsFlvAddedSound(stream) || first.size() < kHeadSize) return false;
    AVCodecParameters& par = *stream.codecpar;
    const SoundCodec* codec = byLetters(first.data() + 1);
    if (!codec) return false;
    std::copy_n(first.data() + 1, 3, letters_);
    par.codec_id = codec->id;
    // The rate and channels the demuxer took from the flags are not the sound's; the
    // decoder learns them from the set-up or the frames.
    par.sample_rate = 0;
    av_channel_layout_uninit(&par.ch_layout);
    if (first[0] == kSetup) giveStreamSetup(par, first.subspan(kHeadSize));
    return true;
}

bool FlvAddedSound::unwrap(AVPacket& packet) {
    if (packet.size <= kHeadSize || std::memcmp(packet.data + 1, letters_, 3) != 0) return false;
    if (packet.data[0] == kSetup) {
        setup_.assign(packet.data + kHeadSize, packet.data + packet.size);
        return false;
    }
    if (packet.data[0] != kFrames) return false;
    packet.data += kHeadSize;
    packet.size -= kHeadSize;
    dropRateChange(packet);
    givePendingSetup(packet, setup_);
    return true;
}

} // namespace zimo::media
