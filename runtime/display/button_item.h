// A button: shows the records of its current state (up, over, down). Its hit area is the
// records marked for hit testing; a button without them takes no presses and never
// changes its look.
#pragma once

#include "display/container.h"
#include "swf/button.h"

namespace zimo::display {

enum class ButtonState { Up, Over, Down };

class ButtonItem final : public Container {
public:
    ButtonItem(std::shared_ptr<const swf::ButtonDef> def, std::shared_ptr<DisplayContext> context,
               int nesting);

    const swf::ButtonDef& def() const { return *def_; }
    ButtonState state() const { return state_; }
    // Shows the records of a state; ignored for a button without a hit area.
    void setState(ButtonState state);
    bool hasHitArea() const { return def_->hasHitArea(); }
    // True when the hit area covers a point in the button's own units.
    bool hitAreaCovers(QPointF local) const;

    // Builds the children of the up state; done once when the button is placed.
    void build();

private:
    void showState(ButtonState state);

    std::shared_ptr<const swf::ButtonDef> def_;
    ButtonState state_ = ButtonState::Up;
    std::vector<ItemPtr> hitItems_;
    bool built_ = false;
};

} // namespace zimo::display
