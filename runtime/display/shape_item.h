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
    QRectF contentBounds() const override { return def_->geometry.bounds; }
    bool contentCovers(QPointF local) const override { return def_->geometry.contains(local); }

private:
    std::shared_ptr<const swf::ShapeDef> def_;
};

} // namespace zimo::display
