#include "media/stream.h"

#include "media/audio_output.h"
#include "media/clock.h"
#include "media/decode_worker.h"
#include "media/picture_converter.h"
#include "media/picture_turn.h"
#include "media/playback_state.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>
#include <utility>

namespace zimo::media {

namespace {

// The clock waits at most this long for the sound to start, then runs without it.
// A sound server's first stream, or a wireless headset waking up, may take
// a second or two.
constexpr std::int64_t kSoundWaitUs = 3'000'000;
// Sound heard this far behind the clock is sound the clock has left behind.
constexpr double kSoundBehindSeconds = 0.05;

} // namespace

struct Stream::Impl {
    SystemClock systemClock;
    Clock* clock = nullptr;
    std::unique_ptr<AudioOutput> audio;
    PlaybackState state;
    std::unique_ptr<DecodeWorker> worker;
    std::thread thread;

    double volume = 100;
    double position = 0;
    QImage current;
    SourceFrame currentSource;   // the decoded frame `current` was made from
    PictureTarget currentTarget; // what `current` was made for
    PictureTarget wantedTarget;  // what the owner wants pictures made for
    PictureConverter converter;  // makes pictures again on the owner's thread
    double currentPts = 0;
    std::uint64_t currentPosGen = 0;
    std::uint64_t serial = 0;
    bool currentHanded = true;   // currentFrame() has given out `current`
    bool currentEarly = false;   // `current` is a first picture shown before its time
    bool currentStandIn = false; // `current` stands in for its request's first picture
    QSize lastShown;             // the size the last picture of the file showed at
    Stats figures;               // the owner's side of stats()

    // Starts a new request for the worker. Called with the lock held.
    void commandLocked(PlaybackState::Command command) {
        state.command = command;
        state.wakeWorker.notify_one();
    }

    // Makes the clock follow the sound while sound is being heard, and hold
    // while sound that is on its way has not started.
    void followSoundLocked(std::int64_t now) {
        if (!audio || !state.ready || state.paused) return;
        const auto heard = audio->position(now);
        const double at = state.positionLocked(now);
        if (heard && *heard < at - kSoundBehindSeconds) {
            // The device stopped taking sound for a while (its server stalled, a headset
            // dropped out) and the clock went on without it; now it plays what it held
            // from before. The sound skips to the clock, which holds until that sound is
            // heard: it never runs back, and no picture is lost.
            state.holdForSoundLocked(now);
            audio->skipTo(at);
            // The sound left out makes room the device will not tell of: the decoder may
            // be waiting for it, and the clock now waits for the decoder's sound.
            ++state.roomEvents;
            state.wakeWorker.notify_one();
            return;
        }
        // Sound heard again a little behind the position it was waited for at (the
        // device's first figures lag) is waited for until it reaches it: the position
        // does not run back to it.
        if (heard && !(state.waitingForSound && *heard < at)) {
            state.base = *heard;
            state.anchorUs = now;
            state.waitingForSound = false;
            return;
        }
        if (state.waitingForSound && (now - state.waitSinceUs > kSoundWaitUs || audio->failed())) {
            state.waitingForSound = false; // a silent or failed device: go on without it
            state.anchorUs = now;
        }
    }

    // Brings the position, picture and end-of-file check up to the clock, and the
    // picture to the place the owner wants it for.
    void refresh() {
        refreshLocked();
        if (current.isNull() || !currentSource || currentTarget == wantedTarget) return;
        // Made for another place (the picture moved, or the window changed size since
        // it was decoded): made again from its frame, outside the lock.
        QImage again = converter.convert(currentSource.get(), wantedTarget);
        if (again.isNull()) return;
        current = std::move(again);
        currentTarget = wantedTarget;
        ++serial;
    }

    void refreshLocked() {
        std::lock_guard lock(state.mutex);
        const std::int64_t now = clock->nowUs();
        followSoundLocked(now);
        position = state.positionLocked(now);
        while (!state.frames.empty()) {
            const QueuedFrame& f = state.frames.front();
            // The first picture after an open or a seek shows at once, ahead
            // of its time if need be, as a still of where playback is.
            const bool early = f.pts > position + 1e-9;
            if (early && f.posGen == currentPosGen && !currentStandIn) break;
            currentEarly = early;
            QueuedFrame shown = state.popFrameLocked();
            if (!currentHanded && !currentStandIn && shown.posGen == currentPosGen)
                ++state.droppedPictures;
            currentStandIn = shown.standIn;
            current = std::move(shown.image);
            currentSource = std::move(shown.source);
            currentTarget = shown.target;
            currentPts = shown.pts;
            currentPosGen = shown.posGen;
            currentHanded = false;
            ++serial;
            followPictureSizeLocked(shown.shown);
        }
        if (state.open && state.ready && state.inputDone && !state.stopReported &&
            position >= state.endPos) {
            state.stopReported = true;
            state.reports.push_back(Report::status(status::PlayStop));
            state.reports.push_back(Report::status(status::BufferEmpty));
        }
    }

