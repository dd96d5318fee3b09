// An item showing static text (DefineText): glyph runs of embedded fonts.
#pragma once

#include "display/display_object.h"
#include "swf/text.h"

namespace zimo::display {

class StaticTextItem final : public DisplayObject {
public:
    explicit StaticTextItem(std::shared_ptr<const swf::StaticTextDef> def)
        : DisplayObject(ItemKind::StaticText, def->id), def_(std::move(def)) {}

    const swf::StaticTextDef& def() const { return *def_; }
    QRectF contentBounds() const override {
        return def_->matrix.toQTransform().mapRect(def_->bounds);
    }
    bool contentCovers(QPointF local) const override { return contentBounds().contains(local); }

private:
    std::shared_ptr<const swf::StaticTextDef> def_;
};

} // namespace zimo::display
