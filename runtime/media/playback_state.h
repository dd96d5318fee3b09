// The state a stream shares between its owner's thread and its decoding
// thread, and the clock arithmetic both sides use. Every field is guarded by
// `mutex`.
#pragma once

#include "media/picture_target.h"
#include "media/report.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct AVFrame;

namespace zimo::media {

// A decoded frame kept with its picture, so the picture can be made again for another
// place on the screen.
using SourceFrame = std::shared_ptr<const AVFrame>;

struct QueuedFrame {
    double pts = 0;
    QImage image;
    std::uint64_t posGen = 0;
    SourceFrame source;
    PictureTarget target; // what `image` was made for
    // A picture from on the way to a seek that the next one overtook, shown meanwhile in
    // the new one's place; the next picture of its request is still shown as the first.
    bool standIn = false;
    QSize shown; // the size the picture shows at, as the metadata gives it
};

// Decoded pictures waiting for their time: at most this many, and at most this
// many bytes (but always room for one).
inline constexpr std::size_t kMaxQueuedFrames = 4;
inline constexpr qsizetype kMaxQueuedBytes = 48 * 1024 * 1024;

struct PlaybackState {
    std::mutex mutex;
    std::condition_variable wakeWorker;
    std::condition_variable workerIdle;

    // Requests to the worker; a newer request replaces an unhandled one.
    enum class Command { None, Open, Seek, Close };
    Command command = Command::None;
    QString path;
    double target = 0; // seconds; for Open, where playback starts
    bool quit = false;
    std::uint64_t fileGen = 0; // bumped by play and close
    std::uint64_t posGen = 0;  // bumped by play, close and seek
    std::uint64_t kicks = 0;   // bumped when the owner asks the worker to look again
    // Bumped with fileGen and on quitting, outside the lock's reach too: an open or a
    // read started for an earlier value gives up at once.
    std::atomic<std::uint64_t> abandonGen{0};

    // What the worker has caught up with, and whether it is waiting.
    std::uint64_t workerFileGen = 0;
    std::uint64_t workerPosGen = 0;
    std::uint64_t workerKicks = 0;
    bool workerWaiting = false;

    // The file.
    bool open = false; // a file is being opened or played
    double duration = std::numeric_limits<double>::quiet_NaN();
    // The metadata last reported for the file, when there was any.
    std::optional<AmfValue> metadata;

    // Pictures decoded for the current position generation, in time order.
    std::deque<QueuedFrame> frames;
    qsizetype queuedBytes = 0;
    // What the owner wants new pictures made for.
    PictureTarget pictureTarget;
    // Bumped whenever room may have appeared for the worker: a picture taken from the
    // queue, or sound taken by the device.
    std::uint64_t roomEvents = 0;

    // The media clock. While not ready (opening, seeking), paused or waiting
    // for the sound to start the position stands at `base`; otherwise it runs
    // from `anchorUs`.
    bool ready = false;
    bool paused = false;
    bool soundExpected = false;   // the file's sound goes to a device
    bool waitingForSound = false; // since waitSinceUs
    std::int64_t waitSinceUs = 0;
    double base = 0;
    std::int64_t anchorUs = 0;
    bool inputDone = false; // everything up to the end is decoded
    double endPos = 0;      // where the file ends, once inputDone
    bool stopReported = false;
    // Where the sound of this position generation starts; NaN before any is decoded.
    double soundFrom = std::numeric_limits<double>::quiet_NaN();
    // Where the sound given to the device ends; NaN before any.
    double soundTo = std::numeric_limits<double>::quiet_NaN();

    // Counts for Stream::stats().
    std::uint64_t decodedPictures = 0;
    std::uint64_t droppedPictures = 0;
    std::size_t mostQueued = 0;

    std::vector<Report> reports;
    std::uint64_t workerReports = 0; // reports queued by the worker, ever
    // News for the owner, ever: the worker's reports, and pictures queued while the
    // queue was empty (the owner then has no picture to wait for).
    std::uint64_t news = 0;
    std::function<void()> notifier; // told of news

    bool runningLocked() const { return ready && !paused && !waitingForSound; }

    // Holds the clock (when `wait`) until the sound is heard, from nowUs on.
    void waitForSoundLocked(bool wait, std::int64_t nowUs) {
        waitingForSound = wait;
        waitSinceUs = nowUs;
    }

    // Stops the clock where it is now, until the sound from there is heard.
    void holdForSoundLocked(std::int64_t nowUs) {
        base = positionLocked(nowUs);
        anchorUs = nowUs;
        waitForSoundLocked(true, nowUs);
    }

    double positionLocked(std::int64_t nowUs) const {
        if (!open) return base;
        double p = base;
        if (runningLocked()) p += static_cast<double>(nowUs - anchorUs) / 1e6;
        if (inputDone && p > endPos) p = endPos;
        return p < 0 ? 0 : p;
    }

    void workerReportLocked(Report r) {
        reports.push_back(std::move(r));
        ++workerReports;
        ++news;
    }

    void pushFrameLocked(QueuedFrame f) {
        if (frames.empty()) ++news;
        queuedBytes += f.image.sizeInBytes();
        frames.push_back(std::move(f));
        mostQueued = std::max(mostQueued, frames.size());
    }

    QueuedFrame popFrameLocked() {
        QueuedFrame f = std::move(frames.front());
        frames.pop_front();
        queuedBytes -= f.image.sizeInBytes();
        ++roomEvents;
        wakeWorker.notify_one();
        return f;
    }

    void clearFramesLocked() {
        frames.clear();
        queuedBytes = 0;
        ++roomEvents;
    }

    // Drops pictures whose successor is already due; they would never show.
    void dropSupersededLocked(double position) {
        while (frames.size() >= 2 && frames[1].pts <= position)
            if (!popFrameLocked().standIn) ++droppedPictures;
    }

    bool frameRoomLocked() const {
        return frames.empty() ||
               (frames.size() < kMaxQueuedFrames && queuedBytes < kMaxQueuedBytes);
    }
};

} // namespace zimo::media