    // A picture of another size than the one before it (a recorded broadcast whose
    // encoder changed its size midway, or a seek across such a change) is laid out anew:
    // the file's metadata is reported again, with the size the picture now shows at.
    void followPictureSizeLocked(QSize size) {
        if (size.isEmpty()) return;
        const QSize before = std::exchange(lastShown, size);
        if (before.isEmpty() || before == size || !state.metadata) return;
        AmfValue& metadata = *state.metadata;
        const AmfValue* width = metadata.find(QStringLiteral("width"));
        const AmfValue* height = metadata.find(QStringLiteral("height"));
        if (!width || !height || !(width->toNumber() > 0) || !(height->toNumber() > 0))
            return; // laid out without a size, over the whole stage, all along
        metadata.set(QStringLiteral("width"), AmfValue::number(size.width()));
        metadata.set(QStringLiteral("height"), AmfValue::number(size.height()));
        state.reports.push_back(Report::metaData(metadata));
    }

    // One sample of how late the picture handed out now is against the clock
    // that leads playback: the sound heard, or the stream's clock without it.
    void sampleOffsetLocked() {
        if (!state.open || !state.runningLocked() || state.stopReported || currentEarly ||
            currentPosGen != state.posGen)
            return;
        const std::int64_t now = clock->nowUs();
        const std::optional<double> heard = audio ? audio->position(now) : std::nullopt;
        const double offset = currentPts - (heard ? *heard : state.positionLocked(now));
        ++figures.offsetSamples;
        if (heard) ++figures.soundSamples;
        figures.lastOffset = offset;
        figures.offsetSum += offset;
        figures.offsetMaxAbs = std::max(figures.offsetMaxAbs, std::abs(offset));
    }

