// The script objects of the media classes: NetStream (one media stream each) and Sound
// (the volume of the sound a clip carries).
#pragma once

#include "media/stream.h"
#include "script/object.h"

#include <memory>

namespace zimo::running {

class ClipObject;
class RunningMovie;

class StreamObject final : public script::Object {
public:
    StreamObject(RunningMovie& movie, media::Stream::Options options);
    ~StreamObject() override;

    media::Stream& stream() { return *stream_; }
    std::optional<script::Value> hostGet(script::Engine& engine, const std::string& name) override;

private:
    RunningMovie* movie_;
    std::unique_ptr<media::Stream> stream_;
};

class SoundObject final : public script::Object {
public:
    SoundObject() = default;
    void trace(script::Tracer& t) const override;

    // The clip whose sound this object governs; null for the whole movie.
    ClipObject* target = nullptr;
    double volume = 100;
};

// Sets up NetConnection, NetStream and Sound on the engine's globals.
void defineMediaClasses(RunningMovie& movie);

} // namespace zimo::running
