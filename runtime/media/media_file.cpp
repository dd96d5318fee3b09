#include "media/media_file.h"

#include "media/decoder_setups.h"
#include "media/flv_metadata.h"
#include "media/flv_timeline.h"
#include "media/picture_turn.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>
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
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// A sound that starts this much before the first picture is part of the file, not an
// encoder's delay: the playing time then starts with the sound.
constexpr double kMaxPictureDelay = 0.5;

// No single allocation FFmpeg makes for a file may be larger: the biggest picture and
// the biggest tag take a small part of it, while a count in a file can ask the demuxer
// for gigabytes at once (an index of keyframes claiming 2^28 entries in a few bytes).
constexpr std::size_t kMaxAllocation = 256u << 20;

// Containers the stream plays: Flash Video and the MP4 family (F4V).
bool acceptedFormat(const AVInputFormat* fmt) {
    if (!fmt || !fmt->name) return false;
    const QByteArray name(fmt->name);
    return name == "flv" || name == "live_flv" || name.startsWith("mov,");
}

// Recognises the container from the first bytes, so nothing but the accepted
// demuxers ever reads the file.
const AVInputFormat* probe(MediaSource& source) {
    constexpr int kProbeBytes = 2048; // FFmpeg's own first look; enough for both containers
    std::vector<unsigned char> buf(kProbeBytes + AVPROBE_PADDING_SIZE, 0);
    const std::int64_t n = source.readAt(0, buf.data(), kProbeBytes);
    if (n <= 0) return nullptr;
    AVProbeData pd{};
    pd.filename = "";
    pd.buf = buf.data();
    pd.buf_size = static_cast<int>(n);
    int score = 0;
    const AVInputFormat* fmt = av_probe_input_format3(&pd, 1, &score);
    return acceptedFormat(fmt) ? fmt : nullptr;
}

// The demuxers open nothing but the input they are given.
int refuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

// The largest Flash Video file read through as it opens, when its timeline may break.
constexpr std::int64_t kMaxReadThroughAtOpen = 512LL << 20;

// The least margin before a seek's time within which every picture is decoded: the
// picture due then is the last that starts at or before it, and lies within a picture's
// interval of it however the interval was guessed.
constexpr double kSkipMargin = 0.25;

double toSeconds(std::int64_t ts, AVRational tb) {
    if (ts == AV_NOPTS_VALUE) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(ts) * av_q2d(tb);
}

std::int64_t toTicks(double seconds, AVRational tb) {
    return static_cast<std::int64_t>(std::llround(seconds / av_q2d(tb)));
}

} // namespace

struct MediaFile::Impl {
    // The input outlives the demuxer that reads it.
    std::unique_ptr<DemuxerInput> input;
    std::unique_ptr<AVFormatContext, FormatCloser> fmt;
    std::unique_ptr<AVCodecContext, CodecCloser> video;
    std::unique_ptr<AVCodecContext, CodecCloser> audio;
    PacketPtr packet{av_packet_alloc()};
    int videoIndex = -1;
    int audioIndex = -1;
    int leadIndex = -1; // the stream seeks are judged by: the picture's, else the sound's
    int videoTurns = 0; // quarter turns clockwise the container says the picture is shown by
    MediaInfo info;
    std::optional<AmfValue> metadata;
    bool inputEnded = false;        // demuxer at its end, decoders told to drain
    bool videoFlushPending = false; // the demuxer ended; the video decoder is yet to be told
    bool videoDrained = false;
    bool audioDrained = false;
    // Packets read ahead by a seek, to be decoded first.
    std::deque<PacketPtr> pending;
    // Video packets read ahead while only sound was wanted.
    std::deque<PacketPtr> stash;
    std::int64_t stashBytes = 0;
    double nextVideoPts = 0; // fallback times for frames without one
    double nextAudioPts = 0;

