// A media stream: plays one local file at a time, with picture, sound, a
// position in seconds and status/metadata reports, in the manner of a Flash
// NetStream.
//
// All methods are called from the owner's (user-interface) thread. Decoding
// runs on a thread of the stream's own; reports wait in a queue until the
// owner collects them with pollReports(), so they always arrive on the
// owner's thread, in order.
//
// Tests pass a ManualClock and no sound output: the media clock then moves
// only when the test advances it, and waitForDecoder() blocks until the
// decoding thread has done all it can for the current position.
#pragma once

#include "media/picture_target.h"
#include "media/report.h"

#include <QImage>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zimo::media {

class Clock;

class Stream {
public:
    struct Options {
        // The time source; null for the system clock. Not owned; must outlive the stream.
        Clock* clock = nullptr;
        // Send sound to the default output device. Without one, or when it
        // cannot be opened, playback runs silently on the clock alone.
        bool soundOutput = true;
    };

    Stream();
    explicit Stream(Options options);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Opens a local file and plays it from the start, replacing whatever was
    // open, also when it is the same file. Reports "NetStream.Play.Start" and
    // the metadata, or "NetStream.Play.StreamNotFound".
    void play(const QString& path);
    // Stops and releases the file. The last picture stays in currentFrame().
    void close();
    // Toggles pausing; pause(bool) pauses or resumes.
    void pause();
    void pause(bool paused);
    bool isPaused() const;
    // A file is open (or opening), not paused and not at its end: pictures may come.
    bool isPlaying() const;
    // Moves to the time: below 0 means 0, beyond the end means the end, and a
    // value that is not a number is ignored. The picture and time() become
    // those of the target once the decoder has reached it.
    void seek(double seconds);
    // The position of what is shown and heard, in seconds; 0 before anything played.
    double time();

    // Sound volume, 0 to 100 (clamped; not-a-number ignored). Default 100.
    void setVolume(double volume);
    double volume() const;

    // The latest decoded picture due at time(): Format_RGB32, or
    // Format_ARGB32 for video with alpha. Null before the first picture.
    QImage currentFrame();
    // Changes whenever currentFrame() does.
    std::uint64_t frameSerial();
    // Where the pictures go on the screen: they are made for that size and turn from
    // now on, the current one too (default: their own size, unturned).
    void setPictureTarget(const PictureTarget& target);
    // What currentFrame() was made for, and the size it was decoded at.
    PictureTarget currentFrameTarget() const;
    QSize currentFrameSize() const;
    // How long (microseconds of the stream's clock) until the next decoded picture is
    // due: 0 when it is due now; nothing when none is decoded yet or the clock stands
    // (paused, opening, waiting for the sound), since then only news changes that.
    std::optional<std::int64_t> nextPictureDueUs();

    // Reports queued since the last call, oldest first. Also brings the
    // picture and the end-of-file check up to the clock.
    std::vector<Report> pollReports();

    // Called from the decoding thread whenever it queues a report, or a picture while
    // none was waiting, so a host can schedule a pollReports() or a look at the next
    // picture (for example with a queued invocation).
    void setReportNotifier(std::function<void()> notifier);

    // Blocks until the decoding thread has handled every request and decoded
    // as far as it may for the present clock, or the timeout passes. Returns
    // false on timeout. Meant for tests running on a ManualClock.
    bool waitForDecoder(std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // Whether sound actually goes to a device.
    bool hasSoundOutput() const;

    // Playback figures, for measuring. The offset is the time of a picture
    // minus the clock that leads playback (the sound heard, when sound is
    // flowing; else the stream's clock) at the moment currentFrame() hands it
    // out, while the clock runs: how early (+) or late (-) it reaches the stage.
    // A first picture shown at once ahead of its time is a still, not counted.
    struct Stats {
        std::uint64_t decoded = 0;  // pictures out of the decoder
        std::uint64_t shown = 0;    // pictures handed out by currentFrame()
        std::uint64_t dropped = 0;  // pictures due while playing but never handed out
        std::size_t mostQueued = 0; // the most decoded pictures waiting to show at once
        double position = 0;        // time() at the last look
        bool ended = false;         // the end of the file has been reported
        // Where the sound resumed after the last play or seek (NaN before any sound).
        double soundFrom = 0;
        // Where the sound decoded for the device ends (NaN before any).
        double soundTo = 0;
        std::uint64_t offsetSamples = 0;
        std::uint64_t soundSamples = 0; // samples taken against the sound heard
        double lastOffset = 0;          // seconds
        double offsetSum = 0;
        double offsetMaxAbs = 0;
    };
    Stats stats() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zimo::media
