// What the engine asks of the player around it: the root timeline and the timeline
// actions. Every method has a do-nothing default, so a host implements only what it has.
#pragma once

#include <string>

namespace zimo::script {

class Object;
class Tracer;

struct DragRect {
    double left, top, right, bottom;
};

class Host {
public:
    virtual ~Host() = default;

    // `_root` and `_level0`; `_levelN` for other levels.
    virtual Object* root() { return nullptr; }
    virtual Object* level(int n) { return n == 0 ? root() : nullptr; }

    // Timeline actions on a clip. `target` may be any object or nullptr; a host ignores
    // what is not one of its clips. Frames are counted from 0.
    virtual void play(Object*) {}
    virtual void stop(Object*) {}
    virtual void nextFrame(Object*) {}
    virtual void prevFrame(Object*) {}
    virtual void gotoFrame(Object*, int /*frame*/, bool /*play*/) {}
    virtual void gotoLabel(Object*, const std::string& /*label*/, bool /*play*/) {}
    virtual bool isFrameLoaded(Object*, int /*frame*/) { return true; }
    // The Call action: run the actions of a frame ("label" or number) of a clip.
    virtual void callFrame(Object*, const std::string& /*frame*/) {}
    virtual void startDrag(Object*, bool /*lockCenter*/, const DragRect* /*limits*/) {}
    virtual void stopDrag() {}
    virtual void cloneSprite(Object* /*source*/, const std::string& /*name*/, int /*depth*/) {}
    virtual void removeSprite(Object*) {}
    virtual void toggleQuality() {}
    virtual void stopSounds() {}
    // Links, loads and commands: a player that opens nothing ignores them.
    virtual void getURL(const std::string& /*url*/, const std::string& /*window*/, int /*method*/) {
    }

    // Marks objects the host keeps without pinning them.
    virtual void traceRoots(Tracer&) {}
};

} // namespace zimo::script
