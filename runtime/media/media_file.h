// One media file opened with FFmpeg: the demuxer and the decoders of its
// first video and first audio stream, giving decoded frames in file order.
// Not thread-safe; a file belongs to one thread at a time.
#pragma once

#include <QString>

#include <memory>

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
    double duration = 0; // seconds from the container; NaN when unknown
    int width = 0;       // of the video stream, 0 without one
    int height = 0;
    QString videoCodec; // FFmpeg decoder names, empty without the stream
    QString audioCodec;
};

// Pictures larger than this are refused by the decoders (memory bound).
inline constexpr long kMaxPixels = 4096L * 2304L;
// Compressed video held back while sound is decoded ahead of the pictures.
inline constexpr long kMaxStashBytes = 32L * 1024 * 1024;

class MediaFile {
public:
    struct Item {
        enum class Kind { Video, Audio, End };
        Kind kind = Kind::End;
        double pts = 0;      // seconds
        double duration = 0; // seconds; 0 when unknown
        FramePtr frame;
    };

    // Opens a local file holding Flash Video or an MP4-family container with at
    // least one stream we can decode. Returns null otherwise.
    static std::unique_ptr<MediaFile> open(const QString& path);
    ~MediaFile();
    MediaFile(const MediaFile&) = delete;
    MediaFile& operator=(const MediaFile&) = delete;

    const MediaInfo& info() const;

    // The next decoded frame, or End once the file and decoders are drained.
    // Damaged packets are skipped. Without wantVideo, sound comes first: video
    // packets read meanwhile wait, compressed, up to kMaxStashBytes, and a
    // picture comes only when no sound is left or that limit is passed.
    Item next(bool wantVideo = true);

    // Moves to the nearest key frame at or before the time and resets the
    // decoders. Returns false when the container cannot seek there.
    bool seek(double seconds);

private:
    struct Impl;
    explicit MediaFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace zimo::media
