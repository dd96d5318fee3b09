#include "media/media_file.h"

#include <zimo/file_name_text.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

namespace zimo::media {

void FrameDeleter::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
struct CodecCloser {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// Containers the stream plays: Flash Video and the MP4 family (F4V).
bool acceptedFormat(const AVInputFormat* fmt) {
    if (!fmt || !fmt->name) return false;
    const QByteArray name(fmt->name);
    return name == "flv" || name == "live_flv" || name.startsWith("mov,");
}

// The file a path names, by the exact bytes of its name (see file_name_text.h), made
// absolute; empty for a name that holds a NUL, which no file has.
std::filesystem::path localFile(const QString& path) {
    const QByteArray name = fileNameBytes(path);
    std::error_code error;
    if (name.isEmpty() || name.contains('\0')) return {};
    auto file =
        std::filesystem::absolute(std::string(name.constData(), std::size_t(name.size())), error);
    return error ? std::filesystem::path() : file;
}

// Recognises the container from the first bytes, so nothing but the accepted
// demuxers ever reads the file.
const AVInputFormat* probe(const std::filesystem::path& file) {
    std::ifstream f(file, std::ios::binary);
    if (!f) return nullptr;
    constexpr int kProbeBytes = 8192;
    std::vector<unsigned char> buf(kProbeBytes + AVPROBE_PADDING_SIZE, 0);
    f.read(reinterpret_cast<char*>(buf.data()), kProbeBytes);
    const std::streamsize n = f.gcount();
    if (n <= 0) return nullptr;
    AVProbeData pd{};
    pd.filename = "";
    pd.buf = buf.data();
    pd.buf_size = static_cast<int>(n);
    int score = 0;
    const AVInputFormat* fmt = av_probe_input_format3(&pd, 1, &score);
    return acceptedFormat(fmt) ? fmt : nullptr;
}

double toSeconds(std::int64_t ts, AVRational tb) {
    if (ts == AV_NOPTS_VALUE) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(ts) * av_q2d(tb);
}

} // namespace

struct MediaFile::Impl {
    std::unique_ptr<AVFormatContext, FormatCloser> fmt;
    std::unique_ptr<AVCodecContext, CodecCloser> video;
    std::unique_ptr<AVCodecContext, CodecCloser> audio;
    std::unique_ptr<AVPacket, PacketFree> packet{av_packet_alloc()};
    int videoIndex = -1;
    int audioIndex = -1;
    MediaInfo info;
    bool inputEnded = false;        // demuxer at its end, decoders told to drain
    bool videoFlushPending = false; // the demuxer ended; the video decoder is yet to be told
    bool videoDrained = false;
    bool audioDrained = false;
    // Video packets read ahead while only sound was wanted.
    std::deque<std::unique_ptr<AVPacket, PacketFree>> stash;
    std::int64_t stashBytes = 0;
    double nextVideoPts = 0; // fallback times for frames without one
    double nextAudioPts = 0;

    std::unique_ptr<AVCodecContext, CodecCloser> openDecoder(int index) {
        AVStream* st = fmt->streams[index];
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec) return nullptr;
        std::unique_ptr<AVCodecContext, CodecCloser> ctx(avcodec_alloc_context3(codec));
        if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) return nullptr;
        ctx->pkt_timebase = st->time_base;
        ctx->max_pixels = kMaxPixels;
        ctx->thread_count = 0;
        ctx->thread_type = FF_THREAD_SLICE;
        if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
        return ctx;
    }

    // Takes one decoded frame from a decoder, if it has one ready.
    bool receive(AVCodecContext* ctx, int index, bool& drained, double& nextPts, Item& out) {
        if (!ctx || drained) return false;
        FramePtr frame(av_frame_alloc());
        const int ret = avcodec_receive_frame(ctx, frame.get());
        if (ret == AVERROR_EOF) {
            drained = true;
            return false;
        }
        if (ret < 0) return false; // EAGAIN: needs input
        const AVRational tb = fmt->streams[index]->time_base;
        double pts = toSeconds(frame->best_effort_timestamp, tb);
        if (std::isnan(pts)) pts = nextPts;
        double duration = toSeconds(frame->pkt_duration, tb);
        if (ctx->codec_type == AVMEDIA_TYPE_AUDIO && frame->sample_rate > 0)
            duration = static_cast<double>(frame->nb_samples) / frame->sample_rate;
        if (ctx->codec_type == AVMEDIA_TYPE_VIDEO && !(duration > 0)) {
            const AVRational rate = av_guess_frame_rate(fmt.get(), fmt->streams[index], nullptr);
            duration = rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0;
        }
        if (std::isnan(duration) || duration < 0) duration = 0;
        nextPts = pts + duration;
        out.kind = ctx->codec_type == AVMEDIA_TYPE_VIDEO ? Item::Kind::Video : Item::Kind::Audio;
        out.pts = std::max(0.0, pts);
        out.duration = duration;
        out.frame = std::move(frame);
        return true;
    }

    // Every frame is taken before the next packet goes in, so the decoder never
    // refuses input for want of room; a packet it rejects as damaged is dropped.
    void send(AVCodecContext* ctx, const AVPacket* pkt) { avcodec_send_packet(ctx, pkt); }
};

