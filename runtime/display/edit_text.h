// A text field. It shows its current text; a field with a variable name shows the value
// of that variable, which the script layer pushes into it.
#pragma once

#include "display/display_object.h"
#include "swf/font.h"
#include "swf/text.h"

namespace zimo::display {

class EditText final : public DisplayObject {
public:
    EditText(std::shared_ptr<const swf::EditTextDef> def, std::shared_ptr<const swf::FontDef> font);

    const swf::EditTextDef& def() const { return *def_; }
    // The embedded font, or null when the field uses none (or it is missing).
    const swf::FontDef* font() const { return font_.get(); }

    const QString& text() const { return text_; }
    void setText(const QString& text);
    const QString& variableName() const { return def_->variableName; }

    QRectF contentBounds() const override { return def_->bounds; }
    bool contentCovers(QPointF local) const override { return def_->bounds.contains(local); }

private:
    std::shared_ptr<const swf::EditTextDef> def_;
    std::shared_ptr<const swf::FontDef> font_;
    QString text_;
};

// The text a field shows for its stored text: HTML tags and entities removed when the
// field is an HTML field.
QString plainText(const swf::EditTextDef& def, const QString& text);

} // namespace zimo::display
