// What the display list reports to the script layer: frame actions in timeline order,
// items coming and going, button actions and pointer events. The player calls it; the
// script engine implements it.
#pragma once

#include <cstdint>
#include <span>

namespace zimo::display {

class ButtonItem;
class DisplayObject;
class MovieClip;

enum class PointerEvent { Press, Release, ReleaseOutside, RollOver, RollOut };

class ActionSink {
public:
    virtual ~ActionSink() = default;

    // The DoAction bytes of a frame a clip has entered, in timeline order, after the
    // frame's display changes.
    virtual void frameActions(MovieClip& clip, std::span<const std::uint8_t> actions) = 0;
    // DoInitAction bytes for a sprite, once per movie, before the frame's actions.
    virtual void initActions(std::uint16_t spriteId, std::span<const std::uint8_t> actions) {
        (void)spriteId;
        (void)actions;
    }
    // An item was placed by a timeline or created by a script (its clip actions, if any,
    // are in clipActions()); or it was taken off the display list.
    virtual void itemPlaced(DisplayObject& item) { (void)item; }
    virtual void itemRemoved(DisplayObject& item) { (void)item; }
    // Actions of a button whose condition (swf::ButtonCondition) occurred.
    virtual void buttonActions(ButtonItem& button, std::uint16_t condition,
                               std::span<const std::uint8_t> actions) {
        (void)button;
        (void)condition;
        (void)actions;
    }
    // A pointer event for an item that takes presses (see DisplayObject::takesPresses).
    virtual void pointerEvent(DisplayObject& target, PointerEvent event) {
        (void)target;
        (void)event;
    }
    // Once a tick, after every clip has advanced and the frame actions have run.
    virtual void tickDone() {}
};

} // namespace zimo::display
