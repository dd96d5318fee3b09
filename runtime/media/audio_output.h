// Sound out through the default audio device. The device runs on the process's sound
// thread and reads the sound when it wants some; decoded samples wait in a
// bounded buffer, each run of them stamped with its media time, so the output
// can tell which time is being heard. All methods are thread-safe.
#pragma once

#include "media/sound_converter.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace zimo::media {

class Clock;

class AudioOutput {
public:
    // Null when there is no application object, no output device, or the
    // device refuses to start.
    static std::unique_ptr<AudioOutput> create(const Clock& clock);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    const SoundFormat& format() const;

    // Whether the device has failed (its sound server went away, say): from then on the
    // sound goes nowhere, and nothing should wait for it to be heard.
    bool failed() const;

    // The decoder's side.
    bool hasRoom() const;
    // Called on the device's thread when the buffer has room again after it was full.
    void setRoomListener(std::function<void()> listener);
    void push(double pts, QByteArray samples);
    // Silence for `seconds` from media time `pts`: a stretch of the file without sound,
    // heard as time like any other.
    void pushSilence(double pts, double seconds);
    // Forgets every buffered sample (open, seek, close), those the device holds too.
    void clear();
    // Goes on from media time `pts`: the sound buffered for earlier times is left out, and
    // what the device already holds plays out without being heard as time.
    void skipTo(double pts);

    // The owner's side.
    void setPaused(bool paused);
    void setVolume(int volume); // 0..100
    // The media time being heard now, while sound is flowing; nothing when the
    // buffer has run dry, the device failed, or output is paused.
    std::optional<double> position(std::int64_t nowUs) const;
    // Whether sound with a media time is buffered or on its way through the
    // device, not yet heard.
    bool hasPendingSound() const;

private:
    struct Impl;
    explicit AudioOutput(std::unique_ptr<Impl> impl);
    void add(double pts, QByteArray samples, qsizetype length);
    std::unique_ptr<Impl> d;
};

} // namespace zimo::media
