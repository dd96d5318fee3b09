// A movie running in the player component: the display list and its stage, the script
// engine with the classes the movie uses (MovieClip, Video, TextField, Stage, NetStream,
// Sound, ...), and the media streams it opens. The control drives it with frame ticks,
// pointer events and variable assignments; tests drive it the same way, stepping the
// ticks and the media clock by hand.
#pragma once

#include "display/action_sink.h"
#include "media/clock.h"
#include "script/engine.h"
#include "script/host.h"
#include "stage/stage.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace zimo::running {

class ClipObject;
class StreamObject;

class RunningMovie final : public display::ActionSink, public script::Host {
public:
    struct Options {
        // The media clock of every stream; null for the system clock.
        media::Clock* clock = nullptr;
        // False to play streams silently (tests, machines without sound).
        bool soundOutput = true;
    };

    explicit RunningMovie(Options options);
    ~RunningMovie() override;
    RunningMovie(const RunningMovie&) = delete;
    RunningMovie& operator=(const RunningMovie&) = delete;

    // Loads a movie file and enters its first frame (running that frame's actions).
    bool load(std::span<const std::uint8_t> file);
    // Ticks until the root timeline stops moving on its own (the loading check has taken
    // the movie to its main frame and its script has run), at most a few ticks.
    void settle();
    // One frame: timers due by now fire, stream reports and pictures arrive, the
    // timelines move on, frame actions and onEnterFrame handlers run, and text fields
    // show their variables.
    void tick(double elapsedMs);
    double frameIntervalMs() const;
    // Puts on the video surfaces the pictures that have come due since the last look;
    // true when one changed. Pictures come at the stream's own rate, not the movie's, so
    // the host may call this between ticks.
    bool refreshPictures();
    // How long until some stream's next picture is due (ms, rounded up); nothing when
    // no stream has one on its way with its clock running.
    std::optional<int> nextPictureDueMs();
    // Called from a stream's decoding thread when it has news: a report, or a picture
    // while none was waiting. Applies to the streams open now and those to come.
    void setStreamNotifier(std::function<void()> notifier);
    // Device pixels per view pixel, so pictures are made for the device's own pixels.
    void setDevicePixelRatio(double ratio) { devicePixelRatio_ = ratio > 0 ? ratio : 1.0; }
    double devicePixelRatio() const { return devicePixelRatio_; }
    // Waits until every stream's decoder has done what it can for the present media time
    // (for tests that step the media clock); false when one did not within the limit.
    bool waitForStreams(int timeoutMs = 5000);

    // Variables on the root, as the host sets and reads them. Setting runs the watchers
    // before it returns. Reading takes a path ("Ff", "controlpanel._alpha",
    // "controlpanel.timer.seek_time"); undefined reads as an empty string.
    void setVariable(const QString& name, const QString& value);
    QString getVariable(const QString& path);

    // The pointer, in stage coordinates.
    void pointerMove(QPointF stagePoint);
    void pointerPress(QPointF stagePoint);
    void pointerRelease(QPointF stagePoint);

    stage::Stage& stage() { return stage_; }
    script::Engine& engine() { return *engine_; }
    // The script object of an item (created on first use); null for items the scripts
    // cannot reach (shapes, static text).
    ClipObject* objectFor(display::DisplayObject& item);
    // A stream's options for a new NetStream.
    const Options& options() const { return options_; }
    // Called by streams as they come and go.
    void addStream(StreamObject* stream);
    void removeStream(StreamObject* stream);
    // The streams the movie has open, oldest first (for measuring playback).
    const std::vector<StreamObject*>& streams() const { return streams_; }
    std::size_t movieSize() const { return movieBytes_; }
    // Prototypes of the item classes.
    script::Object* movieClipPrototype() const { return movieClipProto_; }

    // ActionSink.
    void frameActions(display::MovieClip& clip, std::span<const std::uint8_t> actions) override;
    void itemRemoved(display::DisplayObject& item) override;
    void pointerEvent(display::DisplayObject& target, display::PointerEvent event) override;
    void tickDone() override;

    // Host.
    script::Object* root() override;
    void play(script::Object* target) override;
    void stop(script::Object* target) override;
    void nextFrame(script::Object* target) override;
    void prevFrame(script::Object* target) override;
    void gotoFrame(script::Object* target, int frame, bool play) override;
    void gotoLabel(script::Object* target, const std::string& label, bool play) override;
    void startDrag(script::Object* target, bool lockCenter,
                   const script::DragRect* limits) override;
    void stopDrag() override;

private:
    void defineClasses();
    void deliverStreamReports();
    bool showStreamPictures();
    void refreshPressTakers();
    void runEnterFrameHandlers();
    void updateTextFields();

    Options options_;
    std::unique_ptr<script::Engine> engine_;
    stage::Stage stage_;
    std::unordered_map<const display::DisplayObject*, script::Pinned> objects_;
    std::vector<StreamObject*> streams_;
    script::Pinned movieClipProtoPin_, videoProtoPin_, textFieldProtoPin_, buttonProtoPin_,
        stageObjectPin_;
    script::Object* movieClipProto_ = nullptr;
    script::Object* videoProto_ = nullptr;
    script::Object* textFieldProto_ = nullptr;
    script::Object* buttonProto_ = nullptr;
    script::Object* stageObject_ = nullptr;
    std::size_t movieBytes_ = 0;
    double devicePixelRatio_ = 1.0;
    std::function<void()> streamNotifier_;
};

} // namespace zimo::running
