#include "media/media_file_impl.h"

#include "media/flv_metadata.h"
#include "media/picture_turn.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace zimo::media {

void FrameDeleter::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}

namespace {

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

// Pixels that are not square (a DVD's or a broadcast's picture, stored narrower than it
// is shown) are shown at their shape: the width is as wide as they show.
QSize shaped(QSize stored, AVRational pixelShape) {
    const double shape = pixelShape.num > 0 && pixelShape.den > 0 ? av_q2d(pixelShape) : 1.0;
    if (shape == 1.0 || shape < 0.125 || shape > 8.0) return stored; // square, or nonsense
    return {std::max(1, static_cast<int>(std::lround(stored.width() * shape))), stored.height()};
}

} // namespace

std::unique_ptr<AVCodecContext, CodecCloser> MediaFile::Impl::openDecoder(int index,
                                                                          const Options& options) {
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

// A file whose sound starts late (a recording whose sound was switched on after it
// began), or a joined file whose later part brings sound the first had not, shows the
// demuxer its sound only after the look it takes at the start: the sound is taken up then.
bool MediaFile::Impl::takeUpLateSound(int index) {
    AVStream* st = fmt->streams[index];
    // Streams known from the start and not taken were set aside.
    if (audioIndex >= 0 || st->discard == AVDISCARD_ALL ||
        st->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
        return false;
    // Sound in the extended layout that the file's first tags did not show names its codec
    // in the tag read now, the stream's first.
    if (flvSoundFirst.empty() && awaitsFlvAddedSound(*st))
        flvSoundFirst.assign(packet->data, packet->data + packet->size);
    adoptFlvSound(index);
    audio = openDecoder(index, options);
    if (!audio) {
        st->discard = AVDISCARD_ALL;
        return false;
    }
    audioIndex = index;
    info.hasAudio = true;
    info.audioCodec = QString::fromLatin1(audio->codec->name);
    return true;
}

void MediaFile::Impl::adoptFlvSound(int index) {
    if (flvSoundIndex < 0 && !flvSoundFirst.empty() &&
        flvSound.adopt(*fmt->streams[index], flvSoundFirst))
        flvSoundIndex = index;
}

std::optional<double> MediaFile::Impl::streamStart(int index) const {
    if (index < 0) return std::nullopt;
    const AVStream* st = fmt->streams[index];
    if (st->start_time == AV_NOPTS_VALUE) return std::nullopt;
    return toSeconds(st->start_time, st->time_base);
}

void MediaFile::Impl::chooseOrigin() {
    const auto v = streamStart(videoIndex);
    const auto a = streamStart(audioIndex);
    if (v && a)
        origin = *v - *a > kMaxPictureDelay ? *a : *v;
    else if (v)
        origin = *v;
    else if (a)
        origin = *a;
}

void MediaFile::Impl::moveTimes(AVPacket* p, double seconds) {
    const std::int64_t ticks = toTicks(seconds, fmt->streams[p->stream_index]->time_base);
    if (p->pts != AV_NOPTS_VALUE) p->pts -= ticks;
    if (p->dts != AV_NOPTS_VALUE) p->dts -= ticks;
}

bool MediaFile::Impl::readFrame() {
    std::int64_t lookFrom = 0;
    for (;;) {
        av_packet_unref(packet.get());
        if (av_read_frame(fmt.get(), packet.get()) >= 0) {
            input->packetTaken();
            return true;
        }
        const std::optional<std::int64_t> cut = input->cutAt();
        if (!cut) return false;
        // The demuxer read twice the largest tag since its last packet or move: looking from
        // one largest tag back leaves out no tag it may have been in the middle of. Each look
        // starts past where the last one found tags, whatever the demuxer did there.
        const std::optional<std::int64_t> resume =
            findFlvTagsFrom(input->source(), std::max(*cut - kMaxFlvTagSpan, lookFrom),
                            [this] { return input->interrupted(); });
        if (!resume || !seekInput(-1, *resume, AVSEEK_FLAG_BYTE)) return false;
        lookFrom = *resume + 1;
    }
}

bool MediaFile::Impl::readNext() {
    for (;;) {
        if (!readFrame()) return false;
        const int index = packet->stream_index;
        if (index != videoIndex && index != audioIndex && !takeUpLateSound(index)) continue;
        if (index == flvAddedIndex && !flvAdded.unwrap(*packet, fmt->streams[index]->time_base))
            continue;
        if (index == flvSoundIndex && !flvSound.unwrap(*packet)) continue;
        moveTimes(packet.get(), origin);
        const AVRational tb = fmt->streams[index]->time_base;
        const double t = toSeconds(packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts, tb);
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
        // A key frame resumes playing from when it is shown, which for pictures decoded
        // out of order may be well after its place in the stream (in an open group of
        // pictures, some decoded after the key frame are shown before it).
        if (index == leadIndex && (packet->flags & AV_PKT_FLAG_KEY)) {
            const double shown = toSeconds(packet->pts, tb);
            resumePoints.note({std::isnan(shown) ? placed : shown, packet->pos, before, readSetup});
        }
        return true;
    }
}

bool MediaFile::Impl::readPacket(PacketPtr& out) {
    while (readNext()) {
        out.reset(av_packet_clone(packet.get()));
        if (out) return true;
    }
    return false;
}

void MediaFile::Impl::placeReadAhead(std::int64_t end) {
    PacketPtr p;
    while ((pending.empty() || pending.back()->pos < end) && readPacket(p))
        pending.push_back(std::move(p));
}

bool MediaFile::Impl::receive(AVCodecContext* ctx, int index, bool& drained, double& nextPts,
                              Item& out) {
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

void MediaFile::Impl::send(AVCodecContext* ctx, AVPacket* pkt) {
    const auto slot = static_cast<std::size_t>(ctx == video.get() ? 0 : 1);
    if (pkt) {
        const int index = slot == 0 ? videoIndex : audioIndex;
        if (const auto brought = setups.brought(*pkt))
            decoderSetup[slot] = *brought;
        else if (giveSetup[slot] &&
                 setups.give(*pkt, *giveSetup[slot], *fmt->streams[index]->codecpar))
            decoderSetup[slot] = *giveSetup[slot];
        giveSetup[slot].reset();
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

bool MediaFile::Impl::sendHeld(AVCodecContext* ctx, Held& held) {
    if (held.packets.empty()) return false;
    const PacketPtr p = std::move(held.packets.front());
    held.packets.pop_front();
    held.bytes -= p->size;
    send(ctx, p.get());
    return true;
}

void MediaFile::Impl::skipUnusedUpTo(double target) {
    skipUnusedBefore = target - std::max(2 * pictureInterval(), kSkipMargin);
}

double MediaFile::Impl::pictureInterval() const {
    if (videoIndex < 0) return 0;
    const AVRational rate = av_guess_frame_rate(fmt.get(), fmt->streams[videoIndex], nullptr);
    return rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0;
}

void MediaFile::Impl::forgetReadAhead() {
    pending.clear();
    flvAdded.reset();
    flvSound.reset();
    timeline.reset();
}

void MediaFile::Impl::resetDecoding(double at) {
    if (video) avcodec_flush_buffers(video.get());
    if (audio) avcodec_flush_buffers(audio.get());
    forgetReadAhead();
    giveSetup = {};
    heldPictures.clear();
    heldSound.clear();
    videoFlushPending = false;
    audioFlushPending = false;
    inputEnded = false;
    videoDrained = false;
    audioDrained = false;
    nextVideoPts = at;
    nextAudioPts = at;
    input->packetTaken();
}

MediaFile::MediaFile(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
MediaFile::~MediaFile() = default;

double MediaFile::landedAt() const {
    return d->landedAt;
}

const MediaInfo& MediaFile::info() const {
    return d->info;
}

const std::optional<AmfValue>& MediaFile::flvMetadata() const {
    return d->metadata;
}

QSize MediaFile::shownSize(const AVFrame& frame) const {
    AVRational shape{frame.sample_aspect_ratio};
    if (d->videoIndex >= 0) // the container's word on the shape comes first
        shape = av_guess_sample_aspect_ratio(d->fmt.get(), d->fmt->streams[d->videoIndex],
                                             const_cast<AVFrame*>(&frame));
    return media::shownSize(shaped({frame.width, frame.height}, shape), frameQuarterTurns(frame));
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
    static const bool bounded = [] {
        av_max_alloc(kMaxAllocation);
        // FFmpeg's warnings about what it meets in files (some come with every packet of
        // a file it plays, such as one of HEVC under Flash Video's number 12) would fill
        // the session's log; its errors still go there.
        if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
        return true;
    }();
    (void)bounded;
    const AVInputFormat* format = probe(*source);
    if (!format) return nullptr;
    const bool flv = !QByteArray(format->name).startsWith("mov,");

    auto impl = std::make_unique<Impl>();
    if (!impl->packet) return nullptr;
    FlvHead head;
    if (flv) head = readFlvHead(*source);
    impl->input = std::make_unique<DemuxerInput>(std::move(source), options.interrupted);
    impl->options.maxPixels = options.maxPixels;
    impl->options.decoderThreads = options.decoderThreads;
    DemuxerInput& input = *impl->input;
    if (!input.context()) return nullptr;
    if (flv) {
        input.setScanLimit(kMaxScanBytes);
        input.hideJoinedHeaders();
        // Unless the first tags showed the older layout: a stream in the extended one may
        // first come after them (a recording whose sound joined late, or whose pictures
        // began long after the sound).
        if (!head.olderLayoutPictures) input.rewriteExtendedVideo();
        if (!head.olderLayoutSound) input.rewriteExtendedSound();
        // FFmpeg keeps metadata in a store whose cost is the square of its names; such a
        // tag is hidden from it (its type reads as one it skips).
        for (const std::int64_t at : head.oversizedScriptTags)
            input.hide(at);
        // Pictures before their parameter sets are passed over like any tag of no known
        // type: the file plays from the first picture that can be decoded, or as sound
        // alone when no parameter sets come where FFmpeg looks for them.
        for (const std::int64_t at : head.picturesBeforeSetup)
            input.hide(at);
    }
    impl->timeline.setAnnounced(head.announcesPictures, head.announcesSound);
    impl->metadata = std::move(head.metadata);
    impl->flvSoundFirst = std::move(head.addedSoundFirst);

    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return nullptr;
    raw->pb = input.context();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    raw->interrupt_callback = input.interruptCallback();
    raw->io_open = refuseOpen;
    raw->probesize = kFlvSetupSearchBytes;
    if (avformat_open_input(&raw, "", format, nullptr) < 0) return nullptr; // frees raw
    impl->fmt.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0 || input.interrupted()) return nullptr;

    for (unsigned i = 0; flv && impl->flvAddedIndex < 0 && i < raw->nb_streams; ++i) {
        if (adoptFlvAddedCodec(*raw->streams[i], head.added))
            impl->flvAddedIndex = static_cast<int>(i);
    }
    for (unsigned i = 0; flv && i < raw->nb_streams; ++i)
        impl->adoptFlvSound(static_cast<int>(i));
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
        const bool taken =
            static_cast<int>(i) == impl->videoIndex || static_cast<int>(i) == impl->audioIndex;
        // Sound in the extended layout that came after the file's first tags waits for its
        // first packet to tell its codec (the demuxer met it while learning the streams).
        const bool awaited = flv && impl->audioIndex < 0 && awaitsFlvAddedSound(*raw->streams[i]);
        if (!taken && !awaited) raw->streams[i]->discard = AVDISCARD_ALL;
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
    if (const auto d = impl->metadata ? flvMetadataDuration(*impl->metadata) : std::nullopt)
        info.duration = *d;
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
    // A file written as it was streamed (a recorded broadcast) could not know its length
    // when its metadata went out, and says 0 or nothing: the length found is given.
    if (impl->metadata) fillFlvMetadataDuration(*impl->metadata, info.duration);
    if (impl->video) {
        AVStream* stream = raw->streams[impl->videoIndex];
        impl->videoTurns = streamQuarterTurns(*stream);
        const QSize shown =
            media::shownSize(shaped({impl->video->width, impl->video->height},
                                    av_guess_sample_aspect_ratio(raw, stream, nullptr)),
                             impl->videoTurns);
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

bool MediaFile::picturesOver() const {
    return !d->video ||
           (d->videoDrained && d->heldPictures.packets.empty() && !d->videoFlushPending);
}

bool MediaFile::soundOver() const {
    return !d->audio || (d->audioDrained && d->heldSound.packets.empty() && !d->audioFlushPending);
}

bool MediaFile::soundHeldBack() const {
    return d->heldSound.halfFull();
}

bool MediaFile::picturesHeldBack() const {
    return d->heldPictures.halfFull();
}

MediaFile::Item MediaFile::next(bool wantVideo, bool wantSound) {
    Impl& s = *d;
    Item item;
    bool video = wantVideo || !s.video || s.heldPictures.full();
    bool sound = wantSound || !wantVideo || !s.audio || s.heldSound.full();
    for (;;) {
        if (video && s.receive(s.video.get(), s.videoIndex, s.videoDrained, s.nextVideoPts, item))
            return item;
        if (sound && s.receive(s.audio.get(), s.audioIndex, s.audioDrained, s.nextAudioPts, item))
            return item;
        if (video && s.sendHeld(s.video.get(), s.heldPictures)) continue;
        if (video && s.videoFlushPending) {
            avcodec_send_packet(s.video.get(), nullptr);
            s.videoFlushPending = false;
            continue;
        }
        if (sound && s.sendHeld(s.audio.get(), s.heldSound)) continue;
        if (sound && s.audioFlushPending) {
            avcodec_send_packet(s.audio.get(), nullptr);
            s.audioFlushPending = false;
            continue;
        }
        if (s.inputEnded) {
            if (!video || !sound) { // only what was not wanted is left
                video = sound = true;
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
            s.audioFlushPending = s.audio != nullptr;
            s.videoFlushPending = s.video != nullptr;
            continue;
        }
        // A packet of the stream not wanted yet waits, compressed, so the other can go on
        // (sound while the pictures are ahead; pictures while the device holds enough).
        const bool isVideo = p->stream_index == s.videoIndex;
        bool& wanted = isVideo ? video : sound;
        Impl::Held& held = isVideo ? s.heldPictures : s.heldSound;
        if (wanted && held.packets.empty()) {
            s.send(isVideo ? s.video.get() : s.audio.get(), p.get());
        } else {
            held.hold(std::move(p));
            if (held.full()) wanted = true;
        }
    }
}

} // namespace zimo::media
