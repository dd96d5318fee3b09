#include "media/decode_worker.h"

#include "media/audio_output.h"
#include "media/clock.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>
#include <cmath>
#include <limits>

namespace zimo::media {

namespace {

// How far short of a file's duration its data may end and still count as ending there
// (beyond the delay before its first picture).
constexpr double kEndSlack = 0.1;
// A stretch this long or longer with no sound, between where the sound got to (or where
// playing starts) and the next sound, is played as silence; sound overlapping what was
// given by this much or more is cut. Less is the rounding of the file's timestamps.
constexpr double kSoundGapSeconds = 0.05;
// How many times a seek that found no picture before the end is tried further back.
constexpr int kMaxRetreats = 8;

// Metadata for containers other than Flash Video, and for Flash Video without its own:
// what their headers give.
AmfValue headerMetadata(const MediaInfo& info) {
    AmfValue obj = AmfValue::object();
    if (std::isfinite(info.duration))
        obj.set(QStringLiteral("duration"), AmfValue::number(info.duration));
    if (info.width > 0 && info.height > 0) {
        obj.set(QStringLiteral("width"), AmfValue::number(info.width));
        obj.set(QStringLiteral("height"), AmfValue::number(info.height));
    }
    return obj;
}

} // namespace

DecodeWorker::DecodeWorker(PlaybackState& state, const Clock& clock, AudioOutput* audio)
    : s_(state), clock_(clock), audio_(audio) {}

void DecodeWorker::run() {
    std::unique_lock lock(s_.mutex);
    for (;;) {
        if (s_.quit) return;
        if (s_.command != PlaybackState::Command::None) {
            const auto command = s_.command;
            const QString path = s_.path;
            const double target = s_.target;
            s_.command = PlaybackState::Command::None;
            fileGen_ = s_.fileGen;
            posGen_ = s_.posGen;
            abandonGen_ = s_.abandonGen.load();
            const std::uint64_t newsBefore = s_.news;
            lock.unlock();
            handle(command, path, target);
            lock.lock();
            notifyOwner(lock, newsBefore);
            continue;
        }
        if (file_ && !ended_ && canProduceLocked()) {
            const std::uint64_t newsBefore = s_.news;
            lock.unlock();
            step();
            lock.lock();
            notifyOwner(lock, newsBefore);
            continue;
        }
        // Nothing to do until the owner asks for something or room appears: the owner
        // takes a picture, or the device takes sound.
        const std::uint64_t room = s_.roomEvents;
        s_.workerFileGen = fileGen_;
        s_.workerPosGen = posGen_;
        s_.workerKicks = s_.kicks;
        s_.workerWaiting = true;
        s_.workerIdle.notify_all();
        s_.wakeWorker.wait(lock, [&] {
            return s_.quit || s_.command != PlaybackState::Command::None ||
                   s_.kicks != s_.workerKicks || s_.roomEvents != room;
        });
        s_.workerWaiting = false;
    }
}

void DecodeWorker::notifyOwner(std::unique_lock<std::mutex>& lock, std::uint64_t before) {
    if (s_.news == before || !s_.notifier) return;
    const auto notifier = s_.notifier;
    lock.unlock();
    notifier();
    lock.lock();
}

void DecodeWorker::handle(PlaybackState::Command command, const QString& path, double target) {
    switch (command) {
    case PlaybackState::Command::Open:
        openFile(path, target);
        break;
    case PlaybackState::Command::Seek:
        if (file_) {
            // A seek overtaken on its way (the knob dragged on before the picture was
            // reached, as it is in a file with key frames far apart) shows the newest
            // picture it decoded, so that the picture follows the knob meanwhile.
            if (seeking_ && candidate_) deliver(candidatePts_, candidate_.get(), true);
            if (std::isfinite(file_->info().duration) && target > file_->info().duration)
                target = file_->info().duration;
            file_->seek(target);
            startAt(target);
        }
        break;
    case PlaybackState::Command::Close:
        file_.reset();
        candidate_.reset();
        if (audio_) audio_->clear();
        break;
    case PlaybackState::Command::None:
        break;
    }
}

void DecodeWorker::openFile(const QString& path, double target) {
    file_.reset();
    candidate_.reset();
    if (audio_) audio_->clear();
    MediaFile::Options options;
    options.interrupted = [this, gen = abandonGen_] { return s_.abandonGen.load() != gen; };
    std::unique_ptr<MediaFile> file = MediaFile::open(path, options);
    std::optional<AmfValue> metadata;
    if (file) metadata = file->flvMetadata() ? file->flvMetadata() : headerMetadata(file->info());
    {
        std::lock_guard lock(s_.mutex);
        if (s_.fileGen != fileGen_) return; // replaced meanwhile; the next command decides
        if (!file) {
            s_.open = false;
            s_.workerReportLocked(Report::status(status::StreamNotFound, QStringLiteral("error")));
            return;
        }
        s_.duration = file->info().duration;
        s_.workerReportLocked(Report::status(status::PlayStart));
        s_.metadata = metadata;
        if (metadata) s_.workerReportLocked(Report::metaData(std::move(*metadata)));
    }
    file_ = std::move(file);
    sounds_.reset();
    if (target > 0) file_->seek(target);
    startAt(target);
}

// Begins decoding towards the picture at target, after an open or a seek.
void DecodeWorker::startAt(double target) {
    if (audio_) audio_->clear();
    // The file's sound is decoded while the device works: one that failed has just been
    // tried again (its sound server back, say), and sound comes back from here.
    const bool sound = audio_ && !audio_->failed() && file_ && file_->info().hasAudio;
    if (sound && !sounds_) sounds_.emplace(audio_->format());
    if (!sound) sounds_.reset();
    candidate_.reset();
    ended_ = false;
    seeking_ = true;
    target_ = target;
    readySent_ = false;
    maxEnd_ = 0;
    decodedSinceStart_ = false;
    picturedSinceStart_ = false;
    retreats_ = 0;
    retreatFrom_ = target;
    soundNoted_ = false;
    soundEnd_ = std::numeric_limits<double>::quiet_NaN();
    std::lock_guard lock(s_.mutex);
    if (s_.fileGen == fileGen_) s_.soundExpected = sound;
    if (s_.posGen == posGen_) s_.base = target;
}

bool DecodeWorker::canProduceLocked() {
    s_.dropSupersededLocked(s_.positionLocked(clock_.nowUs()));
    const bool picturesOver = file_->picturesOver();
    // Pictures are read for only while the sound read past on the way can wait compressed;
    // with much of it waiting, it is decoded as the device takes it, and reading on waits.
    wantPictures_ = !picturesOver && s_.frameRoomLocked() && !file_->soundHeldBack();
    // Sound for the device runs ahead of the pictures by the device's latency, so it may be
    // decoded while the picture queue is full, but no further ahead than the device's
    // buffer. It is not read for once it is over, nor while much of the pictures read past
    // on the way waits (sound that ends long before the pictures): that would decode every
    // picture met into the queue, however full.
    const bool soundOver = file_->soundOver();
    soundGoes_ = audio_ && sounds_ && !audio_->failed();
    wantSound_ = soundGoes_ && audio_->hasRoom() && !soundOver && !file_->picturesHeldBack();
    // With the pictures over and no sound for a device, the rest is read through; so it
    // is for a seek that found no picture, which then looks further back at the end.
    return wantPictures_ || wantSound_ || (picturesOver && (!soundGoes_ || seeking_ || soundOver));
}

double DecodeWorker::duePositionLocked() const {
    return seeking_ ? target_ : s_.positionLocked(clock_.nowUs());
}

void DecodeWorker::step() {
    // Sound that goes to no device costs nothing to keep: it is decoded as it comes.
    MediaFile::Item item =
        file_->next(wantPictures_ || !wantSound_, wantSound_ || !wantPictures_ || !soundGoes_);
    switch (item.kind) {
    case MediaFile::Item::Kind::Video:
        onVideo(std::move(item));
        break;
    case MediaFile::Item::Kind::Audio:
        onAudio(std::move(item));
        break;
    case MediaFile::Item::Kind::End:
        onEnd();
        return;
    }
    // A seek whose pictures ran out before its time shows the last of them; the sound
    // after it then plays as the device takes it. One that found none looks further back,
    // or, with none anywhere behind it (every picture damaged), is done without a picture,
    // as it is when much sound has been read past without one: the rest of the sound is
    // not decoded all at once while pictures are looked for.
    if (!seeking_ || !file_->info().hasVideo) return;
    if (file_->picturesOver() && (picturedSinceStart_ || !lookFurtherBack()))
        finishSeek();
    else if (!picturedSinceStart_ && file_->soundHeldBack())
        finishSeek();
}

void DecodeWorker::onVideo(MediaFile::Item item) {
    decodedSinceStart_ = true;
    picturedSinceStart_ = true;
    maxEnd_ = std::max(maxEnd_, item.pts + item.duration);
    double due = 0;
    {
        std::lock_guard lock(s_.mutex);
        due = duePositionLocked();
        ++s_.decodedPictures;
    }
    // A picture whose successor is due as well would never show: keep it only
    // as the stand-in for the moment, unconverted.
    if (item.duration > 0 ? item.pts + item.duration <= due : item.pts <= due) {
        // Behind the clock (a seek on its way, or a machine too slow or too busy for the
        // stream): until the decoder has caught up, the pictures that nothing else is made
        // from are not decoded at all.
        file_->skipUnusedUpTo(due);
        if (candidate_) countDropped();
        candidate_ = std::move(item.frame);
        candidatePts_ = item.pts;
        return;
    }
    if (candidate_) {
        if (item.pts > due)
            deliver(candidatePts_, candidate_.get());
        else
            countDropped();
    }
    candidate_.reset();
    deliver(item.pts, item.frame.get());
    seeking_ = false;
    markReady();
}

void DecodeWorker::onAudio(MediaFile::Item item) {
    decodedSinceStart_ = true;
    maxEnd_ = std::max(maxEnd_, item.pts + item.duration);
    double due = 0;
    {
        std::lock_guard lock(s_.mutex);
        due = duePositionLocked();
        // How far the sound given reaches, as of the frame before: only for measuring.
        if (s_.posGen == posGen_ && !std::isnan(soundEnd_)) s_.soundTo = soundEnd_;
    }
    if (item.pts + item.duration <= due) return; // already past
    if (!soundNoted_) {
        soundNoted_ = true;
        std::lock_guard lock(s_.mutex);
        if (s_.posGen == posGen_) s_.soundFrom = std::max(item.pts, due);
    }
    if (audio_ && !sounds_ && !audio_->failed()) {
        // Sound the file brings only now (it starts late, or a later part brings it). The
        // clock holds until it is heard, as when playing starts, and goes with it after.
        sounds_.emplace(audio_->format());
        std::lock_guard lock(s_.mutex);
        if (s_.fileGen == fileGen_) {
            s_.soundExpected = true;
            if (s_.runningLocked()) s_.holdForSoundLocked(clock_.nowUs());
        }
    }
    if (audio_ && sounds_) {
        QByteArray samples = sounds_->convert(item.frame.get());
        double pts = item.pts;
        // Sound before the due time is past. Sound stamped well before the end of the sound
        // already given (its timestamps went back midway) would be heard after it and take
        // the clock back with it: the part it overlaps is left out too.
        double keepFrom = due;
        if (!std::isnan(soundEnd_) && soundEnd_ - pts >= kSoundGapSeconds)
            keepFrom = std::max(keepFrom, soundEnd_);
        if (pts < keepFrom) {
            const int frameBytes = sounds_->format().bytesPerFrame();
            const auto skip =
                static_cast<qsizetype>((keepFrom - pts) * sounds_->format().sampleRate) *
                frameBytes;
            samples.remove(0, std::min(skip, samples.size()));
            pts = keepFrom;
        }
        if (!samples.isEmpty()) {
            // Sound that starts after the pictures, or breaks off for a while, leaves the
            // device silent for as long: the clock, which goes with the sound heard, then
            // runs through the stretch with the pictures instead of leaping over it.
            // Only from the due time: the stretch behind it is past, or was skipped.
            const double from = std::isnan(soundEnd_) ? due : std::max(soundEnd_, due);
            if (pts - from >= kSoundGapSeconds) audio_->pushSilence(from, pts - from);
            const SoundFormat& f = sounds_->format();
            soundEnd_ =
                pts + static_cast<double>(samples.size() / f.bytesPerFrame()) / f.sampleRate;
            audio_->push(pts, std::move(samples));
        }
    }
    if (!file_->info().hasVideo && seeking_) {
        seeking_ = false;
        markReady();
    }
}

// A seek that read to the end without a picture went past the last one the file can show:
// the file was cut short (a download broken off), and its last key frame with it. The
// picture of a seek beyond the end is the last one, so the seek moves to the key frame
// before the one it landed on, and looks on from there. Pictures and sound before the
// target are passed over as on any seek, and the end is where the last of them ends.
bool DecodeWorker::lookFurtherBack() {
    if (!seeking_ || picturedSinceStart_ || !file_->info().hasVideo || target_ <= 0 ||
        retreats_ >= kMaxRetreats)
        return false;
    const double landed = file_->landedAt();
    // Nothing read from where it landed: one second before the target, then two, four…,
    // never later than the last try.
    const double from =
        std::isnan(landed) ? std::min(retreatFrom_, target_ - double(1 << retreats_)) : landed;
    if (!(from > 0)) return false;
    ++retreats_;
    retreatFrom_ = from - 1e-3;
    file_->seek(retreatFrom_);
    return true;
}

void DecodeWorker::finishSeek() {
    if (candidate_) deliver(candidatePts_, candidate_.get());
    candidate_.reset();
    seeking_ = false;
    markReady();
}

void DecodeWorker::onEnd() {
    if (lookFurtherBack()) return;
    finishSeek();
    ended_ = true;
    std::lock_guard lock(s_.mutex);
    if (s_.posGen != posGen_) return;
    s_.inputDone = true;
    double end = decodedSinceStart_ ? std::max(maxEnd_, 0.0) : target_;
    // The duration a file gives counts from its own start, which may lie before the first
    // picture by the encoders' delay: an end that falls short by about that much is the
    // duration, so a player sees its position reach the total at the end.
    const double duration = file_->info().duration;
    if (duration > end && duration - end <= file_->info().startOffset + kEndSlack) end = duration;
    s_.endPos = end;
}

void DecodeWorker::deliver(double pts, const AVFrame* frame, bool standIn) {
    PictureTarget target;
    {
        std::lock_guard lock(s_.mutex);
        target = s_.pictureTarget;
    }
    QImage image = pictures_.convert(frame, target);
    if (image.isNull()) return;
    // The frame stays with its picture (a reference, not a copy), for the owner to make
    // it again should the picture's place change before it shows.
    SourceFrame source(av_frame_clone(frame), [](AVFrame* f) { av_frame_free(&f); });
    std::lock_guard lock(s_.mutex);
    if (s_.posGen != posGen_) return;
    s_.pushFrameLocked({pts, std::move(image), posGen_, std::move(source), target, standIn,
                        file_->shownSize(*frame)});
}

// A stand-in picture replaced before it was delivered. Pictures passed over on
// the way to a seek target are not dropped: they were never due.
void DecodeWorker::countDropped() {
    if (seeking_) return;
    std::lock_guard lock(s_.mutex);
    if (s_.posGen == posGen_) ++s_.droppedPictures;
}

void DecodeWorker::markReady() {
    if (readySent_) return;
    readySent_ = true;
    std::lock_guard lock(s_.mutex);
    if (s_.posGen != posGen_ || s_.ready) return;
    s_.ready = true;
    s_.anchorUs = clock_.nowUs();
    // With sound on its way to a device the clock starts when it is heard (or, should
    // the device fail, as soon as the owner sees that).
    s_.waitForSoundLocked(s_.soundExpected, s_.anchorUs);
    s_.workerReportLocked(Report::status(status::BufferFull));
}

} // namespace zimo::media
