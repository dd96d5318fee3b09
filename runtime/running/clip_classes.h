// The methods of display items as the scripts call them: MovieClip, Video, TextField
// and Button, and the Stage object.
#pragma once

namespace zimo::script {
class Object;
}

namespace zimo::running {

class RunningMovie;

struct ItemPrototypes {
    script::Object* movieClip = nullptr;
    script::Object* video = nullptr;
    script::Object* textField = nullptr;
    script::Object* button = nullptr;
};

ItemPrototypes defineItemClasses(RunningMovie& movie);
// The Stage object on the globals; returns it. It broadcasts onResize to its listeners.
script::Object* defineStage(RunningMovie& movie);

} // namespace zimo::running