    // Forgets the position and pictures of the previous request.
    void restartLocked(double base) {
        ++state.posGen;
        state.clearFramesLocked();
        state.ready = false;
        state.waitingForSound = false;
        state.inputDone = false;
        state.stopReported = false;
        state.soundFrom = std::numeric_limits<double>::quiet_NaN();
        state.soundTo = std::numeric_limits<double>::quiet_NaN();
        state.base = base;
        position = base;
    }
};

Stream::Stream() : Stream(Options{}) {}

Stream::Stream(Options options) : d(std::make_unique<Impl>()) {
    d->clock = options.clock ? options.clock : &d->systemClock;
    if (options.soundOutput) d->audio = AudioOutput::create(*d->clock);
    if (d->audio) {
        // The decoder waits for room; the device makes it as it plays.
        d->audio->setRoomListener([s = &d->state] {
            std::lock_guard lock(s->mutex);
            ++s->roomEvents;
            s->wakeWorker.notify_one();
        });
    }
    d->worker = std::make_unique<DecodeWorker>(d->state, *d->clock, d->audio.get());
    d->thread = std::thread([w = d->worker.get()] { w->run(); });
}

Stream::~Stream() {
    {
        std::lock_guard lock(d->state.mutex);
        d->state.quit = true;
        ++d->state.abandonGen;
        d->state.wakeWorker.notify_all();
    }
    d->thread.join();
    if (d->audio) d->audio->setRoomListener({});
}

void Stream::play(const QString& path) {
    std::lock_guard lock(d->state.mutex);
    ++d->state.fileGen;
    ++d->state.abandonGen;
    d->restartLocked(0);
    d->state.open = true;
    d->state.paused = false;
    d->state.soundExpected = false; // until the file is open
    d->state.duration = std::numeric_limits<double>::quiet_NaN();
    d->state.path = path;
    d->state.target = 0;
    d->state.metadata.reset();
    d->lastShown = {};
    if (d->audio) d->audio->setPaused(false);
    d->commandLocked(PlaybackState::Command::Open);
}

void Stream::close() {
    std::lock_guard lock(d->state.mutex);
    ++d->state.fileGen;
    ++d->state.abandonGen;
    d->restartLocked(0);
    d->state.open = false;
    d->commandLocked(PlaybackState::Command::Close);
}

void Stream::pause() {
    pause(!isPaused());
}

void Stream::pause(bool paused) {
    std::lock_guard lock(d->state.mutex);
    if (d->state.paused == paused) return;
    const std::int64_t now = d->clock->nowUs();
    if (paused) {
        d->state.base = d->state.positionLocked(now);
    } else {
        d->state.anchorUs = now;
        // The sound left in the device resumes too; the clock waits for it.
        d->state.waitForSoundLocked(
            d->state.soundExpected && d->audio && d->audio->hasPendingSound(), now);
    }
    d->state.paused = paused;
    if (d->audio) d->audio->setPaused(paused);
    if (d->state.open)
        d->state.reports.push_back(
            Report::status(paused ? status::PauseNotify : status::UnpauseNotify));
}

bool Stream::isPaused() const {
    std::lock_guard lock(d->state.mutex);
    return d->state.paused;
}

bool Stream::isPlaying() const {
    std::lock_guard lock(d->state.mutex);
    return d->state.open && !d->state.paused && !d->state.stopReported;
}

void Stream::seek(double seconds) {
    if (std::isnan(seconds)) return;
    std::lock_guard lock(d->state.mutex);
    if (!d->state.open) return;
    if (seconds < 0) seconds = 0;
    if (std::isfinite(d->state.duration) && seconds > d->state.duration)
        seconds = d->state.duration;
    if (std::isinf(seconds)) return; // no known end to clamp to
    d->restartLocked(seconds);
    d->state.reports.push_back(Report::status(status::SeekNotify));
    if (d->state.command == PlaybackState::Command::Open) {
        // Still opening: start there instead.
        d->state.target = seconds;
        return;
    }
    d->state.target = seconds;
    d->commandLocked(PlaybackState::Command::Seek);
}

double Stream::time() {
    d->refresh();
    return d->position;
}

void Stream::setVolume(double volume) {
    if (std::isnan(volume)) return;
    d->volume = std::clamp(volume, 0.0, 100.0);
    if (d->audio) d->audio->setVolume(static_cast<int>(std::lround(d->volume)));
}

double Stream::volume() const {
    return d->volume;
}

void Stream::setPictureTarget(const PictureTarget& target) {
    if (target == d->wantedTarget) return;
    d->wantedTarget = target;
    std::lock_guard lock(d->state.mutex);
    d->state.pictureTarget = target;
}

PictureTarget Stream::currentFrameTarget() const {
    return d->currentTarget;
}

QSize Stream::currentFrameSize() const {
    if (!d->currentSource) return d->current.size();
    return shownSize({d->currentSource->width, d->currentSource->height},
                     frameQuarterTurns(*d->currentSource));
}

std::optional<std::int64_t> Stream::nextPictureDueUs() {
    std::lock_guard lock(d->state.mutex);
    if (d->state.frames.empty()) return std::nullopt;
    const QueuedFrame& next = d->state.frames.front();
    // The first picture after an open or a seek shows at once.
    if (next.posGen != d->currentPosGen) return 0;
    if (!d->state.runningLocked()) return std::nullopt; // the clock stands
    const std::int64_t now = d->clock->nowUs();
    d->followSoundLocked(now);
    const double ahead = next.pts - d->state.positionLocked(now);
    return ahead > 0 ? static_cast<std::int64_t>(std::ceil(ahead * 1e6)) : 0;
}

QImage Stream::currentFrame() {
    d->refresh();
    if (!d->currentHanded && !d->current.isNull()) {
        d->currentHanded = true;
        ++d->figures.shown;
        std::lock_guard lock(d->state.mutex);
        d->sampleOffsetLocked();
    }
    return d->current;
}

std::uint64_t Stream::frameSerial() {
    d->refresh();
    return d->serial;
}

std::vector<Report> Stream::pollReports() {
    d->refresh();
    std::lock_guard lock(d->state.mutex);
    std::vector<Report> out;
    out.swap(d->state.reports);
    return out;
}

void Stream::setReportNotifier(std::function<void()> notifier) {
    std::lock_guard lock(d->state.mutex);
    d->state.notifier = std::move(notifier);
}

bool Stream::waitForDecoder(std::chrono::milliseconds timeout) {
    std::unique_lock lock(d->state.mutex);
    PlaybackState& s = d->state;
    const std::uint64_t kick = ++s.kicks;
    s.wakeWorker.notify_one();
    return s.workerIdle.wait_for(lock, timeout, [&] {
        return s.command == PlaybackState::Command::None && s.workerWaiting &&
               s.workerKicks >= kick && s.workerFileGen == s.fileGen && s.workerPosGen == s.posGen;
    });
}

bool Stream::hasSoundOutput() const {
    return d->audio != nullptr;
}

Stream::Stats Stream::stats() const {
    Stats out = d->figures;
    std::lock_guard lock(d->state.mutex);
    out.decoded = d->state.decodedPictures;
    out.dropped = d->state.droppedPictures;
    out.mostQueued = d->state.mostQueued;
    out.position = d->position;
    out.ended = d->state.stopReported;
    out.soundFrom = d->state.soundFrom;
    out.soundTo = d->state.soundTo;
    return out;
}

} // namespace zimo::media
