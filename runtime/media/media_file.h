// One media file opened with FFmpeg: the demuxer and the decoders of its
// first video and first audio stream, giving decoded frames in file order.
// Not thread-safe; a file belongs to one thread at a time.
//
// Times are playing times: seconds from the file's first picture (or its first
// sound, when the file has no picture or the sound starts well before it), so
// the delay encoders put before the first picture does not count. Seeks take
// and frames carry playing times.
#pragma once

#include "media/amf_value.h"
#include "media/demuxer_input.h"
#include "media/flv_resync.h"

#include <QSize>
#include <QString>

#include <memory>
#include <optional>

struct AVFrame;

namespace zimo::media {

struct FrameDeleter {
    void operator()(AVFrame* frame) const;
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

struct MediaInfo {
    bool flv = false; // the container is Flash Video
    bool hasVideo = false;
    bool hasAudio = false;
    bool videoHasAlpha = false;
    double duration = 0;    // seconds from the container; NaN when unknown
    double startOffset = 0; // the file's time of playing time 0
    int width = 0;          // of the video stream as shown (pixels' shape, turn), 0 without
    int height = 0;
    QString videoCodec; // FFmpeg decoder names, empty without the stream
    QString audioCodec;
};

// Pictures larger than this are refused by the decoders (memory bound).
inline constexpr long kMaxPixels = 4096L * 2304L;
// Compressed video held back while sound is decoded ahead of the pictures.
inline constexpr long kMaxStashBytes = 32L * 1024 * 1024;
// How far the Flash Video demuxer may read between two packets before what it reads counts
// as junk, which is passed over to where tags start again: twice the largest tag.
inline constexpr std::int64_t kMaxScanBytes = 2 * kMaxFlvTagSpan;

class MediaFile {
public:
    struct Item {
        enum class Kind { Video, Audio, End };
        Kind kind = Kind::End;
        double pts = 0;      // seconds, playing time; below 0 before the start
        double duration = 0; // seconds; 0 when unknown
        FramePtr frame;
    };

    struct Options {
        // Asked often while opening and reading; true makes both give up at once.
        DemuxerInput::Interrupted interrupted;
        long maxPixels = kMaxPixels;
        int decoderThreads = 0; // 0: as many as the machine has
    };

    // Opens Flash Video or an MP4-family container with at least one stream we
    // can decode. Returns null otherwise, or when interrupted.
    static std::unique_ptr<MediaFile> open(std::unique_ptr<MediaSource> source,
                                           const Options& options);
    static std::unique_ptr<MediaFile> open(const QString& path, const Options& options);
    static std::unique_ptr<MediaFile> open(const QString& path);
    ~MediaFile();
    MediaFile(const MediaFile&) = delete;
    MediaFile& operator=(const MediaFile&) = delete;

    const MediaInfo& info() const;
    // The onMetaData object of a Flash Video file, when it has one.
    const std::optional<AmfValue>& flvMetadata() const;
    // The size a decoded picture of the file shows at: its pixels' shape and its turn
    // applied, as the metadata gives the picture's size.
    QSize shownSize(const AVFrame& frame) const;

    // The next decoded frame, or End once the file and decoders are drained.
    // Damaged packets are skipped. Without wantVideo, sound comes first: video
    // packets read meanwhile wait, compressed, up to kMaxStashBytes, and a
    // picture comes only when no sound is left or that limit is passed. Without
    // wantSound (and with wantVideo), pictures come first in the same way: a file
    // whose pictures end long before its sound, or lie far behind it, has that
    // sound read past compressed rather than decoded.
    Item next(bool wantVideo = true, bool wantSound = true);
    // Whether no picture can come before the next seek: the file has none, or its
    // pictures have all been given.
    bool picturesOver() const;
    // The same for the sound.
    bool soundOver() const;
    // Whether so much sound waits, compressed, that reading on for pictures is to wait
    // until the device has taken some: half what may wait, so that one more look for a
    // picture does not reach the limit beyond which sound is decoded unasked.
    bool soundHeldBack() const;
    // The same for pictures read past while reading on for sound.
    bool picturesHeldBack() const;

    // Moves to the last key frame at or before the time (the start of the file
    // for times before its first key frame) and resets the decoders, so that
    // decoding on reaches the picture and sound of that time. Returns false when
    // the container cannot seek at all.
    bool seek(double seconds);
    // Where the last seek started reading: the time of the key frame it moved to (0 at the
    // start of the data), NaN when nothing could be read from there.
    double landedAt() const;

    // The pictures are behind the clock: those before `due` (less a margin in which the
    // picture due may lie) that no other picture is made from are not decoded at all.
    void skipUnusedUpTo(double due);

private:
    struct Impl;
    explicit MediaFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace zimo::media
