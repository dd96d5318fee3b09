// The script object of a display item: a movie clip, a video surface, a text field or a
// button, as the scripts see it. Built-in properties (_x, _alpha, ...) and child items
// by instance name come from the display list; everything else is an ordinary dynamic
// property (handlers such as onPress, and the variables of a timeline).
#pragma once

#include "display/display_object.h"
#include "script/object.h"

#include <memory>

namespace zimo::running {

class RunningMovie;
class StreamObject;

class ClipObject final : public script::Object {
public:
    ClipObject(script::Object* proto, RunningMovie& movie,
               std::weak_ptr<display::DisplayObject> item)
        : script::Object(proto), movie_(&movie), item_(std::move(item)) {}

    // The item, or null once it has left the display list and been destroyed.
    std::shared_ptr<display::DisplayObject> item() const { return item_.lock(); }
    RunningMovie& movie() const { return *movie_; }

    std::string_view typeOf() const override;
    std::optional<std::string> stringForm() const override;
    std::optional<script::Value> hostGet(script::Engine& engine, const std::string& name) override;
    bool hostSet(script::Engine& engine, const std::string& name,
                 const script::Value& value) override;
    void hostKeys(std::vector<std::string>& keys) const override;
    void trace(script::Tracer& t) const override;

    // The stream whose sound this clip carries (attachAudio), and the one whose pictures a
    // video surface shows (attachVideo).
    StreamObject* audioStream = nullptr;
    StreamObject* videoStream = nullptr;
    // The picture of videoStream last put on the surface.
    std::uint64_t shownSerial = 0;

private:
    RunningMovie* movie_;
    std::weak_ptr<display::DisplayObject> item_;
};

} // namespace zimo::running
