#include "media/media_file_impl.h"

#include <algorithm>

namespace zimo::media {

bool MediaFile::Impl::seekBackTo(double at) {
    const AVStream* st = fmt->streams[leadIndex];
    const std::int64_t target = toTicks(at + origin, st->time_base);
    learnKeyFramesUpTo(target);
    return seekInput(leadIndex, target, AVSEEK_FLAG_BACKWARD);
}

// Past the last key frame it knows, FFmpeg's seek reads on to the end of the file to look
// for another: what it read was its own search, not a scan through junk to the next
// packet, so the allowance for such a scan starts afresh after every move.
bool MediaFile::Impl::seekInput(int stream, std::int64_t to, int flags) {
    const bool moved = av_seek_frame(fmt.get(), stream, to, flags) >= 0;
    input->packetTaken();
    return moved;
}

void MediaFile::Impl::learnKeyFramesUpTo(std::int64_t target) {
    AVStream* st = fmt->streams[leadIndex];
    const int known = avformat_index_get_entries_count(st);
    if (known <= 0) return;
    const AVIndexEntry* last = avformat_index_get_entry(st, known - 1);
    if (!last || last->timestamp >= target) return;
    if (!seekInput(leadIndex, last->timestamp, AVSEEK_FLAG_BACKWARD)) return;
    const std::int64_t limit = toTicks(closesGaps ? kMaxStepBack : 0, st->time_base);
    std::int64_t before = AV_NOPTS_VALUE;
    for (;;) {
        if (!readFrame()) return;
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

bool MediaFile::Impl::seekToStart() {
    landedAt = 0;
    if (!(fmt->iformat->flags & AVFMT_NO_BYTE_SEEK)) return seekInput(-1, 0, AVSEEK_FLAG_BYTE);
    const std::int64_t first = toTicks(origin, fmt->streams[leadIndex]->time_base);
    if (seekInput(leadIndex, first, AVSEEK_FLAG_BACKWARD)) return true;
    const bool moved =
        avformat_seek_file(fmt.get(), leadIndex, std::numeric_limits<std::int64_t>::min(), first,
                           std::numeric_limits<std::int64_t>::max(), 0) >= 0;
    input->packetTaken(); // as after any move
    return moved;
}

bool MediaFile::Impl::landedAtOrBefore(double t) {
    bool leadSeen = false, soundSeen = audioIndex < 0 || audioIndex == leadIndex;
    bool landed = true;
    double leadAt = std::numeric_limits<double>::quiet_NaN();
    // Where the lead stream resumes is kept only for a landing that is taken.
    const auto taken = [&](bool ok) {
        landedAt = ok ? leadAt : std::numeric_limits<double>::quiet_NaN();
        return ok;
    };
    while (!leadSeen || !soundSeen) {
        PacketPtr p;
        // Positioned at the end (FFmpeg's generic seek past its last key frame does so).
        if (!readPacket(p)) return taken(landed && leadSeen);
        const int index = p->stream_index;
        const AVRational tb = fmt->streams[index]->time_base;
        const double when = toSeconds(p->pts != AV_NOPTS_VALUE ? p->pts : p->dts, tb);
        pending.push_back(std::move(p));
        if (index == leadIndex && !leadSeen) leadAt = when;
        bool& seen = index == leadIndex ? leadSeen : soundSeen;
        if (!seen) {
            seen = true;
            landed = landed && !(when > t + 1e-6);
        }
        if (when > t + 1) break;
    }
    return taken(landed);
}

bool MediaFile::Impl::makeResumePoints() {
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

bool MediaFile::Impl::learnWholeTimeline(double& duration) {
    resumePointsMade = makeResumePoints();
    const bool longer = resumePointsMade && breaksSeen && !(duration >= playedThrough);
    if (longer) duration = playedThrough;
    seekToStart();
    return longer;
}

bool MediaFile::Impl::seekByResumePoints(double at) {
    if (!resumePointsMade && !(resumePointsMade = makeResumePoints())) return false;
    forgetReadAhead();
    const FlvResumePoints::Point* p = resumePoints.atOrBefore(at + 1e-6);
    const bool there = p && seekInput(-1, p->pos, AVSEEK_FLAG_BYTE);
    const std::array<int, 2> wanted =
        there ? p->setups : std::array<int, 2>{DecoderSetups::kOwn, DecoderSetups::kOwn};
    for (std::size_t slot = 0; slot < 2; ++slot)
        if (decoderSetup[slot] != wanted[slot]) giveSetup[slot] = wanted[slot];
    if (!there) return seekToStart();
    timeline.restore(p->state);
    landedAt = p->time;
    return true;
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
    s.landedAt = std::numeric_limits<double>::quiet_NaN();
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
