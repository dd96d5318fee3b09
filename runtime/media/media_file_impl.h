// The inside of a media file, shared by the files that make it up: opening, reading and
// decoding (media_file.cpp), and seeking (media_file_seek.cpp).
#pragma once

#include "media/decoder_setups.h"
#include "media/flv_added_codecs.h"
#include "media/flv_added_sound.h"
#include "media/flv_timeline.h"
#include "media/media_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <optional>

namespace zimo::media {

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

inline double toSeconds(std::int64_t ts, AVRational tb) {
    if (ts == AV_NOPTS_VALUE) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(ts) * av_q2d(tb);
}

inline std::int64_t toTicks(double seconds, AVRational tb) {
    return static_cast<std::int64_t>(std::llround(seconds / av_q2d(tb)));
}

struct MediaFile::Impl {
    // The input outlives the demuxer that reads it.
    std::unique_ptr<DemuxerInput> input;
    std::unique_ptr<AVFormatContext, FormatCloser> fmt;
    std::unique_ptr<AVCodecContext, CodecCloser> video;
    std::unique_ptr<AVCodecContext, CodecCloser> audio;
    PacketPtr packet{av_packet_alloc()};
    int videoIndex = -1;
    int audioIndex = -1;
    int leadIndex = -1;     // the stream seeks are judged by: the picture's, else the sound's
    int videoTurns = 0;     // quarter turns clockwise the container says the picture is shown by
    int flvAddedIndex = -1; // the stream of pictures in a codec added after Flash
    FlvAddedPackets flvAdded;
    int flvSoundIndex = -1; // the stream of sound in Flash Video's extended layout
    FlvAddedSound flvSound;
    std::vector<std::uint8_t> flvSoundFirst; // its first tag's body, if the head found one
    MediaInfo info;
    Options options; // the decoders' part of what the file was opened with
    std::optional<AmfValue> metadata;
    bool inputEnded = false;        // demuxer at its end, decoders told to drain
    bool videoFlushPending = false; // the demuxer ended; the video decoder is yet to be told
    bool audioFlushPending = false; // and the sound decoder
    bool videoDrained = false;
    bool audioDrained = false;
    // Packets read ahead by a seek, to be decoded first.
    std::deque<PacketPtr> pending;
    // Packets of one stream read ahead, compressed, while only the other's frames were
    // wanted: video while sound was, sound while pictures were.
    struct Held {
        std::deque<PacketPtr> packets;
        std::int64_t bytes = 0;
        bool full() const { return bytes > kMaxStashBytes; }
        bool halfFull() const { return bytes > kMaxStashBytes / 2; }
        void hold(PacketPtr p) {
            bytes += p->size;
            packets.push_back(std::move(p));
        }
        void clear() {
            packets.clear();
            bytes = 0;
        }
    };
    Held heldPictures;
    Held heldSound;
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
    // Where the last seek started reading: the time of the lead stream's first packet then
    // (0 from the start of the data, NaN when it read none).
    double landedAt = std::numeric_limits<double>::quiet_NaN();
    // The set-ups of the two streams (picture, sound): as read while noting resume points,
    // as last given to the decoders, and to be given with the next packet they decode.
    DecoderSetups setups;
    std::array<int, 2> readSetup{DecoderSetups::kOwn, DecoderSetups::kOwn};
    std::array<int, 2> decoderSetup{DecoderSetups::kOwn, DecoderSetups::kOwn};
    std::array<std::optional<int>, 2> giveSetup;

    // Pictures before this playing time that no other picture refers to are skipped: the
    // seek's time, or the time due while the decoder is behind, less a margin in which
    // the picture due then may lie.
    double skipUnusedBefore = -std::numeric_limits<double>::infinity();

    // Opening, reading and decoding, in media_file.cpp.

    std::unique_ptr<AVCodecContext, CodecCloser> openDecoder(int index, const Options& options);
    // Takes up sound the demuxer met only after it had learnt the streams, or whose codec
    // only its first packet (the one just read) tells; whether the stream at `index` is
    // now the file's sound.
    bool takeUpLateSound(int index);
    // Takes up sound in Flash Video's extended layout in stream `index` when it is such.
    void adoptFlvSound(int index);
    std::optional<double> streamStart(int index) const;

    // Playing time starts with the first picture, unless the sound starts well before it.
    void chooseOrigin();
    void moveTimes(AVPacket* p, double seconds);

    // Reads the next packet of our streams from the demuxer into `packet`, in playing
    // time. False at the end of the input (or on an error or an interruption, which end
    // it too).
    bool readNext();
    bool readPacket(PacketPtr& out);
    // The demuxer's next packet of any stream into `packet`. A stretch longer than the
    // demuxer may read through without one (see DemuxerInput) is passed over to where tags
    // start again. False at the end of the input, as for readNext.
    bool readFrame();

    // The packets the demuxer read ahead to learn the streams, up to `end`, are placed on
    // the timeline at once, so that a break among them is known before the first seek: the
    // demuxer's index of key frames by time may already mix the parts.
    void placeReadAhead(std::int64_t end);

    // Takes one decoded frame from a decoder, if it has one ready.
    bool receive(AVCodecContext* ctx, int index, bool& drained, double& nextPts, Item& out);

    // Every frame is taken before the next packet goes in, so the decoder never
    // refuses input for want of room; a packet it rejects as damaged is dropped.
    void send(AVCodecContext* ctx, AVPacket* pkt);
    // Sends the oldest packet held for the decoder; false when none is held.
    bool sendHeld(AVCodecContext* ctx, Held& held);
    void skipUnusedUpTo(double target);

    // Seconds from one picture to the next by the frame rate the stream gives or FFmpeg
    // guesses; 0 when neither is known or there are no pictures.
    double pictureInterval() const;

    // Seeking, in media_file_seek.cpp.

    // Positions the demuxer at the last key frame of the lead stream at or before the
    // playing time `at`; false when there is none.
    bool seekBackTo(double at);
    // av_seek_frame, after which the input's scan allowance starts afresh.
    bool seekInput(int stream, std::int64_t to, int flags);

    // A file without an index of its key frames (a Flash Video file with none in its
    // metadata) is seeked by the key frames the demuxer has met so far; a time beyond
    // them is found by reading on from the last one. That read is done here, packet by
    // packet, so that the input's limit on reading without a packet coming out (meant
    // for data that is no longer a stream) does not end it tens of megabytes on, as it
    // would inside the demuxer's own seek.
    void learnKeyFramesUpTo(std::int64_t target);

    // Positions the demuxer at the start of its data.
    bool seekToStart();

    // Reads on to the first packet of the lead stream and the first of the sound, keeping
    // what it reads for decoding; whether both start at or before `t`, so that the
    // picture and the sound of that time both lie ahead. Sound with nothing near `t` (the
    // input ends, or a second past `t` comes first) does not count.
    bool landedAtOrBefore(double t);

    // Packets read since the last seek of the demuxer go, with what they said of time.
    void forgetReadAhead();

    // Reads the whole file once, from the start, noting where reading may resume with
    // the timeline it had there. False when interrupted.
    bool makeResumePoints();

    // Reads a file with breaks through at once, so that its duration covers every part;
    // then it is read again from the start. Whether the duration changed.
    bool learnWholeTimeline(double& duration);

    // Positions the demuxer, in a file with breaks, where reading with the timeline noted
    // there gives the lead stream's last key frame at or before the playing time `at`.
    bool seekByResumePoints(double at);
    void resetDecoding(double at);
};

} // namespace zimo::media
