#include "clip_classes.h"

#include "clip_object.h"
#include "convert.h"
#include "media_objects.h"
#include "running_movie.h"

#include "display/hit_test.h"
#include "display/movie_clip.h"
#include "display/video_surface.h"

#include <cmath>

namespace zimo::running {

using script::NativeCall;
using script::Value;

namespace {

// Depth 0 for the scripts is where the display list keeps script-made items.
constexpr int kScriptDepthBase = display::Container::kScriptDepthBase;

ClipObject* self(NativeCall& call) {
    return dynamic_cast<ClipObject*>(call.thisObject());
}

display::MovieClip* clipOf(NativeCall& call) {
    auto* object = self(call);
    auto item = object ? object->item() : nullptr;
    return dynamic_cast<display::MovieClip*>(item.get());
}

// gotoAndStop(3) and gotoAndStop("label").
void gotoFrame(NativeCall& call, bool stop) {
    auto* clip = clipOf(call);
    if (!clip) return;
    const Value& frame = call.arg(0);
    if (frame.isString()) {
        const double n = script::stringToNumber(frame.string());
        if (std::isnan(n)) {
            clip->gotoLabel(toQString(frame.string()), stop);
            return;
        }
    }
    const double n = call.engine.toNumber(frame);
    if (!std::isfinite(n)) return;
    const int f = static_cast<int>(n);
    stop ? clip->gotoAndStop(f) : clip->gotoAndPlay(f);
}

RunningMovie& movieOf(NativeCall& call) {
    return static_cast<RunningMovie&>(call.engine.host()); // the host of its own engine
}

Value none(NativeCall&) {
    return Value();
}

// --- The timeline methods of MovieClip ---------------------------------------------------------

// play, stop, nextFrame and prevFrame on `this`.
template <void (display::MovieClip::*step)()> Value timelineStep(NativeCall& call) {
    if (auto* clip = clipOf(call)) (clip->*step)();
    return Value();
}

template <bool stop> Value gotoAnd(NativeCall& call) {
    gotoFrame(call, stop);
    return Value();
}

Value createEmptyMovieClip(NativeCall& call) {
    auto* clip = clipOf(call);
    if (!clip) return Value();
    const double depth = call.engine.toNumber(call.arg(1));
    if (!std::isfinite(depth)) return Value();
    auto* made = clip->createEmptyMovieClip(toQString(call.engine.toString(call.arg(0))),
                                            static_cast<int>(depth) + kScriptDepthBase);
    return made ? Value(movieOf(call).objectFor(*made)) : Value();
}

Value getNextHighestDepth(NativeCall& call) {
    auto* clip = clipOf(call);
    return clip ? Value(clip->nextHighestDepth() - kScriptDepthBase) : Value();
}

Value attachAudio(NativeCall& call) {
    if (auto* object = self(call))
        object->audioStream = dynamic_cast<StreamObject*>(call.arg(0).asObject());
    return Value();
}

// The whole movie is in memory once loaded: loaded and total bytes agree.
Value movieBytes(NativeCall& call) {
    return Value(double(movieOf(call).movieSize()));
}

// --- What every item on the stage has ----------------------------------------------------------

Value hitTest(NativeCall& call) {
    auto* object = self(call);
    auto item = object ? object->item() : nullptr;
    if (!item) return Value(false);
    if (auto* other = dynamic_cast<ClipObject*>(call.arg(0).asObject())) {
        auto otherItem = other->item();
        if (!otherItem) return Value(false);
        const QRectF a = item->worldTransform().mapRect(item->contentBounds());
        const QRectF b = otherItem->worldTransform().mapRect(otherItem->contentBounds());
        return Value(a.intersects(b));
    }
    const QPointF point(call.engine.toNumber(call.arg(0)), call.engine.toNumber(call.arg(1)));
    const bool shape = script::toBoolean(call.engine.toPrimitive(call.arg(2)));
    return Value(shape ? display::hitTestShape(*item, point) : display::hitTestBox(*item, point));
}

Value startDrag(NativeCall& call) {
    auto* object = self(call);
    if (!object) return Value();
    const bool lock = script::toBoolean(call.engine.toPrimitive(call.arg(0)));
    if (call.args.size() >= 5) {
        script::DragRect r{call.engine.toNumber(call.arg(1)), call.engine.toNumber(call.arg(2)),
                           call.engine.toNumber(call.arg(3)), call.engine.toNumber(call.arg(4))};
        call.engine.host().startDrag(object, lock, &r);
    } else {
        call.engine.host().startDrag(object, lock, nullptr);
    }
    return Value();
}

Value stopDrag(NativeCall& call) {
    call.engine.host().stopDrag();
    return Value();
}

Value getDepth(NativeCall& call) {
    auto* object = self(call);
    auto item = object ? object->item() : nullptr;
    return item ? Value(item->depth() - kScriptDepthBase) : Value();
}

// --- Video -------------------------------------------------------------------------------------

Value attachVideo(NativeCall& call) {
    if (auto* object = self(call)) {
        object->videoStream = dynamic_cast<StreamObject*>(call.arg(0).asObject());
        object->shownSerial = 0;
        if (!object->videoStream) {
            if (auto* surface = dynamic_cast<display::VideoSurface*>(object->item().get()))
                surface->clear();
        }
    }
    return Value();
}

Value clearVideo(NativeCall& call) {
    if (auto* object = self(call)) {
        if (auto* surface = dynamic_cast<display::VideoSurface*>(object->item().get()))
            surface->clear();
    }
    return Value();
}

const script::NativeMethod kDisplayMethods[] = {
    {"hitTest", hitTest},
    {"startDrag", startDrag},
    {"stopDrag", stopDrag},
    {"getDepth", getDepth},
};

const script::NativeMethod kMovieClipMethods[] = {
    {"play", timelineStep<&display::MovieClip::play>},
    {"stop", timelineStep<&display::MovieClip::stop>},
    {"gotoAndStop", gotoAnd<true>},
    {"gotoAndPlay", gotoAnd<false>},
    {"nextFrame", timelineStep<&display::MovieClip::nextFrame>},
    {"prevFrame", timelineStep<&display::MovieClip::prevFrame>},
    {"createEmptyMovieClip", createEmptyMovieClip},
    {"getNextHighestDepth", getNextHighestDepth},
    {"attachAudio", attachAudio},
    {"getBytesLoaded", movieBytes},
    {"getBytesTotal", movieBytes},
};

const script::NativeMethod kVideoMethods[] = {
    {"attachVideo", attachVideo},
    {"clear", clearVideo},
};

} // namespace

ItemPrototypes defineItemClasses(RunningMovie& movie) {
    script::Engine& engine = movie.engine();
    // The prototype of a class whose instances the display list makes; items on the stage
    // (all but text fields) have the display methods as well.
    const auto define = [&engine](const char* name, std::span<const script::NativeMethod> methods,
                                  bool onStage) {
        script::Object* proto = engine.prototypeOf(
            engine.defineClass({.name = name, .constructor = none, .methods = methods}));
        if (onStage) engine.defineMethods(proto, kDisplayMethods);
        return proto;
    };
    ItemPrototypes protos;
    protos.movieClip = define("MovieClip", kMovieClipMethods, true);
    protos.video = define("Video", kVideoMethods, true);
    protos.textField = define("TextField", {}, false);
    protos.button = define("Button", {}, true);
    return protos;
}

namespace {

class StageObject final : public script::Object {
public:
    StageObject(script::Object* proto, RunningMovie& movie)
        : script::Object(proto), movie_(&movie) {}

