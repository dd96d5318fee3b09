#include "media_objects.h"

#include "clip_object.h"
#include "convert.h"
#include "movie_runtime.h"

#include <cmath>

namespace zimo::bindings {

using script::NativeCall;
using script::Value;

StreamObject::StreamObject(MovieRuntime& runtime, media::Stream::Options options)
    : runtime_(&runtime), stream_(std::make_unique<media::Stream>(options)) {
    runtime_->addStream(this);
}

StreamObject::~StreamObject() {
    runtime_->removeStream(this);
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

} // namespace

void defineMediaClasses(MovieRuntime& runtime) {
    script::Engine& engine = runtime.engine();

    // NetConnection: connect(null) lets streams read local files by path.
    auto* connection = engine.defineClass("NetConnection", [](NativeCall&) { return Value(); });
    script::Object* connectionProto = engine.prototypeOf(connection);
    engine.defineMethod(connectionProto, "connect", [](NativeCall& call) {
        if (auto* self = call.thisObject()) call.engine.set(self, "isConnected", Value(true));
        return Value(true);
    });
    engine.defineMethod(connectionProto, "close", [](NativeCall&) { return Value(); });

    // NetStream: one media stream per object.
    auto* stream = engine.defineClass(
        "NetStream", [](NativeCall&) { return Value(); },
        [&runtime](script::Engine& e) -> script::Object* {
            media::Stream::Options options;
            options.clock = runtime.options().clock;
            options.soundOutput = runtime.options().soundOutput;
            return e.make<StreamObject>(runtime, options);
        });
    script::Object* streamProto = engine.prototypeOf(stream);
    engine.defineMethod(streamProto, "play", [](NativeCall& call) {
        if (auto* self = streamOf(call.thisValue))
            self->stream().play(toQString(call.engine.toString(call.arg(0))));
        return Value();
    });
    engine.defineMethod(streamProto, "close", [](NativeCall& call) {
        if (auto* self = streamOf(call.thisValue)) self->stream().close();
        return Value();
    });
    engine.defineMethod(streamProto, "pause", [](NativeCall& call) {
        if (auto* self = streamOf(call.thisValue)) {
            if (call.arg(0).isUndefined())
                self->stream().pause();
            else
                self->stream().pause(script::toBoolean(call.engine.toPrimitive(call.arg(0))));
        }
        return Value();
    });
    engine.defineMethod(streamProto, "seek", [](NativeCall& call) {
        // A target that is not a number is ignored by the stream.
        if (auto* self = streamOf(call.thisValue))
            self->stream().seek(call.engine.toNumber(call.arg(0)));
        return Value();
    });
    engine.defineMethod(streamProto, "setBufferTime", [](NativeCall& call) {
        if (auto* self = call.thisObject())
            call.engine.set(self, "bufferTime", Value(call.engine.toNumber(call.arg(0))));
        return Value();
    });

    // Sound: the volume of what a clip carries.
    auto* sound = engine.defineClass(
        "Sound",
        [](NativeCall& call) {
            if (auto* self = dynamic_cast<SoundObject*>(call.thisObject()))
                self->target = dynamic_cast<ClipObject*>(call.arg(0).asObject());
            return Value();
        },
        [](script::Engine& e) -> script::Object* { return e.make<SoundObject>(); });
    script::Object* soundProto = engine.prototypeOf(sound);
    engine.defineMethod(soundProto, "setVolume", [](NativeCall& call) {
        if (auto* self = dynamic_cast<SoundObject*>(call.thisObject())) {
            const double v = call.engine.toNumber(call.arg(0));
            if (!std::isnan(v)) self->volume = v;
            applyVolume(*self);
        }
        return Value();
    });
    engine.defineMethod(soundProto, "getVolume", [](NativeCall& call) {
        auto* self = dynamic_cast<SoundObject*>(call.thisObject());
        return self ? Value(self->volume) : Value();
    });
}

} // namespace zimo::bindings
