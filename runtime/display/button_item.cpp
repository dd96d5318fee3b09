#include "display/button_item.h"

#include "display/context.h"
#include "display/movie_clip.h"

namespace zimo::display {

ButtonItem::ButtonItem(std::shared_ptr<const swf::ButtonDef> def,
                       std::shared_ptr<DisplayContext> context, int nesting)
    : Container(ItemKind::Button, def->id, std::move(context), nesting), def_(std::move(def)) {}

void ButtonItem::build() {
    if (built_) return;
    built_ = true;
    showState(ButtonState::Up);
    if (!context()) return;
    for (const auto& rec : def_->records) {
        if (!(rec.states & swf::kButtonHitTest)) continue;
        ItemPtr item = context()->instantiate(rec.characterId, nesting() + 1);
        if (!item) continue;
        item->setMatrix(rec.matrix);
        hitItems_.push_back(std::move(item));
    }
}

void ButtonItem::setState(ButtonState state) {
    if (!hasHitArea() || state == state_) return;
    showState(state);
}

void ButtonItem::showState(ButtonState state) {
    state_ = state;
    removeAll();
    if (!context()) return;
    const std::uint8_t flag = state == ButtonState::Up     ? swf::kButtonUp
                              : state == ButtonState::Over ? swf::kButtonOver
                                                           : swf::kButtonDown;
    for (const auto& rec : def_->records) {
        if (!(rec.states & flag)) continue;
        ItemPtr item = context()->instantiate(rec.characterId, nesting() + 1);
        if (!item) continue;
        item->setMatrix(rec.matrix);
        item->setColorTransform(rec.colorTransform);
        item->setPlacedInFrame(1);
        insertChild(rec.depth, item);
        if (auto* clip = dynamic_cast<MovieClip*>(item.get())) clip->enterFirstFrame();
    }
}

bool ButtonItem::hitAreaCovers(QPointF local) const {
    for (const auto& item : hitItems_) {
        bool invertible = false;
        const QTransform inverse = item->matrix().toQTransform().inverted(&invertible);
        if (invertible && item->contentCovers(inverse.map(local))) return true;
    }
    return false;
}

} // namespace zimo::display
