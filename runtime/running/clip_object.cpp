#include "clip_object.h"

#include "convert.h"
#include "media_objects.h"
#include "running_movie.h"

#include "display/container.h"
#include "display/edit_text.h"
#include "display/video_surface.h"
#include "script/engine.h"

namespace zimo::running {

namespace {

// "_level0.controlpanel.slider" for an item at controlpanel.slider.
std::string targetPath(const display::DisplayObject& item) {
    const QString path = item.path();
    return path.isEmpty() ? "_level0" : "_level0." + script::toUtf8(utf16(path));
}

} // namespace

std::string_view ClipObject::typeOf() const {
    const auto it = item();
    return it && it->kind() == display::ItemKind::MovieClip ? "movieclip" : "object";
}

std::optional<std::string> ClipObject::stringForm() const {
    const auto it = item();
    if (!it) return std::nullopt;
    return targetPath(*it);
}

std::optional<script::Value> ClipObject::hostGet(script::Engine& engine, const std::string& name) {
    const auto it = item();
    if (!it) return std::nullopt;
    const QString qname = toQString(name);
    if (const auto p = display::propertyByName(qname)) {
        const display::PropertyValue v = display::getProperty(*it, *p, movie_->stage().mouse());
        if (!std::holds_alternative<std::monostate>(v)) return fromProperty(v);
    }
    if (name == "_parent") {
        if (auto* parent = it->parent()) return script::Value(movie_->objectFor(*parent));
        return script::Value();
    }
    if (name == "_root") return script::Value(movie_->root());
    if (name == "_target") return script::Value(targetPath(*it));
    if (auto* video = dynamic_cast<display::VideoSurface*>(it.get())) {
        if (name == "smoothing") return script::Value(video->smoothing());
        if (name == "width") return script::Value(double(video->pictureSize().width()));
        if (name == "height") return script::Value(double(video->pictureSize().height()));
    }
    if (auto* field = dynamic_cast<display::EditText*>(it.get())) {
        if (name == "text") return script::Value(script::toUtf8(utf16(field->text())));
    }
    if (auto* container = dynamic_cast<display::Container*>(it.get())) {
        if (auto* child = container->childByName(qname)) {
            if (auto* object = movie_->objectFor(*child)) return script::Value(object);
        }
    }
    (void)engine;
    return std::nullopt;
}

bool ClipObject::hostSet(script::Engine& engine, const std::string& name,
                         const script::Value& value) {
    const auto it = item();
    if (!it) return false;
    if (const auto p = display::propertyByName(toQString(name))) {
        if (const auto v = toProperty(engine, *p, value)) display::setProperty(*it, *p, *v);
        return true; // read-only and unusable values are dropped, as the player does
    }
    if (auto* video = dynamic_cast<display::VideoSurface*>(it.get())) {
        if (name == "smoothing") {
            video->setSmoothing(script::toBoolean(engine.toPrimitive(value)));
            return true;
        }
    }
    if (auto* field = dynamic_cast<display::EditText*>(it.get())) {
        if (name == "text") {
            field->setText(toQString(engine.toString(value)));
            return true;
        }
    }
    return false;
}

void ClipObject::hostKeys(std::vector<std::string>& keys) const {
    const auto it = item();
    if (auto* container = dynamic_cast<display::Container*>(it.get())) {
        for (const auto& [depth, child] : container->children())
            if (!child->name().isEmpty()) keys.push_back(script::toUtf8(utf16(child->name())));
    }
}

void ClipObject::trace(script::Tracer& t) const {
    script::Object::trace(t);
    t.mark(audioStream);
    t.mark(videoStream);
}

} // namespace zimo::running