    // Playing time = file time - origin, and for Flash Video less what closes the breaks
    // in its timeline (its tags come in time order, so a jump is a break).
    double origin = 0;
    bool closesGaps = false;
    FlvTimeline timeline;
    // A file with breaks is not seeked by its timestamps, which may mean two places or
    // none: it is read through once, noting where reading may resume.
    bool breaksSeen = false;
    bool resumePointsMade = false;
    bool notingResumePoints = false;
    FlvResumePoints resumePoints;
    double playedThrough = 0; // where the file's last packet ends, once read through
    // The set-ups of the two streams (picture, sound): as read while noting resume points,
    // as last given to the decoders, and to be given with the next packet they decode.
    DecoderSetups setups;
    std::array<int, 2> readSetup{DecoderSetups::kOwn, DecoderSetups::kOwn};
    std::array<int, 2> decoderSetup{DecoderSetups::kOwn, DecoderSetups::kOwn};
    std::array<std::optional<int>, 2> giveSetup;

    std::unique_ptr<AVCodecContext, CodecCloser> openDecoder(int index, const Options& options) {
        AVStream* st = fmt->streams[index];
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec) return nullptr;
        std::unique_ptr<AVCodecContext, CodecCloser> ctx(avcodec_alloc_context3(codec));
        if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) return nullptr;
        ctx->pkt_timebase = st->time_base;
        ctx->max_pixels = options.maxPixels;
        ctx->thread_count = options.decoderThreads;
        ctx->thread_type = FF_THREAD_SLICE;
        if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
        return ctx;
    }

    std::optional<double> streamStart(int index) const {
        if (index < 0) return std::nullopt;
        const AVStream* st = fmt->streams[index];
        if (st->start_time == AV_NOPTS_VALUE) return std::nullopt;
        return toSeconds(st->start_time, st->time_base);
    }

    // Playing time starts with the first picture, unless the sound starts well before it.
    void chooseOrigin() {
        const auto v = streamStart(videoIndex);
        const auto a = streamStart(audioIndex);
        if (v && a)
            origin = *v - *a > kMaxPictureDelay ? *a : *v;
        else if (v)
            origin = *v;
        else if (a)
            origin = *a;
    }

    void moveTimes(AVPacket* p, double seconds) {
        const std::int64_t ticks = toTicks(seconds, fmt->streams[p->stream_index]->time_base);
        if (p->pts != AV_NOPTS_VALUE) p->pts -= ticks;
        if (p->dts != AV_NOPTS_VALUE) p->dts -= ticks;
    }

    // Reads the next packet of our streams from the demuxer into `packet`, in playing
    // time. False at the end of the input (or on an error or an interruption, which end
    // it too).
    bool readNext() {
        for (;;) {
            av_packet_unref(packet.get());
            if (av_read_frame(fmt.get(), packet.get()) < 0) return false;
            const int index = packet->stream_index;
            if (index != videoIndex && index != audioIndex) continue;
            input->packetTaken();
            moveTimes(packet.get(), origin);
            const AVRational tb = fmt->streams[index]->time_base;
            const double t =
                toSeconds(packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts, tb);
            if (!closesGaps || std::isnan(t)) return true;
            const FlvTimeline::State before = timeline.state();
            double lasts = toSeconds(packet->duration, tb);
            if (index == videoIndex && !(lasts > 0)) lasts = pictureInterval();
            const double placed = timeline.place(
                index == videoIndex ? FlvTimeline::Picture : FlvTimeline::Sound, t, lasts);
            moveTimes(packet.get(), t - placed);
            breaksSeen = breaksSeen || timeline.sawBreak();
            if (!notingResumePoints) return true;
            const auto slot = static_cast<std::size_t>(index == videoIndex ? 0 : 1);
            if (const auto brought = setups.brought(*packet)) readSetup[slot] = *brought;
            if (index == leadIndex && (packet->flags & AV_PKT_FLAG_KEY))
                resumePoints.note({placed, packet->pos, before, readSetup});
            return true;
        }
    }

    bool readPacket(PacketPtr& out) {
        while (readNext()) {
            out.reset(av_packet_clone(packet.get()));
            if (out) return true;
        }
        return false;
    }

    // The packets the demuxer read ahead to learn the streams, up to `end`, are placed on
    // the timeline at once, so that a break among them is known before the first seek: the
    // demuxer's index of key frames by time may already mix the parts.
    void placeReadAhead(std::int64_t end) {
        PacketPtr p;
        while ((pending.empty() || pending.back()->pos < end) && readPacket(p))
            pending.push_back(std::move(p));
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
        if (ctx->codec_type == AVMEDIA_TYPE_VIDEO && !(duration > 0)) duration = pictureInterval();
        if (std::isnan(duration) || duration < 0) duration = 0;
        nextPts = pts + duration;
        if (ctx->codec_type == AVMEDIA_TYPE_VIDEO && videoTurns)
            carryStreamTurn(*fmt->streams[index], *frame);
        out.kind = ctx->codec_type == AVMEDIA_TYPE_VIDEO ? Item::Kind::Video : Item::Kind::Audio;
        out.pts = pts;
        out.duration = duration;
        out.frame = std::move(frame);
        return true;
    }

    // Every frame is taken before the next packet goes in, so the decoder never
    // refuses input for want of room; a packet it rejects as damaged is dropped.
    void send(AVCodecContext* ctx, AVPacket* pkt) {
        const auto slot = static_cast<std::size_t>(ctx == video.get() ? 0 : 1);
        if (pkt) {
            const int index = slot == 0 ? videoIndex : audioIndex;
            if (giveSetup[slot] && !setups.brought(*pkt))
                setups.give(*pkt, *giveSetup[slot], *fmt->streams[index]->codecpar);
            giveSetup[slot].reset();
            if (const auto brought = setups.brought(*pkt)) decoderSetup[slot] = *brought;
        }
        if (ctx == video.get()) {
            // On the way to a seek's time, pictures that no other picture is made from
            // and that are over before the time are not decoded at all: about a third
            // of an H.264 stream with B-frames.
            const double t = pkt ? toSeconds(pkt->pts, fmt->streams[videoIndex]->time_base)
                                 : std::numeric_limits<double>::quiet_NaN();
            ctx->skip_frame = t < skipUnusedBefore ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        }
        avcodec_send_packet(ctx, pkt);
    }

    // Pictures before this playing time that no other picture refers to are skipped: the
    // seek's time, or the time due while the decoder is behind, less a margin in which
    // the picture due then may lie.
    double skipUnusedBefore = -std::numeric_limits<double>::infinity();

    void skipUnusedUpTo(double target) {
        skipUnusedBefore = target - std::max(2 * pictureInterval(), kSkipMargin);
    }

    // Seconds from one picture to the next by the frame rate the stream gives or FFmpeg
    // guesses; 0 when neither is known or there are no pictures.
    double pictureInterval() const {
        if (videoIndex < 0) return 0;
        const AVRational rate = av_guess_frame_rate(fmt.get(), fmt->streams[videoIndex], nullptr);
        return rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0;
    }

    // Positions the demuxer at the last key frame of the lead stream at or before the
    // playing time `at`; false when there is none.
    bool seekBackTo(double at) {
        const AVStream* st = fmt->streams[leadIndex];
        const std::int64_t target = toTicks(at + origin, st->time_base);
        learnKeyFramesUpTo(target);
        return av_seek_frame(fmt.get(), leadIndex, target, AVSEEK_FLAG_BACKWARD) >= 0;
    }

    // A file without an index of its key frames (a Flash Video file with none in its
    // metadata) is seeked by the key frames the demuxer has met so far; a time beyond
    // them is found by reading on from the last one. That read is done here, packet by
    // packet, so that the input's limit on reading without a packet coming out (meant
    // for data that is no longer a stream) does not end it tens of megabytes on, as it
    // would inside the demuxer's own seek.
    void learnKeyFramesUpTo(std::int64_t target) {
        AVStream* st = fmt->streams[leadIndex];
        const int known = avformat_index_get_entries_count(st);
        if (known <= 0) return;
        const AVIndexEntry* last = avformat_index_get_entry(st, known - 1);
        if (!last || last->timestamp >= target) return;
        if (av_seek_frame(fmt.get(), leadIndex, last->timestamp, AVSEEK_FLAG_BACKWARD) < 0) return;
        const std::int64_t limit = toTicks(closesGaps ? kMaxStepBack : 0, st->time_base);
        std::int64_t before = AV_NOPTS_VALUE;
        for (;;) {
            av_packet_unref(packet.get());
            if (av_read_frame(fmt.get(), packet.get()) < 0) return;
            input->packetTaken();
            if (packet->stream_index != leadIndex) continue;
            const std::int64_t t = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            if (t == AV_NOPTS_VALUE) continue;
            // Timestamps that start over: the file's key frames by time are not to be
            // trusted (the index keeps one place for each time).
            if (closesGaps && before != AV_NOPTS_VALUE && t < before - limit) {
                breaksSeen = true;
                return;
            }
            if (t >= target) return;
            before = t;
        }
    }

    // Positions the demuxer at the start of its data.
    bool seekToStart() {
        if (!(fmt->iformat->flags & AVFMT_NO_BYTE_SEEK))
            return av_seek_frame(fmt.get(), -1, 0, AVSEEK_FLAG_BYTE) >= 0;
        const std::int64_t first = toTicks(origin, fmt->streams[leadIndex]->time_base);
        return av_seek_frame(fmt.get(), leadIndex, first, AVSEEK_FLAG_BACKWARD) >= 0 ||
               avformat_seek_file(fmt.get(), leadIndex, std::numeric_limits<std::int64_t>::min(),
                                  first, std::numeric_limits<std::int64_t>::max(), 0) >= 0;
    }

    // Reads on to the first packet of the lead stream and the first of the sound, keeping
    // what it reads for decoding; whether both start at or before `t`, so that the
    // picture and the sound of that time both lie ahead. Sound with nothing near `t` (the
    // input ends, or a second past `t` comes first) does not count.
    bool landedAtOrBefore(double t) {
        bool leadSeen = false, soundSeen = audioIndex < 0 || audioIndex == leadIndex;
        bool landed = true;
        while (!leadSeen || !soundSeen) {
            PacketPtr p;
            // Positioned at the end (FFmpeg's generic seek past its last key frame does so).
            if (!readPacket(p)) return landed && leadSeen;
            const int index = p->stream_index;
            const AVRational tb = fmt->streams[index]->time_base;
            const double when = toSeconds(p->pts != AV_NOPTS_VALUE ? p->pts : p->dts, tb);
            pending.push_back(std::move(p));
            bool& seen = index == leadIndex ? leadSeen : soundSeen;
            if (!seen) {
                seen = true;
                landed = landed && !(when > t + 1e-6);
            }
            if (when > t + 1) break;
        }
        return landed;
    }

    // Packets read since the last seek of the demuxer go, with what they said of time.
    void forgetReadAhead() {
        pending.clear();
        timeline.reset();
    }

    // Reads the whole file once, from the start, noting where reading may resume with
    // the timeline it had there. False when interrupted.
    bool makeResumePoints() {
        forgetReadAhead();
        if (!seekToStart()) return false;
        resumePoints.clear();
        readSetup = {DecoderSetups::kOwn, DecoderSetups::kOwn};
        notingResumePoints = true;
        while (readNext()) {
        }
        notingResumePoints = false;
        const FlvTimeline::State& end = timeline.state();
        for (const double t : end.next)
            if (!std::isnan(t)) playedThrough = std::max(playedThrough, t);
        forgetReadAhead();
        input->packetTaken(); // the scan's end was the data's, not the next seek's
        return !input->interrupted();
    }

    // Reads a file with breaks through at once, so that its duration covers every part;
    // then it is read again from the start. Whether the duration changed.
    bool learnWholeTimeline(double& duration) {
        resumePointsMade = makeResumePoints();
        const bool longer = resumePointsMade && breaksSeen && !(duration >= playedThrough);
        if (longer) duration = playedThrough;
        seekToStart();
        return longer;
    }

    // Positions the demuxer, in a file with breaks, where reading with the timeline noted
    // there gives the lead stream's last key frame at or before the playing time `at`.
    bool seekByResumePoints(double at) {
        if (!resumePointsMade && !(resumePointsMade = makeResumePoints())) return false;
        forgetReadAhead();
        const FlvResumePoints::Point* p = resumePoints.atOrBefore(at + 1e-6);
        const bool there = p && av_seek_frame(fmt.get(), -1, p->pos, AVSEEK_FLAG_BYTE) >= 0;
        const std::array<int, 2> wanted =
            there ? p->setups : std::array<int, 2>{DecoderSetups::kOwn, DecoderSetups::kOwn};
        for (std::size_t slot = 0; slot < 2; ++slot)
            if (decoderSetup[slot] != wanted[slot]) giveSetup[slot] = wanted[slot];
        if (!there) return seekToStart();
        timeline.restore(p->state);
        return true;
    }

    void resetDecoding(double at) {
        if (video) avcodec_flush_buffers(video.get());
        if (audio) avcodec_flush_buffers(audio.get());
        forgetReadAhead();
        giveSetup = {};
        stash.clear();
        stashBytes = 0;
        videoFlushPending = false;
        inputEnded = false;
        videoDrained = false;
        audioDrained = false;
        nextVideoPts = at;
        nextAudioPts = at;
        input->packetTaken();
    }
};

