// The body of a stream's decoding thread: opens files, seeks, decodes ahead of
// the clock into the bounded picture queue and sound buffer, and reports.
#pragma once

#include "media/media_file.h"
#include "media/picture_converter.h"
#include "media/playback_state.h"
#include "media/sound_converter.h"

#include <limits>
#include <memory>
#include <optional>

namespace zimo::media {

class AudioOutput;
class Clock;

class DecodeWorker {
public:
    DecodeWorker(PlaybackState& state, const Clock& clock, AudioOutput* audio);
    // Runs until the state's quit flag is set.
    void run();

private:
    // Calls the owner's notifier when there was news since `before`.
    void notifyOwner(std::unique_lock<std::mutex>& lock, std::uint64_t before);
    void handle(PlaybackState::Command command, const QString& path, double target);
    void openFile(const QString& path, double target);
    void startAt(double target);
    void step();
    void onVideo(MediaFile::Item item);
    void onAudio(MediaFile::Item item);
    void onEnd();
    void finishSeek();
    bool lookFurtherBack();
    void deliver(double pts, const AVFrame* frame, bool standIn = false);
    void markReady();
    void countDropped();
    bool canProduceLocked();
    double duePositionLocked() const;

    PlaybackState& s_;
    const Clock& clock_;
    AudioOutput* audio_;
    std::unique_ptr<MediaFile> file_;
    PictureConverter pictures_;
    std::optional<SoundConverter> sounds_;

    std::uint64_t fileGen_ = 0;
    std::uint64_t posGen_ = 0;
    std::uint64_t abandonGen_ = 0;
    bool ended_ = true;    // the current file's input is used up
    bool seeking_ = false; // looking for the picture at target_
    double target_ = 0;
    bool readySent_ = false;
    FramePtr candidate_; // newest picture not yet due for delivery
    double candidatePts_ = 0;
    double maxEnd_ = 0; // end time of the latest decoded frame since the last start
    bool decodedSinceStart_ = false;
    bool picturedSinceStart_ = false; // a picture decoded since the last start
    int retreats_ = 0;                // seeks further back for a seek that found no picture
    double retreatFrom_ = 0;          // the time the last of them went back from
    bool soundNoted_ = false;         // the start of the sound is known to the state
    // Where the sound given to the device ends; NaN before any.
    double soundEnd_ = std::numeric_limits<double>::quiet_NaN();
    bool wantPictures_ = true; // room in the picture queue
    bool wantSound_ = false;   // room in the sound buffer
    bool soundGoes_ = false;   // the file's sound goes to a device
};

} // namespace zimo::media
