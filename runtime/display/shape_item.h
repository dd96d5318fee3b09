// An item showing a shape definition.
#pragma once

#include "display/display_object.h"
#include "swf/shape.h"

namespace zimo::display {

class ShapeItem final : public DisplayObject {
public:
    explicit ShapeItem(std::shared_ptr<const swf::ShapeDef> def)
        : DisplayObject(ItemKind::Shape, def->id), def_(std::move(def)) {}

    const swf::ShapeDef& def() const { return *def_; }
    // The box the shape declares (strokes included), as the movie's author computed it;
    // the outline's own box when the declared one is missing.
    QRectF contentBounds() const override {
        if (!def_->declaredBounds.isNull() || def_->geometry.empty()) return def_->declaredBounds;
        return def_->geometry.bounds;
    }
    bool contentCovers(QPointF local) const override { return def_->geometry.contains(local); }

private:
    std::shared_ptr<const swf::ShapeDef> def_;
};

} // namespace zimo::display
