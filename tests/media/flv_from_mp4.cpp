#include "flv_from_mp4.h"

#include "amf_writer.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QFile>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

namespace zimo::media::test {

namespace {

constexpr int kAudioTag = 8;
constexpr int kVideoTag = 9;
// The codecs, by their number in the older layout and their FourCC in the extended one
// (which the metadata gives as a number too).
struct Codec {
    AVCodecID id;
    int number;
    std::uint32_t fourCc;
    bool compositionTime; // in the extended layout
};
constexpr Codec kCodecs[] = {{AV_CODEC_ID_H264, 7, 0x61766331, true}, // in the older layout only
                             {AV_CODEC_ID_HEVC, 12, 0x68766331, true},
                             {AV_CODEC_ID_AV1, 13, 0x61763031, false},
                             {AV_CODEC_ID_VP9, 15, 0x76703039, false},
                             {AV_CODEC_ID_VP8, 14, 0x76703038, false}};
// A VP8 or VP9 configuration record: version and flags, then profile 0, level 1, 8 bits 4:2:0.
const QByteArray kVpSetup("\x01\x00\x00\x00\x00\x0a\x80\x00\x00\x00\x00\x00", 12);
// The sound's codecs: the first byte of their tags in the older layout (AAC's says 44 kHz,
// 16-bit, stereo, what Flash says of all AAC), if they have one, and their FourCC in the
// extended one.
struct SoundCodec {
    AVCodecID id;
    int flags;
    std::uint32_t fourCc;
};
constexpr SoundCodec kSoundCodecs[] = {
    {AV_CODEC_ID_AAC, 0xaf, 0x6d703461}, {AV_CODEC_ID_MP3, 0x2f, 0x2e6d7033},
    {AV_CODEC_ID_OPUS, 0, 0x4f707573},   {AV_CODEC_ID_FLAC, 0, 0x664c6143},
    {AV_CODEC_ID_AC3, 0, 0x61632d33},    {AV_CODEC_ID_EAC3, 0, 0x65632d33}};

QByteArray bytes(const std::uint8_t* data, int size) {
    return {reinterpret_cast<const char*>(data), size};
}

// onMetaData with the keyframes' times and places when `keyFrames` is given.
QByteArray metadata(double duration, const AVCodecParameters& video, double codecId,
                    double soundCodecId, const std::vector<std::pair<double, double>>* keyFrames) {
    AmfWriter w;
    w.string("onMetaData").beginEcmaArray(0);
    w.name("duration").number(duration);
    w.name("width").number(video.width);
    w.name("height").number(video.height);
    w.name("videocodecid").number(codecId);
    w.name("audiocodecid").number(soundCodecId);
    if (keyFrames) {
        w.name("keyframes").beginObject();
        w.name("times").strictArray(static_cast<std::uint32_t>(keyFrames->size()));
        for (const auto& k : *keyFrames)
            w.number(k.first);
        w.name("filepositions").strictArray(static_cast<std::uint32_t>(keyFrames->size()));
        for (const auto& k : *keyFrames)
            w.number(k.second);
        w.end();
    }
    w.end();
    return flvTag(18, w.bytes);
}

// The first bytes of a sound tag: of the set-up (0), frames (1) or the sequence's end (2).
QByteArray soundHead(const SoundCodec* codec, bool extended, int type) {
    AmfWriter w;
    if (extended) return w.u8(0x90 | type).u32(codec->fourCc).bytes;
    w.u8(codec->flags);
    return codec->id == AV_CODEC_ID_AAC ? w.u8(type).bytes : w.bytes;
}

// The codec's set-up as its sequence start carries it: FLAC's STREAMINFO behind the signature
// and the block's header, the others' as the MP4 has it (none for AC-3 and MP3).
QByteArray soundSetup(const AVCodecParameters& sound) {
    const QByteArray setup = bytes(sound.extradata, sound.extradata_size);
    if (sound.codec_id == AV_CODEC_ID_FLAC && setup.size() == 34)
        return QByteArray("fLaC\x80\x00\x00\x22", 8) + setup;
    return setup;
}

} // namespace

bool writeAddedCodecFlv(const QString& mp4, const QString& flv, Layout layout, bool extended,
                        bool extendedSound) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, mp4.toUtf8().constData(), nullptr, nullptr) < 0) return false;
    const std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> in(
        raw, [](AVFormatContext* c) { avformat_close_input(&c); });
    if (avformat_find_stream_info(raw, nullptr) < 0) return false;
    const int v = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int a = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (v < 0) return false;
    const AVCodecParameters& video = *raw->streams[v]->codecpar;
    const auto* codec = std::find_if(std::begin(kCodecs), std::end(kCodecs),
                                     [&](const Codec& c) { return c.id == video.codec_id; });
    if (codec == std::end(kCodecs)) return false;
    const double codecId = extended ? codec->fourCc : codec->number;

    // The flags, packet type and composition time, or the flags and FourCC and the time.
    const auto videoHead = [extended, codec](bool key, int type, int composition) {
        AmfWriter w;
        if (!extended)
            return w.u8((key ? 0x10 : 0x20) | codec->number).u8(type).u24(composition).bytes;
        const bool timed = type == 1 && composition != 0 && codec->compositionTime;
        w.u8(0x80 | (key ? 0x10 : 0x20) | (type == 1 && !timed ? 3 : type)).u32(codec->fourCc);
        return timed ? w.u24(composition).bytes : w.bytes;
    };
    const QByteArray setup = video.extradata_size > 0 ? bytes(video.extradata, video.extradata_size)
                                                      : (video.codec_id == AV_CODEC_ID_VP9 ||
                                                                 video.codec_id == AV_CODEC_ID_VP8
                                                             ? kVpSetup
                                                             : QByteArray());
    QByteArray body = flvTag(kVideoTag, videoHead(true, 0, 0) + setup);
    const SoundCodec* sound = nullptr;
    if (a >= 0) {
        const AVCodecParameters& audio = *raw->streams[a]->codecpar;
        sound = std::find_if(std::begin(kSoundCodecs), std::end(kSoundCodecs),
                             [&](const SoundCodec& c) { return c.id == audio.codec_id; });
        if (sound == std::end(kSoundCodecs)) return false;
        extendedSound = extendedSound || !sound->flags;
        // E-AC-3 gets a sequence start with nothing in it, as FFmpeg's muxer writes it.
        if (const QByteArray s = soundSetup(audio); !s.isEmpty() || sound->id == AV_CODEC_ID_EAC3)
            body += flvTag(kAudioTag, soundHead(sound, extendedSound, 0) + s);
    }
    const double soundCodecId = !sound ? 0 : extendedSound ? sound->fourCc : sound->flags >> 4;
    std::vector<std::pair<double, double>> keyFrames; // time, offset in the body
    std::unique_ptr<AVPacket, void (*)(AVPacket*)> p(av_packet_alloc(),
                                                     [](AVPacket* q) { av_packet_free(&q); });
    std::int64_t first = AV_NOPTS_VALUE; // in milliseconds
    double last = 0;
    std::uint32_t lastPicture = 0, lastSound = 0; // in milliseconds
    while (av_read_frame(raw, p.get()) >= 0) {
        const AVRational tb = raw->streams[p->stream_index]->time_base;
        const std::int64_t dts = av_rescale_q(p->dts, tb, {1, 1000});
        const std::int64_t pts = av_rescale_q(p->pts, tb, {1, 1000});
        if (first == AV_NOPTS_VALUE) first = dts;
        const auto ms = static_cast<std::uint32_t>(dts - first);
        last = std::max(last, (pts - first) / 1000.0);
        if (p->stream_index == v) {
            const bool key = p->flags & AV_PKT_FLAG_KEY;
            if (key) keyFrames.emplace_back(ms / 1000.0, body.size());
            lastPicture = ms;
            body += flvTag(kVideoTag,
                           videoHead(key, 1, static_cast<int>(pts - dts)) + bytes(p->data, p->size),
                           ms);
        } else if (p->stream_index == a) {
            lastSound = ms;
            body +=
                flvTag(kAudioTag, soundHead(sound, extendedSound, 1) + bytes(p->data, p->size), ms);
        }
        av_packet_unref(p.get());
    }
    if (extended) body += flvTag(kVideoTag, videoHead(true, 2, 0), lastPicture);
    if (sound && extendedSound) body += flvTag(kAudioTag, soundHead(sound, true, 2), lastSound);
    QByteArray file = flvHeader();
    if (layout == Layout::FlvIndexed) {
        // Numbers are of one size, so the places are known from the tag's size.
        const qsizetype start =
            file.size() + metadata(last, video, codecId, soundCodecId, &keyFrames).size();
        for (auto& k : keyFrames)
            k.second += start;
        file += metadata(last, video, codecId, soundCodecId, &keyFrames);
    } else if (layout == Layout::Flv) {
        file += metadata(last, video, codecId, soundCodecId, nullptr);
    }
    QFile out(flv);
    return layout != Layout::Mp4 && out.open(QIODevice::WriteOnly) && out.write(file + body) > 0;
}

} // namespace zimo::media::test
