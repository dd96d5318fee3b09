#include "running_movie.h"

#include "clip_classes.h"
#include "clip_object.h"
#include "convert.h"
#include "media_objects.h"

#include "display/button_item.h"
#include "display/edit_text.h"
#include "display/movie_clip.h"
#include "display/video_surface.h"
#include "render/picture_fit.h"
#include "render/renderer.h"

#include <algorithm>
#include <cmath>

namespace zimo::running {

using script::Value;

namespace {

// Enough ticks for a loading check to reach the main frame and run its script.
constexpr int kSettleTicks = 8;

// Visits every item below (and including) item, parents before children.
template <class F> void forEachItem(display::DisplayObject& item, F&& visit) {
    visit(item);
    if (auto* container = dynamic_cast<display::Container*>(&item)) {
        // A snapshot: handlers may change the list while we walk it.
        std::vector<std::shared_ptr<display::DisplayObject>> children;
        for (const auto& [depth, child] : container->children())
            children.push_back(child);
        for (const auto& child : children)
            if (!child->removed()) forEachItem(*child, visit);
    }
}

const char* handlerName(display::PointerEvent event) {
    switch (event) {
    case display::PointerEvent::Press:
        return "onPress";
    case display::PointerEvent::Release:
        return "onRelease";
    case display::PointerEvent::ReleaseOutside:
        return "onReleaseOutside";
    case display::PointerEvent::RollOver:
        return "onRollOver";
    case display::PointerEvent::RollOut:
        return "onRollOut";
    }
    return "";
}

display::MovieClip* clipFor(script::Object* target) {
    auto* object = dynamic_cast<ClipObject*>(target);
    return object ? dynamic_cast<display::MovieClip*>(object->item().get()) : nullptr;
}

} // namespace

RunningMovie::RunningMovie(Options options)
    : options_(options), engine_(std::make_unique<script::Engine>(this)) {
    stage_.setActionSink(this);
    stage_.setStageResizeHandler([this] {
        if (stageObject_) engine_->broadcast(stageObject_, "onResize");
    });
    defineClasses();
}

RunningMovie::~RunningMovie() {
    // The display list goes first, without telling anyone; then the script objects, whose
    // streams stop as they go.
    stage_.setActionSink(nullptr);
    objects_.clear();
    movieClipProtoPin_ = {};
    videoProtoPin_ = {};
    textFieldProtoPin_ = {};
    buttonProtoPin_ = {};
    stageObjectPin_ = {};
    engine_.reset();
}

void RunningMovie::defineClasses() {
    const ItemPrototypes protos = defineItemClasses(*this);
    movieClipProto_ = protos.movieClip;
    videoProto_ = protos.video;
    textFieldProto_ = protos.textField;
    buttonProto_ = protos.button;
    movieClipProtoPin_ = script::Pinned(*engine_, movieClipProto_);
    videoProtoPin_ = script::Pinned(*engine_, videoProto_);
    textFieldProtoPin_ = script::Pinned(*engine_, textFieldProto_);
    buttonProtoPin_ = script::Pinned(*engine_, buttonProto_);
    defineMediaClasses(*this);
    stageObject_ = defineStage(*this);
    stageObjectPin_ = script::Pinned(*engine_, stageObject_);
}

bool RunningMovie::load(std::span<const std::uint8_t> file) {
    // A movie that cannot be read leaves the one running as it is.
    swf::MovieLoad loaded = swf::loadMovie(file);
    if (!loaded) return false;
    objects_.clear();
    if (!stage_.load(std::move(loaded.movie))) return false;
    movieBytes_ = file.size();
    return true;
}

void RunningMovie::settle() {
    for (int i = 0; i < kSettleTicks; ++i) {
        auto* root = stage_.root();
        if (!root || !root->playing()) {
            // Stopped: one more tick lets an enter-frame check move it on.
            const int before = root ? root->currentFrame() : 0;
            tick(frameIntervalMs());
            if (!stage_.root() || stage_.root()->currentFrame() == before) return;
        } else {
            tick(frameIntervalMs());
        }
    }
}

double RunningMovie::frameIntervalMs() const {
    const double rate = stage_.frameRate();
    return rate > 0 ? 1000.0 / rate : 1000.0 / 12;
}

bool RunningMovie::waitForStreams(int timeoutMs) {
    bool all = true;
    for (StreamObject* stream : streams_)
        all = stream->stream().waitForDecoder(std::chrono::milliseconds(timeoutMs)) && all;
    return all;
}

void RunningMovie::tick(double elapsedMs) {
    engine_->advanceTime(elapsedMs);
    deliverStreamReports();
    refreshPressTakers();
    stage_.tick(); // timelines, frame actions, then tickDone()
    showStreamPictures();
}

void RunningMovie::tickDone() {
    runEnterFrameHandlers();
    updateTextFields();
}

void RunningMovie::setVariable(const QString& name, const QString& value) {
    if (auto* r = root())
        engine_->setVariable(r, script::toUtf8(utf16(name)), Value(script::toUtf8(utf16(value))));
    stage_.runActions(); // timeline moves the watchers made
}

QString RunningMovie::getVariable(const QString& path) {
    auto* r = root();
    if (!r) return {};
    const Value v = engine_->getVariable(r, script::toUtf8(utf16(path)));
    if (v.isUndefined()) {
        // Properties of items the scripts cannot name (shapes) are still read by path.
        const display::PropertyValue p = stage_.property(path);
        return std::holds_alternative<std::monostate>(p) ? QString() : display::formatValue(p);
    }
    return toQString(engine_->toString(v));
}

void RunningMovie::pointerMove(QPointF stagePoint) {
    stage_.pointerMove(stagePoint);
}

void RunningMovie::pointerPress(QPointF stagePoint) {
    refreshPressTakers();
    stage_.pointerPress(stagePoint);
}

void RunningMovie::pointerRelease(QPointF stagePoint) {
    stage_.pointerRelease(stagePoint);
}

ClipObject* RunningMovie::objectFor(display::DisplayObject& item) {
    if (auto it = objects_.find(&item); it != objects_.end())
        return static_cast<ClipObject*>(it->second.get());
    script::Object* proto = nullptr;
    switch (item.kind()) {
    case display::ItemKind::MovieClip:
        proto = movieClipProto_;
        break;
    case display::ItemKind::Video:
        proto = videoProto_;
        break;
    case display::ItemKind::EditText:
        proto = textFieldProto_;
        break;
    case display::ItemKind::Button:
        proto = buttonProto_;
        break;
    default:
        return nullptr;
    }
    auto* object = engine_->make<ClipObject>(proto, *this, item.weak_from_this());
    objects_.emplace(&item, script::Pinned(*engine_, object));
    return object;
}

void RunningMovie::addStream(StreamObject* stream) {
    streams_.push_back(stream);
    stream->stream().setReportNotifier(streamNotifier_);
}

void RunningMovie::setStreamNotifier(std::function<void()> notifier) {
    streamNotifier_ = std::move(notifier);
    for (StreamObject* stream : streams_)
        stream->stream().setReportNotifier(streamNotifier_);
}

void RunningMovie::removeStream(StreamObject* stream) {
    streams_.erase(std::remove(streams_.begin(), streams_.end(), stream), streams_.end());
}

void RunningMovie::frameActions(display::MovieClip& clip, std::span<const std::uint8_t> actions) {
    if (auto* object = objectFor(clip)) engine_->runActions(actions, object);
}

void RunningMovie::itemRemoved(display::DisplayObject& item) {
    objects_.erase(&item);
}

void RunningMovie::pointerEvent(display::DisplayObject& target, display::PointerEvent event) {
    if (auto* object = objectFor(target)) engine_->callMethod(Value(object), handlerName(event));
}

// Only items whose scripts handle presses take them; the rest let presses through.
void RunningMovie::refreshPressTakers() {
    static const char* const kHandlers[] = {"onPress", "onRelease", "onReleaseOutside"};
    for (auto& [item, pinned] : objects_) {
        auto* object = static_cast<ClipObject*>(pinned.get());
        auto live = object->item();
        if (!live) continue;
        bool takes = false;
        for (const char* name : kHandlers) {
            const auto* p = object->findOwn(name);
            if (p && p->value.isObject() && p->value.object()->isFunction()) takes = true;
        }
        live->setTakesPresses(takes);
    }
}

void RunningMovie::runEnterFrameHandlers() {
    auto* rootClip = stage_.root();
    if (!rootClip) return;
    std::vector<script::Pinned> targets;
    forEachItem(*rootClip, [&](display::DisplayObject& item) {
        if (item.kind() != display::ItemKind::MovieClip) return;
        auto it = objects_.find(&item);
        if (it == objects_.end()) return;
        const auto* p = it->second.get()->findOwn("onEnterFrame");
        if (p && p->value.isObject()) targets.emplace_back(*engine_, it->second.get());
    });
    for (auto& target : targets)
        engine_->callMethod(Value(target.get()), "onEnterFrame");
}

// A text field bound to a variable shows its value on the field's timeline.
void RunningMovie::updateTextFields() {
    auto* rootClip = stage_.root();
    if (!rootClip) return;
    forEachItem(*rootClip, [&](display::DisplayObject& item) {
        auto* field = dynamic_cast<display::EditText*>(&item);
        if (!field || field->variableName().isEmpty() || !field->parent()) return;
        auto* timeline = objectFor(*field->parent());
        if (!timeline) return;
        const Value v =
            engine_->getVariable(timeline, script::toUtf8(utf16(field->variableName())));
        if (v.isUndefined()) return;
        const QString text = toQString(engine_->toString(v));
        if (text != field->text()) field->setText(text);
    });
}

void RunningMovie::deliverStreamReports() {
    // Reports may open or close streams, so work on a copy of the list.
    const std::vector<StreamObject*> streams = streams_;
    for (StreamObject* stream : streams) {
        if (std::find(streams_.begin(), streams_.end(), stream) == streams_.end()) continue;
        script::Pinned keep(*engine_, stream);
        for (const media::Report& report : stream->stream().pollReports()) {
            if (report.kind == media::Report::Kind::Status) {
                script::Object* info = engine_->newObject();
                script::Pinned keepInfo(*engine_, info);
                engine_->set(info, "code", Value(script::toUtf8(utf16(report.code))));
                engine_->set(info, "level", Value(script::toUtf8(utf16(report.level))));
                const Value args[] = {Value(info)};
                engine_->callMethod(Value(stream), "onStatus", args);
            } else {
                const Value metadata = fromMedia(*engine_, report.metadata);
                script::Pinned keepData(*engine_, metadata.asObject());
                const Value args[] = {metadata};
                engine_->callMethod(Value(stream), "onMetaData", args);
            }
        }
    }
}

bool RunningMovie::refreshPictures() {
    return showStreamPictures();
}

std::optional<int> RunningMovie::nextPictureDueMs() {
    std::optional<int> soonest;
    for (StreamObject* s : streams_) {
        const auto us = s->stream().nextPictureDueUs();
        if (!us) continue;
        const int ms = static_cast<int>(std::min<std::int64_t>((*us + 999) / 1000, 60'000));
        if (!soonest || ms < *soonest) soonest = ms;
    }
    return soonest;
}

bool RunningMovie::showStreamPictures() {
    bool changed = false;
    const QTransform stageToDevice =
        stage_.stageToView() * QTransform::fromScale(devicePixelRatio_, devicePixelRatio_);
    for (auto& [item, pinned] : objects_) {
        auto* object = static_cast<ClipObject*>(pinned.get());
        if (!object->videoStream) continue;
        auto live = object->item();
        auto* surface = dynamic_cast<display::VideoSurface*>(live.get());
        if (!surface) continue;
        media::Stream& stream = object->videoStream->stream();
        // Pictures are made for the place the surface takes on the device now.
        const auto fit = render::fitPicture(surface->contentBounds(),
                                            render::stageTransform(*surface) * stageToDevice,
                                            surface->smoothing());
        media::PictureTarget target;
        target.smooth = surface->smoothing();
        stream.setPictureTarget(fit ? fit->target : target);
        const std::uint64_t serial = stream.frameSerial();
        if (serial == object->shownSerial) continue;
        object->shownSerial = serial;
        QImage picture = stream.currentFrame();
        surface->setPicture(std::move(picture), stream.currentFrameTarget(),
                            stream.currentFrameSize());
        changed = true;
    }
    return changed;
}

script::Object* RunningMovie::root() {
    auto* rootClip = stage_.root();
    return rootClip ? objectFor(*rootClip) : nullptr;
}

void RunningMovie::play(script::Object* target) {
    if (auto* clip = clipFor(target)) clip->play();
}

void RunningMovie::stop(script::Object* target) {
    if (auto* clip = clipFor(target)) clip->stop();
}

void RunningMovie::nextFrame(script::Object* target) {
    if (auto* clip = clipFor(target)) clip->nextFrame();
}

void RunningMovie::prevFrame(script::Object* target) {
    if (auto* clip = clipFor(target)) clip->prevFrame();
}

void RunningMovie::gotoFrame(script::Object* target, int frame, bool play) {
    auto* clip = clipFor(target);
    if (!clip) return;
    play ? clip->gotoAndPlay(frame + 1) : clip->gotoAndStop(frame + 1);
}

void RunningMovie::gotoLabel(script::Object* target, const std::string& label, bool play) {
    if (auto* clip = clipFor(target)) clip->gotoLabel(toQString(label), !play);
}

void RunningMovie::startDrag(script::Object* target, bool lockCenter,
                             const script::DragRect* limits) {
    auto* object = dynamic_cast<ClipObject*>(target);
    auto item = object ? object->item() : nullptr;
    if (!item) return;
    std::optional<QRectF> bounds;
    if (limits) {
        const double l = std::min(limits->left, limits->right);
        const double r = std::max(limits->left, limits->right);
        const double t = std::min(limits->top, limits->bottom);
        const double b = std::max(limits->top, limits->bottom);
        if (std::isfinite(l) && std::isfinite(r) && std::isfinite(t) && std::isfinite(b))
            bounds = QRectF(QPointF(l, t), QPointF(r, b));
    }
    stage_.startDrag(*item, lockCenter, bounds);
}

void RunningMovie::stopDrag() {
    stage_.stopDrag();
}

} // namespace zimo::running
