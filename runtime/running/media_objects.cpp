#include "media_objects.h"

#include "clip_object.h"
#include "convert.h"
#include "running_movie.h"

#include <cmath>

namespace zimo::running {

using script::NativeCall;
using script::Value;

StreamObject::StreamObject(RunningMovie& movie, media::Stream::Options options)
    : movie_(&movie), stream_(std::make_unique<media::Stream>(options)) {
    movie_->addStream(this);
}

StreamObject::~StreamObject() {
    movie_->removeStream(this);
}

std::optional<Value> StreamObject::hostGet(script::Engine&, const std::string& name) {
    if (name == "time") return Value(stream_->time());
    return std::nullopt;
}

void SoundObject::trace(script::Tracer& t) const {
    script::Object::trace(t);
    t.mark(target);
}

namespace {

StreamObject* streamOf(const Value& v) {
    return dynamic_cast<StreamObject*>(v.asObject());
}

// The level a Sound gives the stream its clip carries.
void applyVolume(SoundObject& sound) {
    if (sound.target && sound.target->audioStream)
        sound.target->audioStream->stream().setVolume(sound.volume);
}

Value none(NativeCall&) {
    return Value();
}

// --- NetConnection: connect(null) lets streams read local files by path -----------------------

Value connectionConnect(NativeCall& call) {
    if (auto* self = call.thisObject()) call.engine.set(self, "isConnected", Value(true));
    return Value(true);
}

const script::NativeMethod kConnectionMethods[] = {
    {"connect", connectionConnect},
    {"close", none},
};

// --- NetStream: one media stream per object ----------------------------------------------------

Value streamPlay(NativeCall& call) {
    if (auto* self = streamOf(call.thisValue))
        self->stream().play(toQString(call.engine.toString(call.arg(0))));
    return Value();
}

Value streamClose(NativeCall& call) {
    if (auto* self = streamOf(call.thisValue)) self->stream().close();
    return Value();
}

Value streamPause(NativeCall& call) {
    if (auto* self = streamOf(call.thisValue)) {
        if (call.arg(0).isUndefined())
            self->stream().pause();
        else
            self->stream().pause(script::toBoolean(call.engine.toPrimitive(call.arg(0))));
    }
    return Value();
}

Value streamSeek(NativeCall& call) {
    // A target that is not a number is ignored by the stream.
    if (auto* self = streamOf(call.thisValue))
        self->stream().seek(call.engine.toNumber(call.arg(0)));
    return Value();
}

Value streamSetBufferTime(NativeCall& call) {
    if (auto* self = call.thisObject())
        call.engine.set(self, "bufferTime", Value(call.engine.toNumber(call.arg(0))));
    return Value();
}

const script::NativeMethod kStreamMethods[] = {
    {"play", streamPlay},
    {"close", streamClose},
    {"pause", streamPause},
    {"seek", streamSeek},
    {"setBufferTime", streamSetBufferTime},
};

// --- Sound: the volume of what a clip carries --------------------------------------------------

SoundObject* soundOf(NativeCall& call) {
    return dynamic_cast<SoundObject*>(call.thisObject());
}

Value constructSound(NativeCall& call) {
    if (auto* self = soundOf(call))
        self->target = dynamic_cast<ClipObject*>(call.arg(0).asObject());
    return Value();
}

Value setVolume(NativeCall& call) {
    if (auto* self = soundOf(call)) {
        const double v = call.engine.toNumber(call.arg(0));
        if (!std::isnan(v)) self->volume = v;
        applyVolume(*self);
    }
    return Value();
}

Value getVolume(NativeCall& call) {
    auto* self = soundOf(call);
    return self ? Value(self->volume) : Value();
}

const script::NativeMethod kSoundMethods[] = {
    {"setVolume", setVolume},
    {"getVolume", getVolume},
};

} // namespace

void defineMediaClasses(RunningMovie& movie) {
    script::Engine& engine = movie.engine();
    engine.defineClass(
        {.name = "NetConnection", .constructor = none, .methods = kConnectionMethods});
    engine.defineClass({.name = "NetStream",
                        .constructor = none,
                        .factory = [&movie](script::Engine& e) -> script::Object* {
                            media::Stream::Options options;
                            options.clock = movie.options().clock;
                            options.soundOutput = movie.options().soundOutput;
                            return e.make<StreamObject>(movie, options);
                        },
                        .methods = kStreamMethods});
    engine.defineClass(
        {.name = "Sound",
         .constructor = constructSound,
         .factory = [](script::Engine& e) -> script::Object* { return e.make<SoundObject>(); },
         .methods = kSoundMethods});
}

} // namespace zimo::running