MediaFile::MediaFile(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
MediaFile::~MediaFile() = default;

const MediaInfo& MediaFile::info() const {
    return d->info;
}

std::unique_ptr<MediaFile> MediaFile::open(const QString& path) {
    const std::filesystem::path file = localFile(path);
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error) ||
        std::filesystem::file_size(file, error) == 0 || error)
        return nullptr;
    const AVInputFormat* format = probe(file);
    if (!format) return nullptr;

    auto impl = std::make_unique<Impl>();
    if (!impl->packet) return nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* raw = nullptr;
    const std::string url = "file:" + file.native();
    const int ret = avformat_open_input(&raw, url.c_str(), format, &options);
    av_dict_free(&options);
    if (ret < 0) return nullptr;
    impl->fmt.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0) return nullptr;

    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        const auto type = raw->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && impl->videoIndex < 0 &&
            !(raw->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            if ((impl->video = impl->openDecoder(static_cast<int>(i))))
                impl->videoIndex = static_cast<int>(i);
        } else if (type == AVMEDIA_TYPE_AUDIO && impl->audioIndex < 0) {
            if ((impl->audio = impl->openDecoder(static_cast<int>(i))))
                impl->audioIndex = static_cast<int>(i);
        }
    }
    if (!impl->video && !impl->audio) return nullptr;
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        if (static_cast<int>(i) != impl->videoIndex && static_cast<int>(i) != impl->audioIndex)
            raw->streams[i]->discard = AVDISCARD_ALL;
    }

    MediaInfo& info = impl->info;
    info.flv = !QByteArray(format->name).startsWith("mov,");
    info.hasVideo = impl->video != nullptr;
    info.hasAudio = impl->audio != nullptr;
    info.duration = raw->duration > 0 ? static_cast<double>(raw->duration) / AV_TIME_BASE
                                      : std::numeric_limits<double>::quiet_NaN();
    if (impl->video) {
        info.width = impl->video->width;
        info.height = impl->video->height;
        info.videoCodec = QString::fromLatin1(impl->video->codec->name);
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(impl->video->pix_fmt);
        info.videoHasAlpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
    }
    if (impl->audio) info.audioCodec = QString::fromLatin1(impl->audio->codec->name);
    return std::unique_ptr<MediaFile>(new MediaFile(std::move(impl)));
}

MediaFile::Item MediaFile::next(bool wantVideo) {
    Impl& s = *d;
    Item item;
    bool video = wantVideo || !s.video || s.stashBytes > kMaxStashBytes;
    for (;;) {
        if (video && s.receive(s.video.get(), s.videoIndex, s.videoDrained, s.nextVideoPts, item))
            return item;
        if (s.receive(s.audio.get(), s.audioIndex, s.audioDrained, s.nextAudioPts, item))
            return item;
        if (video && !s.stash.empty()) {
            s.send(s.video.get(), s.stash.front().get());
            s.stashBytes -= s.stash.front()->size;
            s.stash.pop_front();
            continue;
        }
        if (video && s.videoFlushPending) {
            avcodec_send_packet(s.video.get(), nullptr);
            s.videoFlushPending = false;
            continue;
        }
        if (s.inputEnded) {
            if (!video) { // only pictures are left
                video = true;
                continue;
            }
            const bool videoDone = !s.video || s.videoDrained;
            const bool audioDone = !s.audio || s.audioDrained;
            if (videoDone && audioDone) return {};
            // A decoder that neither gives a frame nor reports its end is
            // treated as drained so a broken stream cannot spin here.
            s.videoDrained = s.audioDrained = true;
            return {};
        }
        av_packet_unref(s.packet.get());
        const int ret = av_read_frame(s.fmt.get(), s.packet.get());
        if (ret < 0) {
            s.inputEnded = true;
            if (s.audio) avcodec_send_packet(s.audio.get(), nullptr);
            s.videoFlushPending = s.video != nullptr;
            continue;
        }
        if (s.packet->stream_index == s.videoIndex) {
            if (video && s.stash.empty()) {
                s.send(s.video.get(), s.packet.get());
            } else {
                // Pictures are not wanted yet: keep the packet so sound can go on.
                s.stashBytes += s.packet->size;
                s.stash.emplace_back(av_packet_clone(s.packet.get()));
                if (!s.stash.back()) s.stash.pop_back();
                if (s.stashBytes > kMaxStashBytes) video = true;
            }
        } else if (s.packet->stream_index == s.audioIndex) {
            s.send(s.audio.get(), s.packet.get());
        }
    }
}

bool MediaFile::seek(double seconds) {
    Impl& s = *d;
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    const auto ts = static_cast<std::int64_t>(seconds * AV_TIME_BASE);
    int ret = av_seek_frame(s.fmt.get(), -1, ts, AVSEEK_FLAG_BACKWARD);
    if (ret < 0)
        ret = avformat_seek_file(s.fmt.get(), -1, std::numeric_limits<std::int64_t>::min(), ts, ts,
                                 0);
    if (s.video) avcodec_flush_buffers(s.video.get());
    if (s.audio) avcodec_flush_buffers(s.audio.get());
    s.stash.clear();
    s.stashBytes = 0;
    s.videoFlushPending = false;
    s.inputEnded = false;
    s.videoDrained = false;
    s.audioDrained = false;
    s.nextVideoPts = seconds;
    s.nextAudioPts = seconds;
    return ret >= 0;
}

} // namespace zimo::media
