// The methods of display items as the scripts call them: MovieClip, Video, TextField
// and Button, and the Stage object.
#pragma once

namespace zimo::script {
class Object;
}

namespace zimo::bindings {

class MovieRuntime;

struct ItemPrototypes {
    script::Object* movieClip = nullptr;
    script::Object* video = nullptr;
    script::Object* textField = nullptr;
    script::Object* button = nullptr;
};

ItemPrototypes defineItemClasses(MovieRuntime& runtime);
// The Stage object on the globals; returns it. It broadcasts onResize to its listeners.
script::Object* defineStage(MovieRuntime& runtime);

} // namespace zimo::bindings