    std::optional<Value> hostGet(script::Engine&, const std::string& name) override {
        stage::Stage& stage = movie_->stage();
        if (name == "width") return Value(stage.stageSize().width());
        if (name == "height") return Value(stage.stageSize().height());
        if (name == "scaleMode")
            return Value(stage.scaleMode() == stage::ScaleMode::NoScale ? "noScale" : "showAll");
        if (name == "align") return Value(align_);
        return std::nullopt;
    }

    bool hostSet(script::Engine& engine, const std::string& name, const Value& value) override {
        if (name == "scaleMode") {
            const std::string mode = engine.toString(value);
            movie_->stage().setScaleMode(mode == "noScale" ? stage::ScaleMode::NoScale
                                                           : stage::ScaleMode::ShowAll);
            return true;
        }
        if (name == "align") {
            align_ = engine.toString(value);
            return true;
        }
        return name == "width" || name == "height"; // read-only
    }

private:
    RunningMovie* movie_;
    std::string align_;
};

} // namespace

script::Object* defineStage(RunningMovie& movie) {
    script::Engine& engine = movie.engine();
    auto* stage = engine.make<StageObject>(engine.objectPrototype(), movie);
    engine.globals()->define("Stage", Value(stage), script::DontEnum);
    // addListener, removeListener and broadcastMessage, as every broadcaster has.
    Value broadcaster = engine.get(Value(engine.globals()), "AsBroadcaster");
    const Value args[] = {Value(stage)};
    engine.callMethod(broadcaster, "initialize", args);
    return stage;
}

} // namespace zimo::running