MediaFile::MediaFile(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
MediaFile::~MediaFile() = default;

const MediaInfo& MediaFile::info() const {
    return d->info;
}

const std::optional<AmfValue>& MediaFile::flvMetadata() const {
    return d->metadata;
}

std::unique_ptr<MediaFile> MediaFile::open(const QString& path) {
    return open(path, Options{});
}

std::unique_ptr<MediaFile> MediaFile::open(const QString& path, const Options& options) {
    auto source = MediaSource::openFile(path);
    return source ? open(std::move(source), options) : nullptr;
}

std::unique_ptr<MediaFile> MediaFile::open(std::unique_ptr<MediaSource> source,
                                           const Options& options) {
    if (!source) return nullptr;
    static const bool bounded = (av_max_alloc(kMaxAllocation), true);
    (void)bounded;
    const AVInputFormat* format = probe(*source);
    if (!format) return nullptr;
    const bool flv = !QByteArray(format->name).startsWith("mov,");

    auto impl = std::make_unique<Impl>();
    if (!impl->packet) return nullptr;
    FlvHead head;
    if (flv) head = readFlvHead(*source);
    impl->input = std::make_unique<DemuxerInput>(std::move(source), options.interrupted);
    DemuxerInput& input = *impl->input;
    if (!input.context()) return nullptr;
    if (flv) {
        input.setScanLimit(kMaxScanBytes);
        input.hideJoinedHeaders();
        // FFmpeg keeps metadata in a store whose cost is the square of its names; such a
        // tag is hidden from it (its type reads as one it skips).
        for (const std::int64_t at : head.oversizedScriptTags)
            input.hide(at);
    }
    impl->metadata = std::move(head.metadata);

    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return nullptr;
    raw->pb = input.context();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    raw->interrupt_callback = input.interruptCallback();
    raw->io_open = refuseOpen;
    if (avformat_open_input(&raw, "", format, nullptr) < 0) return nullptr; // frees raw
    impl->fmt.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0 || input.interrupted()) return nullptr;

    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        const auto type = raw->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && impl->videoIndex < 0 &&
            !(raw->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            if ((impl->video = impl->openDecoder(static_cast<int>(i), options)))
                impl->videoIndex = static_cast<int>(i);
        } else if (type == AVMEDIA_TYPE_AUDIO && impl->audioIndex < 0) {
            if ((impl->audio = impl->openDecoder(static_cast<int>(i), options)))
                impl->audioIndex = static_cast<int>(i);
        }
    }
    if (!impl->video && !impl->audio) return nullptr;
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        if (static_cast<int>(i) != impl->videoIndex && static_cast<int>(i) != impl->audioIndex)
            raw->streams[i]->discard = AVDISCARD_ALL;
    }
    impl->leadIndex = impl->videoIndex >= 0 ? impl->videoIndex : impl->audioIndex;
    impl->chooseOrigin();
    impl->closesGaps = flv;
    input.packetTaken();
    if (flv) impl->placeReadAhead(avio_tell(raw->pb));

    MediaInfo& info = impl->info;
    info.flv = flv;
    info.hasVideo = impl->video != nullptr;
    info.hasAudio = impl->audio != nullptr;
    info.startOffset = impl->origin;
    info.duration = raw->duration > 0 ? static_cast<double>(raw->duration) / AV_TIME_BASE
                                      : std::numeric_limits<double>::quiet_NaN();
    // The metadata's own number where it gives one: FFmpeg's is cut to microseconds, and
    // a player compares the position with the metadata's.
    if (const AmfValue* d =
            impl->metadata ? impl->metadata->find(QStringLiteral("duration")) : nullptr;
        d && d->isNumber() && d->toNumber() > 0 && std::isfinite(d->toNumber()))
        info.duration = d->toNumber();
    // A file joined from parts may keep its first part's metadata: when it is larger than
    // that says, or its timestamps broke in what the demuxer read ahead, it is read through.
    // The metadata's duration, which the player lays its knob out by, is mended with it.
    // (A larger file keeps its duration, and is read through only when a seek needs it:
    // on a slow disk or share it would take too long to open.)
    if (flv &&
        (impl->breaksSeen ||
         (impl->metadata && outgrowsFlvMetadata(*impl->metadata, input.source().size()))) &&
        input.source().size() <= kMaxReadThroughAtOpen) {
        const bool longer = impl->learnWholeTimeline(info.duration);
        if (input.interrupted()) return nullptr;
        if (longer && impl->metadata) mendFlvMetadataDuration(*impl->metadata, info.duration);
    }
    if (impl->video) {
        AVStream* stream = raw->streams[impl->videoIndex];
        impl->videoTurns = streamQuarterTurns(*stream);
        // Pixels that are not square (a DVD's or a broadcast's picture, stored narrower
        // than it is shown) are shown at their shape: the width is as wide as they show.
        QSize own(impl->video->width, impl->video->height);
        const AVRational sar = av_guess_sample_aspect_ratio(raw, stream, nullptr);
        const double shape = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
        if (shape != 1.0 && shape >= 0.125 && shape <= 8.0) // else a nonsense shape
            own.setWidth(std::max(1, static_cast<int>(std::lround(own.width() * shape))));
        const QSize shown = shownSize(own, impl->videoTurns);
        info.width = shown.width();
        info.height = shown.height();
        if (impl->metadata)
            mendFlvMetadataSize(*impl->metadata, {impl->video->width, impl->video->height}, shown);
        info.videoCodec = QString::fromLatin1(impl->video->codec->name);
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(impl->video->pix_fmt);
        info.videoHasAlpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
    }
    if (impl->audio) info.audioCodec = QString::fromLatin1(impl->audio->codec->name);
    return std::unique_ptr<MediaFile>(new MediaFile(std::move(impl)));
}

void MediaFile::skipUnusedUpTo(double due) {
    if (std::isfinite(due)) d->skipUnusedUpTo(due);
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
        PacketPtr p;
        if (!s.pending.empty()) {
            p = std::move(s.pending.front());
            s.pending.pop_front();
        } else if (!s.readPacket(p)) {
            s.inputEnded = true;
            if (s.audio) avcodec_send_packet(s.audio.get(), nullptr);
            s.videoFlushPending = s.video != nullptr;
            continue;
        }
        if (p->stream_index == s.videoIndex) {
            if (video && s.stash.empty()) {
                s.send(s.video.get(), p.get());
            } else {
                // Pictures are not wanted yet: keep the packet so sound can go on.
                s.stashBytes += p->size;
                s.stash.push_back(std::move(p));
                if (s.stashBytes > kMaxStashBytes) video = true;
            }
        } else {
            s.send(s.audio.get(), p.get());
        }
    }
}

// The picture at a time is decoded from the key frame before it, not taken from the
// nearest key frame: a seek shows exactly the picture due then and the sound resumes at
// that very moment, whatever the spacing of key frames. The demuxer's choice of key frame
// is checked, not trusted: a keyframe index may be off (FFmpeg writes its times shifted
// against the tags'), and a backward seek finds nothing before the first key frame, which
// often comes a little after the first sound. So when the demuxer lands after the time,
// it is asked again from further back, and for times before every key frame the file is
// read from the start of its data. A file whose timestamps break (one joined from parts)
// is seeked by where reading it through found its key frames, as soon as a break is seen.
bool MediaFile::seek(double seconds) {
    Impl& s = *d;
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    s.resetDecoding(seconds);
    s.skipUnusedUpTo(seconds);
    for (double back = 0;; back = back > 0 ? back * 2 : 1) {
        if (s.breaksSeen) return s.seekByResumePoints(seconds);
        const double at = seconds - back;
        if (at <= 0 || !s.seekBackTo(at)) {
            s.forgetReadAhead();
            if (s.breaksSeen) continue;
            return s.seekToStart();
        }
        if (s.landedAtOrBefore(seconds) && !s.breaksSeen) return true;
        s.forgetReadAhead();
    }
}

} // namespace zimo::media
